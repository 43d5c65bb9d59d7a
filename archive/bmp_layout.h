// The layout of the BMP files the program reads and writes: a 14-byte file
// header, a 40-byte info header, a colour table, then the pixel rows, each
// padded to a multiple of 4 bytes and stored bottom-up unless the height is
// negative. Every reader and writer takes its offsets from here.
#pragma once

#include <cstdint>

namespace dw {

inline constexpr int32_t kBmpFileHeaderSize = 14;
inline constexpr int32_t kBmpInfoHeaderSize = 40;
inline constexpr int32_t kBmpHeaderSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;  // 54
inline constexpr int32_t kBmpColourTableSize = 256 * 4;
// Where the pixels of an 8-bit image with a full colour table start.
inline constexpr int32_t kBmpPixelOffset = kBmpHeaderSize + kBmpColourTableSize;  // 1078

// Field offsets inside the info header.
inline constexpr int kInfoWidth = 4;
inline constexpr int kInfoHeight = 8;
inline constexpr int kInfoPlanes = 12;
inline constexpr int kInfoBitCount = 14;
inline constexpr int kInfoCompression = 16;
inline constexpr int kInfoSizeImage = 20;
inline constexpr int kInfoColoursUsed = 32;
// Bit-field masks (red, green, blue, then alpha) follow the 40 bytes above,
// inside a longer info header or after a 40-byte one.
inline constexpr int kInfoMasks = kBmpInfoHeaderSize;
inline constexpr uint32_t kBitFieldsCompression = 3;
inline constexpr uint32_t kAlphaBitFieldsCompression = 6;

// The 54-byte header of an 8-bit image with a full colour table.
struct BmpHeader {
  // BITMAPFILEHEADER
  uint16_t bfType = 0x4D42;  // "BM"
  uint32_t bfSize = 0;
  uint16_t bfReserved1 = 0;
  uint16_t bfReserved2 = 0;
  uint32_t bfOffBits = kBmpPixelOffset;
  // BITMAPINFOHEADER
  uint32_t biSize = kBmpInfoHeaderSize;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 8;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

// The header of a decoded frame of width x height (pixelBytes of rows). No
// reader looks at the resolution fields; they hold the pixel count, wrapped
// to 32 bits, as the frame images have always carried.
BmpHeader FrameBmpHeader(int32_t width, int32_t height, int64_t pixelBytes);

// Writes the 54 header bytes into out[0..53].
void SerializeBmpHeader(const BmpHeader& header, uint8_t* out);

}  // namespace dw
