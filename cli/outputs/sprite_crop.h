// --crop: a frame's image cut to its stored rectangle, so that an engine
// places the sprite by its offsets instead of carrying the margins.
#pragma once

#include <cstdint>

#include "archive/def_format.h"
#include "archive/indexed_image.h"

namespace dw::cli {

struct CropBox {
  int32_t left = 0, top = 0;  // where the cut image lies in the full image
  int32_t width = 0, height = 0;
  bool empty = false;  // the rectangle held no pixels: the image is 1 x 1 of index 0
};

// The stored rectangle of head clipped to the full image (margins of zero
// or less count as zero, as the decoder places them).
CropBox StoredRectangle(const FrameHeader& head, const IndexedImage& full);

// The part of full that box covers; an empty box gives a 1 x 1 image of
// index 0 with full's palette.
IndexedImage Crop(const IndexedImage& full, const CropBox& box);

}  // namespace dw::cli
