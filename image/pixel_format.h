// The pixel layouts a bitmap can hold and the size limits every bitmap keeps.
#pragma once

#include <cstdint>

#include "archive/bmp_layout.h"

namespace dw {

// Pixel layouts, chosen on load from planes x bit count.
enum class PixelFormat : uint8_t {
  Device = 0,  // not loaded yet (a "device-dependent" placeholder)
  Bits1 = 1,
  Bits4 = 2,
  Bits8 = 3,
  Bits16 = 4,       // 5-5-5
  Bits16Masks = 5,  // 5-6-5 bit fields
  Bits24 = 6,
  Bits32 = 7,
};

inline constexpr int32_t kDibHeaderBlockSize = kBmpInfoHeaderSize + kBmpColourTableSize;
// Largest pixel block a bitmap holds; larger images do not load or widen.
inline constexpr int64_t kMaxBitmapBytes = int64_t{256} << 20;

}  // namespace dw
