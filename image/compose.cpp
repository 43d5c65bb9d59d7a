#include "image/compose.h"

#include <cstdint>
#include <limits>

#include "archive/frame_decoder.h"
#include "archive/stream.h"
#include "image/pixel_layout.h"

namespace dw {

void LoadFrameBitmap(ConversionState& state, int32_t frameIndex, Bitmap& target) {
  StreamPtr image = CreateMemoryStream();
  DecodeFrame(state, frameIndex, *image);  // a damaged frame still gives a loadable image
  SeekTo(*image, 0);
  target.LoadFromStream(*image);
  FreeStream(image);
}

std::unique_ptr<Bitmap> ComposeStrip(ConversionState& state, const std::vector<int32_t>& frames,
                                     bool separator) {
  std::unique_ptr<Bitmap> strip = CreateBitmap(1, 1);
  if (frames.empty()) {
    strip->Clear();
    return strip;
  }
  // The first frame is loaded, not painted, so its indices and palette are
  // taken over exactly.
  LoadFrameBitmap(state, frames[0], *strip);
  if (strip->Empty()) {
    strip->Clear();
    return strip;
  }

  // Every later frame is decoded and loaded once; the strip's final width is
  // known before it is allocated. A frame that gives no image still takes its
  // width (0 when it failed) and its separator column.
  const int32_t gap = separator ? 1 : 0;
  std::vector<std::unique_ptr<Bitmap>> later;
  later.reserve(frames.size() - 1);
  const int32_t firstWidth = strip->Width();
  int64_t width = firstWidth;
  for (size_t k = 1; k < frames.size(); ++k) {
    std::unique_ptr<Bitmap> frame = CreateBitmap(1, 1);
    LoadFrameBitmap(state, frames[k], *frame);
    width += frame->Width() + gap;
    later.push_back(std::move(frame));
  }
  const int64_t rowBytes = image_detail::RowBytes(width, strip->bitCount());
  if (width > std::numeric_limits<int32_t>::max() || rowBytes < 0 ||
      rowBytes * strip->Height() > kMaxBitmapBytes) {
    strip->Clear();  // too large to hold
    return strip;
  }
  strip->SetWidth(static_cast<int32_t>(width));

  DrawingSurface* canvas = strip->Canvas();
  int64_t x = firstWidth;
  for (std::unique_ptr<Bitmap>& frame : later) {
    x += gap;
    if (canvas != nullptr && !frame->Empty()) frame->Draw(*canvas, static_cast<int>(x), 0);
    x += frame->Width();
    frame.reset();  // painted; its memory is no longer needed
  }
  return strip;
}

}  // namespace dw
