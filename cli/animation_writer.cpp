#include "cli/animation_writer.h"

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

std::string GifError(int code) {
  const char* text = GifErrorString(code);
  return text != nullptr ? text : "cannot write the GIF";
}

}  // namespace

std::string WriteGif(AtomicFile& file, const Animation& a) {
  if (a.width <= 0 || a.height <= 0 || a.width > 65535 || a.height > 65535 || a.frames.empty())
    return "a GIF needs 1 to 65535 pixels a side and at least one frame";
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
    control.DelayTime = std::max(1, a.delayMs / 10);
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

std::string WriteWebp(AtomicFile& file, const Animation& a) {
  if (a.width <= 0 || a.height <= 0 || a.width > 16383 || a.height > 16383 || a.frames.empty())
    return "a WebP needs 1 to 16383 pixels a side and at least one frame";
  WebPAnimEncoderOptions options;
  WebPConfig config;
  if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config))
    return "the WebP library does not match its headers";
  options.anim_params.loop_count = 0;
  config.lossless = 1;
  WebPAnimEncoder* encoder = WebPAnimEncoderNew(a.width, a.height, &options);
  if (encoder == nullptr) return "out of memory";
  std::vector<uint8_t> rgba(size_t(a.width) * size_t(a.height) * 4);
  std::vector<uint8_t> row(size_t(a.width));
  int timestamp = 0;
  std::string error;
  for (const IndexedImage* frame : a.frames) {
    for (int32_t y = 0; y < a.height; ++y) {
      CanvasRow(a, *frame, y, row.data());
      uint8_t* out = rgba.data() + size_t(y) * size_t(a.width) * 4;
      for (int32_t x = 0; x < a.width; ++x) {
        const ColourQuad& c = a.palette[row[size_t(x)]];
        const bool clear = row[size_t(x)] == 0;
        out[4 * x] = clear ? 0 : c.red;
        out[4 * x + 1] = clear ? 0 : c.green;
        out[4 * x + 2] = clear ? 0 : c.blue;
        out[4 * x + 3] = clear ? 0 : 255;
      }
    }
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) {
      error = "the WebP library does not match its headers";
      break;
    }
    picture.use_argb = 1;
    picture.width = a.width;
    picture.height = a.height;
    const bool added = WebPPictureImportRGBA(&picture, rgba.data(), a.width * 4) &&
                       WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
    WebPPictureFree(&picture);
    if (!added) {
      error = WebPAnimEncoderGetError(encoder);
      break;
    }
    timestamp += a.delayMs;
  }
  WebPData data;
  WebPDataInit(&data);
  if (error.empty() && (!WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr) ||
                        !WebPAnimEncoderAssemble(encoder, &data)))
    error = WebPAnimEncoderGetError(encoder);
  WebPAnimEncoderDelete(encoder);
  if (error.empty()) file.Write(data.bytes, data.size);  // a failure is the file's own error
  WebPDataClear(&data);
  return error;
}

}  // namespace dw::cli
