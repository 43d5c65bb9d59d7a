#include "cli/outputs/sprite_crop.h"

#include <algorithm>
#include <cstring>

namespace dw::cli {

CropBox StoredRectangle(const FrameHeader& head, const IndexedImage& full) {
  CropBox box;
  const int64_t left = std::max(head.leftMargin, 0), top = std::max(head.topMargin, 0);
  const int64_t width = std::clamp<int64_t>(int64_t{full.width} - left, 0, std::max(head.width, 0));
  const int64_t height =
      std::clamp<int64_t>(int64_t{full.height} - top, 0, std::max(head.height, 0));
  if (width == 0 || height == 0 || full.Empty()) {
    box.empty = true;
    return box;
  }
  box.left = int32_t(left);
  box.top = int32_t(top);
  box.width = int32_t(width);
  box.height = int32_t(height);
  return box;
}

IndexedImage Crop(const IndexedImage& full, const CropBox& box) {
  IndexedImage cut;
  cut.palette = full.palette;
  cut.width = box.empty ? 1 : box.width;
  cut.height = box.empty ? 1 : box.height;
  cut.stride = StrideOf(cut.width);
  cut.pixels.assign(size_t(cut.stride * cut.height), 0);
  if (box.empty) return cut;
  for (int32_t y = 0; y < box.height; ++y)
    std::memcpy(cut.TopRow(y), full.TopRow(box.top + y) + box.left, size_t(box.width));
  return cut;
}

}  // namespace dw::cli
