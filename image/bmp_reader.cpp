#include "image/bmp_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/bmp_layout.h"
#include "archive/byte_cursor.h"
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

std::optional<DecodedBmp> Fail(BmpFailure& failure, BmpFault fault, int64_t value = 0,
                               int64_t limit = 0) {
  failure = {fault, value, limit};
  return std::nullopt;
}

// The channels of a 32-bit image: its bit fields, else bytes in blue,
// green, red, alpha order. alphaBytes: the fourth byte of a plain image,
// which is alpha when any pixel sets it.
struct Channels {
  ChannelMask red = ChannelMask::Of(0x00FF0000), green = ChannelMask::Of(0xFF00),
              blue = ChannelMask::Of(0xFF), alpha = ChannelMask::Of(0xFF000000);
  bool alphaBytes = true;
  bool standard = true;
};

// Rows of 24- or 32-bit pixels into red, green, blue, alpha.
void ConvertRow(const uint8_t* row, int32_t width, int bits, const Channels& c, uint8_t* out) {
  if (bits == 24) {
    for (int32_t x = 0; x < width; ++x, row += 3, out += 4) {
      out[0] = row[2], out[1] = row[1], out[2] = row[0], out[3] = 255;
    }
  } else if (c.standard) {
    for (int32_t x = 0; x < width; ++x, row += 4, out += 4) {
      out[0] = row[2], out[1] = row[1], out[2] = row[0], out[3] = row[3];
    }
  } else {
    for (int32_t x = 0; x < width; ++x, row += 4, out += 4) {
      const uint32_t value = GetU32(row);
      out[0] = ChannelColour(c.red, value), out[1] = ChannelColour(c.green, value);
      out[2] = ChannelColour(c.blue, value);
      out[3] = c.alpha.max == 0 ? 255 : ChannelColour(c.alpha, value);
    }
  }
}

}  // namespace

std::optional<DecodedBmp> DecodeBmpFile(const uint8_t* data, int64_t size, int64_t maxPixels,
                                        BmpFailure& failure) {
  ByteCursor cursor(data, size);
  const uint8_t* head = cursor.Peek(kBmpHeaderSize);
  if (head == nullptr) return Fail(failure, BmpFault::ShortHeaders);
  const int64_t pixelOffset = GetU32(head + 10);
  const uint8_t* info = head + kBmpFileHeaderSize;
  const int64_t infoSize = GetU32(info);
  const int32_t width = GetI32(info + kInfoWidth);
  const int32_t signedHeight = GetI32(info + kInfoHeight);
  const int bits = GetU16(info + kInfoBitCount);
  const uint32_t compression = GetU32(info + kInfoCompression);
  const int64_t used = GetU32(info + kInfoColoursUsed);
  const bool fields =
      compression == kBitFieldsCompression || compression == kAlphaBitFieldsCompression;
  if (!((bits == 8 || bits == 24) && compression == 0) &&
      !(bits == 32 && (compression == 0 || fields)))
    return Fail(failure, BmpFault::Depth, bits);
  // Masks lie after a 40-byte info header, or inside one of at least 52
  // bytes (56 and more with the alpha mask).
  const bool alphaMask = compression == kAlphaBitFieldsCompression || infoSize >= 56;
  if (infoSize < kBmpInfoHeaderSize || infoSize > size || width < 0 ||
      signedHeight == std::numeric_limits<int32_t>::min() || (bits == 8 && used > 256) ||
      (fields && infoSize != kBmpInfoHeaderSize && infoSize < 52))
    return Fail(failure, BmpFault::Damaged);
  const int32_t height = signedHeight < 0 ? -signedHeight : signedHeight;
  const int64_t entries = bits != 8 ? 0 : used == 0 ? 256 : used;
  int64_t tableEnd = kBmpFileHeaderSize + infoSize + 4 * entries;
  if (fields && infoSize == kBmpInfoHeaderSize) tableEnd += alphaMask ? 16 : 12;
  const int64_t rowBytes = RowBytes(width, bits);
  if (rowBytes < 0 || tableEnd > size || pixelOffset + rowBytes * height > size)
    return Fail(failure, BmpFault::ShortRows);
  if (pixelOffset < tableEnd) return Fail(failure, BmpFault::Overlap, pixelOffset, tableEnd);
  if (width == 0 || height == 0) return Fail(failure, BmpFault::NoPixels, width, height);
  if (int64_t{width} * height > maxPixels) return Fail(failure, BmpFault::TooLarge, maxPixels);

  Channels channels;
  if (fields) {
    cursor.SeekTo(kBmpFileHeaderSize + kInfoMasks);
    const uint8_t* masks = cursor.Peek(alphaMask ? 16 : 12);
    if (masks == nullptr) return Fail(failure, BmpFault::ShortRows);
    channels.red = ChannelMask::Of(GetU32(masks));
    channels.green = ChannelMask::Of(GetU32(masks + 4));
    channels.blue = ChannelMask::Of(GetU32(masks + 8));
    channels.alpha = ChannelMask::Of(alphaMask ? GetU32(masks + 12) : 0);
    channels.alphaBytes = false;
    channels.standard = channels.red.mask == 0x00FF0000 && channels.green.mask == 0xFF00 &&
                        channels.blue.mask == 0xFF && channels.alpha.mask == 0xFF000000;
  }
  DecodedBmp image;
  image.width = width;
  image.height = height;
  image.tableEntries = static_cast<int>(entries);
  cursor.SeekTo(kBmpFileHeaderSize + infoSize);
  const uint8_t* table = cursor.Peek(4 * entries);
  for (int64_t i = 0; i < entries; ++i) {
    image.palette[size_t(3 * i)] = table[4 * i + 2];
    image.palette[size_t(3 * i + 1)] = table[4 * i + 1];
    image.palette[size_t(3 * i + 2)] = table[4 * i];
  }
  const int64_t pixelBytes = bits == 8 ? 1 : 4;
  const int64_t outRow = pixelBytes * width;
  image.pixels.reset(new uint8_t[size_t(outRow * height)]);  // every byte written below
  bool anyAlpha = false;
  for (int32_t y = 0; y < height; ++y) {
    cursor.SeekTo(pixelOffset + StoredRow(y, height, signedHeight < 0) * rowBytes);
    const uint8_t* row = cursor.Peek(rowBytes);
    uint8_t* out = image.pixels.get() + y * outRow;
    if (bits != 8) {
      ConvertRow(row, width, bits, channels, out);
      continue;
    }
    std::memcpy(out, row, size_t(width));
    if (entries == 256) continue;  // every byte names a colour
    for (int32_t x = 0; x < width; ++x)
      if (out[x] >= entries) return Fail(failure, BmpFault::IndexBeyond, out[x]);
  }
  image.alpha = bits == 32 && channels.alpha.max != 0;
  // A plain 32-bit image whose fourth bytes are all 0 carries no alpha.
  if (bits == 32 && channels.alphaBytes) {
    const int64_t count = int64_t{width} * height;
    uint8_t* p = image.pixels.get();
    for (int64_t i = 0; i < count && !anyAlpha; ++i) anyAlpha = p[4 * i + 3] != 0;
    for (int64_t i = 0; i < count && !anyAlpha; ++i) p[4 * i + 3] = 255;
    image.alpha = anyAlpha;
  }
  return image;
}

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
