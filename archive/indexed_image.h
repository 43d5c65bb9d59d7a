// A decoded frame in memory: width x height palette indices with the
// archive's palette. Rows are stride bytes (width rounded up to a multiple of
// 4, as in a BMP file) and stored bottom-up, so the pixel block is the BMP's
// pixel block byte for byte. The padding bytes at the end of each row are 0.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/palette.h"

namespace dw {

struct IndexedImage {
  int32_t width = 0;
  int32_t height = 0;
  int64_t stride = 0;
  Palette palette{};
  std::vector<uint8_t> pixels;  // height * stride bytes, bottom row first

  bool Empty() const { return width <= 0 || height <= 0; }
  // Row y counted from the top.
  const uint8_t* TopRow(int32_t y) const { return pixels.data() + (int64_t{height} - 1 - y) * stride; }
  uint8_t* TopRow(int32_t y) { return pixels.data() + (int64_t{height} - 1 - y) * stride; }
  uint8_t At(int32_t x, int32_t y) const { return TopRow(y)[x]; }
};

inline int64_t StrideOf(int64_t width) { return (width + 3) / 4 * 4; }

}  // namespace dw
