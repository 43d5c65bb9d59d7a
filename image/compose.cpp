#include "image/compose.h"

#include <cstdint>
#include <limits>

#include "archive/frame_decoder.h"
#include "archive/stream.h"
#include "image/pixel_layout.h"

namespace dw {

void LoadFrameBitmap(ConversionState& state, int32_t frameIndex, Bitmap& target,
                     Diagnostics* problems) {
  StreamPtr image = CreateMemoryStream();
  // A damaged frame still gives a loadable image.
  const Diagnostics decoded = DecodeFrame(state, frameIndex, *image);
  if (problems != nullptr) {
    problems->cannotOpen = problems->cannotOpen || decoded.cannotOpen;
    problems->writeFailed = problems->writeFailed || decoded.writeFailed;
    problems->problems.insert(problems->problems.end(), decoded.problems.begin(),
                              decoded.problems.end());
  }
  SeekTo(*image, 0);
  target.LoadFromStream(*image);
  FreeStream(image);
}

std::unique_ptr<Bitmap> ComposeStrip(ConversionState& state, const std::vector<int32_t>& frames,
                                     bool separator, Diagnostics* problems) {
  std::unique_ptr<Bitmap> strip = CreateBitmap(1, 1);
  if (frames.empty()) {
    strip->Clear();
    return strip;
  }
  // The first frame is loaded, not painted, so its indices and palette are
  // taken over exactly.
  LoadFrameBitmap(state, frames[0], *strip, problems);
  if (strip->Empty()) {
    strip->Clear();
    return strip;
  }

  // The strip's final width is known before it is allocated. A frame that
  // gives no image still takes its width (0 when it failed) and its separator
  // column. A later frame is kept for painting only while it is no taller than
  // the strip, so what is held stays within the strip's own size; a taller one
  // is decoded again when its turn comes. The strip's size is checked frame
  // by frame, so a strip too large to hold stops the work at once.
  const int32_t gap = separator ? 1 : 0;
  const int32_t height = strip->Height();
  const int32_t firstWidth = strip->Width();
  struct Later {
    int32_t index;
    int32_t width;
    std::unique_ptr<Bitmap> image;  // none when it is to be decoded again
  };
  std::vector<Later> later;
  later.reserve(frames.size() - 1);
  int64_t width = firstWidth;
  for (size_t k = 1; k < frames.size(); ++k) {
    std::unique_ptr<Bitmap> frame = CreateBitmap(1, 1);
    LoadFrameBitmap(state, frames[k], *frame, problems);
    width += frame->Width() + gap;
    const int64_t rowBytes = image_detail::RowBytes(width, strip->bitCount());
    if (width > std::numeric_limits<int32_t>::max() || rowBytes < 0 ||
        rowBytes * height > kMaxBitmapBytes) {
      strip->Clear();  // too large to hold
      return strip;
    }
    const int32_t frameWidth = frame->Width();
    if (frame->Height() > height) frame.reset();
    later.push_back(Later{frames[k], frameWidth, std::move(frame)});
  }
  strip->SetWidth(static_cast<int32_t>(width));

  DrawingSurface* canvas = strip->Canvas();
  int64_t x = firstWidth;
  for (Later& frame : later) {
    x += gap;
    if (!frame.image) {
      frame.image = CreateBitmap(1, 1);
      LoadFrameBitmap(state, frame.index, *frame.image);
    }
    if (canvas != nullptr && !frame.image->Empty())
      frame.image->Draw(*canvas, static_cast<int>(x), 0);
    x += frame.width;
    frame.image.reset();  // painted; its memory is no longer needed
  }
  return strip;
}

}  // namespace dw
