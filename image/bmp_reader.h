// Reading a BMP image (with or without its 14-byte file header) from a
// stream into plain memory. Nothing is allocated before the stream is known
// to hold the colour table and every pixel row.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "archive/stream.h"
#include "image/pixel_format.h"

namespace dw::image_detail {

struct BmpImage {
  std::vector<uint8_t> header;  // info header + colour table, kDibHeaderBlockSize bytes
  std::vector<uint8_t> bits;    // rows as stored, scanLineSize each
  int32_t width = 0;
  int32_t height = 0;  // |biHeight|; 0 gives no rows
  int32_t scanLineSize = 0;
  PixelFormat format = PixelFormat::Device;
};

// Reads one image from the stream's position and leaves the stream behind
// its pixel rows. No image when the stream is short, the width is 0 or less,
// the bit count is unknown or the rows exceed kMaxBitmapBytes; the stream's
// position is then unspecified.
std::optional<BmpImage> ReadBmpImage(Stream& stream);

// A whole BMP file's pixels, decoded: 8-bit images keep their indices and
// colour table, 24- and 32-bit ones (plain or with bit fields) become red,
// green, blue and alpha bytes.
struct DecodedBmp {
  int32_t width = 0;
  int32_t height = 0;
  int tableEntries = 0;                // 8-bit: colours in the table, 1..256; 0: RGBA
  bool alpha = false;                  // RGBA whose alpha the file holds (else all 255)
  std::array<uint8_t, 768> palette{};  // red, green, blue per index
  std::unique_ptr<uint8_t[]> pixels;   // top row first; 1 byte a pixel, or 4 for RGBA
};

enum class BmpFault {
  ShortHeaders,  // shorter than its headers
  Depth,         // not 8, 24 or 32 bits, or compressed
  Damaged,       // a header field out of range
  NoPixels,      // width or height 0
  TooLarge,      // more than the caller's pixel limit
  ShortRows,     // shorter than its colour table and rows
  Overlap,       // the pixel rows start inside the headers or colour table
  IndexBeyond,   // an 8-bit pixel beyond the colour table
};

struct BmpFailure {
  BmpFault fault = BmpFault::Damaged;
  // Depth: bits per pixel; Overlap: the pixel offset; IndexBeyond: the index;
  // NoPixels: the width
  int64_t value = 0;
  int64_t limit = 0;  // Overlap: where the table ends; NoPixels: the height
};

// Every size is checked against the file and maxPixels before the pixels are
// allocated; nothing is allocated for a file that fails.
std::optional<DecodedBmp> DecodeBmpFile(const uint8_t* data, int64_t size, int64_t maxPixels,
                                        BmpFailure& failure);

}  // namespace dw::image_detail
