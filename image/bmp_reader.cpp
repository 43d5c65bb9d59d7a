#include "image/bmp_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/bmp_layout.h"
#include "archive/little_endian.h"
#include "image/pixel_layout.h"

namespace dw::image_detail {

using le::GetI32;
using le::GetU16;
using le::GetU32;
using le::PutU16;
using le::PutU32;

namespace {

PixelFormat FormatFor(int64_t planesTimesBits, uint32_t compression) {
  switch (planesTimesBits) {
    case 1:
      return PixelFormat::Bits1;
    case 4:
      return PixelFormat::Bits4;
    case 8:
      return PixelFormat::Bits8;
    case 16:
      return compression == 0 ? PixelFormat::Bits16 : PixelFormat::Bits16Masks;
    case 24:
      return PixelFormat::Bits24;
    case 32:
      return PixelFormat::Bits32;
    default:
      return PixelFormat::Device;
  }
}

// The colour table is as long as the format's own, unless the file header
// places the pixels elsewhere: then everything between the info header and
// the pixels counts as the table, up to 1,024 bytes.
int64_t ColourTableBytes(PixelFormat format, int64_t pixelOffset) {
  const int bits = BitsOf(format);
  int64_t length = bits <= 8 ? int64_t{4} << bits : format == PixelFormat::Bits16Masks ? 12 : 0;
  const int64_t headersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;
  if (pixelOffset > 0 && pixelOffset != headersSize + length) {
    length = std::clamp<int64_t>(pixelOffset - headersSize, 0, 1024);
  }
  return length;
}

}  // namespace

std::optional<BmpImage> ReadBmpImage(Stream& stream) {
  const int32_t start = CurrentPosition(stream);
  uint8_t fileHeader[kBmpFileHeaderSize];
  if (ReadBytes(stream, fileHeader, kBmpFileHeaderSize) < kBmpFileHeaderSize) return std::nullopt;
  int64_t pixelOffset = 0;
  if (fileHeader[0] == 'B' && fileHeader[1] == 'M') {
    pixelOffset = GetU32(fileHeader + 10);
  } else {
    SeekTo(stream, start);  // the stream begins with the info header
  }

  uint8_t info[kBmpInfoHeaderSize];
  if (ReadBytes(stream, info, kBmpInfoHeaderSize) < kBmpInfoHeaderSize) return std::nullopt;
  const int32_t width = GetI32(info + kInfoWidth);
  const int32_t signedHeight = GetI32(info + kInfoHeight);
  const int64_t planesTimesBits =
      int64_t{GetU16(info + kInfoPlanes)} * GetU16(info + kInfoBitCount);
  const PixelFormat format = FormatFor(planesTimesBits, GetU32(info + kInfoCompression));
  if (format == PixelFormat::Device || width <= 0 ||
      signedHeight == std::numeric_limits<int32_t>::min()) {
    return std::nullopt;
  }
  const int32_t height = signedHeight < 0 ? -signedHeight : signedHeight;
  const int64_t rowBytes = RowBytes(width, BitsOf(format));
  if (rowBytes < 0 || rowBytes * height > kMaxBitmapBytes) return std::nullopt;
  const int64_t pixelBytes = rowBytes * height;
  const int64_t tableBytes = ColourTableBytes(format, pixelOffset);
  const int64_t left = int64_t{StreamSize(stream)} - CurrentPosition(stream);
  if (left < tableBytes + pixelBytes) return std::nullopt;

  BmpImage image;
  image.width = width;
  image.height = height;
  image.scanLineSize = static_cast<int32_t>(rowBytes);
  image.format = format;
  image.header.assign(kDibHeaderBlockSize, 0);
  std::memcpy(image.header.data(), info, kBmpInfoHeaderSize);
  const auto tableCount = static_cast<int32_t>(tableBytes);
  if (tableCount > 0 &&
      ReadBytes(stream, image.header.data() + kBmpInfoHeaderSize, tableCount) < tableCount) {
    return std::nullopt;
  }
  if (pixelBytes > 0) {
    image.bits.assign(static_cast<size_t>(pixelBytes), 0);
    const auto pixelCount = static_cast<int32_t>(pixelBytes);
    if (ReadBytes(stream, image.bits.data(), pixelCount) < pixelCount) return std::nullopt;
  }
  return image;
}

}  // namespace dw::image_detail
