// Reading a BMP image (with or without its 14-byte file header) from a
// stream into plain memory. Nothing is allocated before the stream is known
// to hold the colour table and every pixel row.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "archive/stream.h"
#include "image/bitmap.h"

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

}  // namespace dw::image_detail
