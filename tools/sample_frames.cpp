#include "tools/sample_frames.h"

#include <algorithm>
#include <stdexcept>

#include "pack/frame_encoder.h"

namespace dw::samples {
namespace {

bool IsShadow(uint8_t index) {
  return index >= 1 && index <= 5;
}

}  // namespace

pack::DirectoryEntry Entry(const std::string& name, size_t frame) {
  const std::optional<pack::FrameName> field = pack::NameField(name);
  if (!field) throw std::runtime_error("frame name too long: " + name);
  return pack::DirectoryEntry{*field, frame};
}

pack::StoredFrame FrameFromCanvas(const SpriteCanvas& canvas, int32_t compression) {
  int left = canvas.width(), right = -1, top = canvas.height(), bottom = -1;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.At(x, y) == 0) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) left = right = top = bottom = 0;
  int width = right - left + 1;
  if (compression == 3) {
    width = std::min(canvas.width(), (width + 31) / 32 * 32);
    left = std::min(left, canvas.width() - width);
  }
  const int height = bottom - top + 1;
  pack::PixelRect rect{width, height, {}};
  rect.pixels.reserve(size_t(width) * height);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x < left + width; ++x) {
      const uint8_t index = canvas.At(x, y);
      rect.pixels.push_back(compression == 0 && IsShadow(index) ? 0 : index);
    }
  }
  // The palette has no colours at 6 and 7, so keeping fill codes turns
  // exactly the shadow indices into fill runs.
  std::string error;
  std::optional<std::vector<uint8_t>> data =
      pack::EncodeFrame(rect, pack::EncodeOptions{compression, compression != 0}, error);
  if (!data) throw std::runtime_error(error);
  pack::StoredFrame frame;
  frame.head.compression = compression;
  frame.head.fullWidth = canvas.width();
  frame.head.fullHeight = canvas.height();
  frame.head.width = width;
  frame.head.height = height;
  frame.head.leftMargin = left;
  frame.head.topMargin = top;
  frame.data = std::move(*data);
  return frame;
}

}  // namespace dw::samples
