#include "cli/outputs/animation_writer.h"

#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace dw::cli {
namespace {

// The frame on the canvas, top row first: index 0 wherever it does not reach.
void CanvasRow(const Animation& a, const IndexedImage& frame, int32_t y, uint8_t* row) {
  std::memset(row, 0, size_t(a.width));
  if (y >= frame.height || frame.Empty()) return;
  std::memcpy(row, frame.TopRow(y), size_t(std::min(a.width, frame.width)));
}

WriteProblem GifError(int code) {
  const char* text = GifErrorString(code);
  return MakeWriteProblem(WriteProblemKind::EncoderRefused,
                          text != nullptr ? text : "cannot write the GIF");
}

// What encoding one frame holds, in RGBA canvases: our canvas, the picture's
// copy and the lossless coder's work (measured: about 9 canvases on a
// 2000 x 2000 frame of noise, fewer on sprites).
constexpr int64_t kWebpCanvasCopies = 12;

}  // namespace

int GifDelay(int delayMs) { return (std::max(delayMs, kMinGifDelayMs) + 5) / 10; }

int64_t WebpEncoderBytes(const Animation& a) {
  return int64_t{a.width} * a.height * 4 * kWebpCanvasCopies;
}

WriteResult WriteGif(AtomicFile& file, const Animation& a) {
  if (a.width <= 0 || a.height <= 0 || a.width > 65535 || a.height > 65535 || a.frames.empty())
    return MakeWriteProblem(WriteProblemKind::GifSize);
  int error = 0;
  const OutputFunc put = [](GifFileType* gif, const GifByteType* data, int size) {
    return static_cast<AtomicFile*>(gif->UserData)->Write(data, size_t(std::max(size, 0))) ? size
                                                                                           : 0;
  };
  GifFileType* gif = EGifOpen(&file, put, &error);
  if (gif == nullptr) return GifError(error);
  auto fail = [&](int code) {
    EGifCloseFile(gif, nullptr);
    return GifError(code != 0 ? code : E_GIF_ERR_WRITE_FAILED);
  };
  GifColorType colours[256];
  for (int i = 0; i < 256; ++i)
    colours[i] = GifColorType{a.palette[size_t(i)].red, a.palette[size_t(i)].green,
                              a.palette[size_t(i)].blue};
  ColorMapObject* map = GifMakeMapObject(256, colours);
  EGifSetGifVersion(gif, true);
  const int opened = EGifPutScreenDesc(gif, a.width, a.height, 8, 0, map);
  GifFreeMapObject(map);
  if (opened == GIF_ERROR) return fail(gif->Error);
  // Loop forever.
  const unsigned char loop[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
      EGifPutExtensionBlock(gif, 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(gif) == GIF_ERROR)
    return fail(gif->Error);
  std::vector<GifPixelType> row(size_t(a.width));
  for (const IndexedImage* frame : a.frames) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_BACKGROUND;  // transparent pixels show no earlier frame
    control.DelayTime = GifDelay(a.delayMs);
    control.TransparentColor = 0;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR ||
        EGifPutImageDesc(gif, 0, 0, a.width, a.height, false, nullptr) == GIF_ERROR)
      return fail(gif->Error);
    for (int32_t y = 0; y < a.height; ++y) {
      CanvasRow(a, *frame, y, row.data());
      if (EGifPutLine(gif, row.data(), a.width) == GIF_ERROR) return fail(gif->Error);
    }
  }
  if (EGifCloseFile(gif, &error) == GIF_ERROR) return GifError(error);
  return {};
}

WriteResult WriteWebp(AtomicFile& file, const Animation& a) {
  if (a.width <= 0 || a.height <= 0 || a.width > 16383 || a.height > 16383 || a.frames.empty())
    return MakeWriteProblem(WriteProblemKind::WebpSize);
  WebPConfig config;
  if (!WebPConfigInit(&config)) return MakeWriteProblem(WriteProblemKind::LibraryMismatch);
  config.lossless = 1;
  // Each entry is encoded whole and becomes a frame of its own: an
  // animation encoder would fold a repeat into the frame before it.
  WebPMux* mux = WebPMuxNew();
  if (mux == nullptr) return MakeWriteProblem(WriteProblemKind::OutOfMemory);
  WebPMuxAnimParams params{0, 0};  // transparent background, looping forever
  WriteResult error;
  if (WebPMuxSetCanvasSize(mux, a.width, a.height) != WEBP_MUX_OK ||
      WebPMuxSetAnimationParams(mux, &params) != WEBP_MUX_OK)
    error = MakeWriteProblem(WriteProblemKind::AnimationSetUp);
  std::vector<uint8_t> rgba(size_t(a.width) * size_t(a.height) * 4);
  std::vector<uint8_t> row(size_t(a.width));
  for (size_t f = 0; f < a.frames.size() && !error; ++f) {
    for (int32_t y = 0; y < a.height; ++y) {
      CanvasRow(a, *a.frames[f], y, row.data());
      uint8_t* out = rgba.data() + size_t(y) * size_t(a.width) * 4;
      for (int32_t x = 0; x < a.width; ++x) std::memcpy(out + 4 * x, &a.colours[row[size_t(x)]], 4);
    }
    WebPPicture picture;
    WebPMemoryWriter writer;
    if (!WebPPictureInit(&picture)) {
      error = MakeWriteProblem(WriteProblemKind::LibraryMismatch);
      break;
    }
    WebPMemoryWriterInit(&writer);
    picture.use_argb = 1;
    picture.width = a.width;
    picture.height = a.height;
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    if (!WebPPictureImportRGBA(&picture, rgba.data(), a.width * 4) ||
        !WebPEncode(&config, &picture)) {
      error = MakeWriteProblem(picture.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY
                                   ? WriteProblemKind::OutOfMemory
                                   : WriteProblemKind::FrameNotEncoded);
    } else {
      WebPMuxFrameInfo frame{};
      frame.bitstream = WebPData{writer.mem, writer.size};
      frame.id = WEBP_CHUNK_ANMF;
      frame.duration = a.delayMs;
      frame.dispose_method = WEBP_MUX_DISPOSE_NONE;
      frame.blend_method = WEBP_MUX_NO_BLEND;
      if (WebPMuxPushFrame(mux, &frame, 1) != WEBP_MUX_OK)
        error = MakeWriteProblem(WriteProblemKind::FrameNotAdded);
    }
    WebPPictureFree(&picture);
    WebPMemoryWriterClear(&writer);
  }
  WebPData data;
  WebPDataInit(&data);
  if (!error && WebPMuxAssemble(mux, &data) != WEBP_MUX_OK)
    error = MakeWriteProblem(WriteProblemKind::AnimationNotAssembled);
  WebPMuxDelete(mux);
  if (!error) file.Write(data.bytes, data.size);  // a failure is the file's own error
  WebPDataClear(&data);
  return error;
}

}  // namespace dw::cli
