// Bitmaps converted for the screen: top row first, 0xAARRGGBB with alpha
// 0xFF. Nothing is cached: the screen path converts only the part it shows,
// so that a large image is never held a second time at 4 bytes a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/bitmap.h"

namespace dw {

struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, row after row
};

// Converts the w x h rectangle at (x, y) of bitmap (y counted from the top)
// into h rows of w pixels at out, each row outStride pixels after the one
// before. A bitmap that was never loaded converts to black. A rectangle that
// is empty or reaches outside the bitmap writes nothing and gives false; out
// must hold the rows asked for.
bool ConvertToScreen(const Bitmap& bitmap, int x, int y, int w, int h, uint32_t* out,
                     ptrdiff_t outStride);

// The whole bitmap converted, built anew at each call; 0 x 0 for an empty
// bitmap or one of more than 2^28 pixels.
ScreenImage MakeScreenImage(const Bitmap& bitmap);

}  // namespace dw
