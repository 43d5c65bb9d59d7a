// How a bitmap's pixel values turn into colours and back. Colours are
// 0x00RRGGBB. Indexed layouts (1, 4 and 8 bits) look their values up in the
// colour table; the others split them by channel masks.
#pragma once

#include <cstdint>

#include "image/pixel_format.h"

namespace dw::image_detail {

struct ChannelMask {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;  // mask >> shift

  static ChannelMask Of(uint32_t mask);
};

// The channel's level in value, scaled to 0..255 (0 without a mask).
uint8_t ChannelColour(const ChannelMask& channel, uint32_t value);

struct PixelLayout {
  int bits = 0;                    // 1, 4, 8, 16, 24 or 32; 0 without pixels
  bool indexed = false;            // values are colour-table indices
  const uint8_t* table = nullptr;  // 2^bits blue, green, red, reserved quads
  ChannelMask red, green, blue;

  int tableEntries() const { return indexed ? 1 << bits : 0; }
  // Same bits and same meaning of every value.
  bool SameEncodingAs(const PixelLayout& other) const;
};

// The layout of pixels of format described by header (a kDibHeaderBlockSize
// block); the header must outlive it.
PixelLayout LayoutOf(PixelFormat format, const uint8_t* header);

int BitsOf(PixelFormat format);

// Bytes of one row of width pixels, padded to a multiple of 4; -1 when more
// than kMaxBitmapBytes.
int64_t RowBytes(int64_t width, int bits);

uint32_t ReadValue(const uint8_t* row, int32_t x, int bits);
void WriteValue(uint8_t* row, int32_t x, int bits, uint32_t value);

uint32_t ColourOf(const PixelLayout& layout, uint32_t value);
// For layouts that are not indexed.
uint32_t ValueOf(const PixelLayout& layout, uint32_t colour);

inline uint32_t TableColour(const uint8_t* table, uint32_t index) {
  const uint8_t* quad = table + 4 * index;
  return (uint32_t{quad[2]} << 16) | (uint32_t{quad[1]} << 8) | quad[0];
}

// Row y counted from the top, for rows stored bottom-up or top-down.
inline int32_t StoredRow(int32_t y, int32_t height, bool topDown) {
  return topDown ? y : height - 1 - y;
}

}  // namespace dw::image_detail
