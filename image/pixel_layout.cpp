#include "image/pixel_layout.h"

#include <bit>

#include "archive/bmp_layout.h"
#include "archive/little_endian.h"

namespace dw::image_detail {

using le::GetI32;
using le::GetU16;
using le::GetU32;
using le::PutU16;
using le::PutU32;

namespace {

constexpr uint32_t kStandardRed = 0x00FF0000, kStandardGreen = 0x0000FF00, kStandardBlue = 0xFF;

void SetMasks(PixelLayout& layout, uint32_t red, uint32_t green, uint32_t blue) {
  layout.red = ChannelMask::Of(red);
  layout.green = ChannelMask::Of(green);
  layout.blue = ChannelMask::Of(blue);
}

// Bit-field images keep their masks where the colour table would be; without
// usable masks the format's usual ones apply.
bool SetMasksFromHeader(PixelLayout& layout, const uint8_t* header) {
  const uint32_t compression = GetU32(header + kInfoCompression);
  if (compression != kBitFieldsCompression && compression != kAlphaBitFieldsCompression) {
    return false;
  }
  const uint8_t* masks = header + kBmpInfoHeaderSize;
  const uint32_t red = GetU32(masks), green = GetU32(masks + 4), blue = GetU32(masks + 8);
  if ((red | green | blue) == 0) return false;
  SetMasks(layout, red, green, blue);
  return true;
}

uint32_t ChannelValue(const ChannelMask& channel, uint32_t level) {
  if (channel.max == 0) return 0;
  const uint64_t part = (uint64_t{level} * channel.max + 127) / 255;
  return static_cast<uint32_t>(part << channel.shift) & channel.mask;
}

}  // namespace

uint8_t ChannelColour(const ChannelMask& channel, uint32_t value) {
  if (channel.max == 0) return 0;
  const uint64_t part = (value & channel.mask) >> channel.shift;
  return static_cast<uint8_t>((part * 255 + channel.max / 2) / channel.max);
}

ChannelMask ChannelMask::Of(uint32_t mask) {
  ChannelMask channel;
  if (mask == 0) return channel;
  channel.mask = mask;
  channel.shift = std::countr_zero(mask);
  channel.max = mask >> channel.shift;
  return channel;
}

bool PixelLayout::SameEncodingAs(const PixelLayout& other) const {
  if (bits != other.bits || indexed != other.indexed) return false;
  if (indexed) return true;  // indices are copied as they are, with their table
  return red.mask == other.red.mask && green.mask == other.green.mask &&
         blue.mask == other.blue.mask;
}

int BitsOf(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits1:
      return 1;
    case PixelFormat::Bits4:
      return 4;
    case PixelFormat::Bits8:
      return 8;
    case PixelFormat::Bits16:
    case PixelFormat::Bits16Masks:
      return 16;
    case PixelFormat::Bits24:
      return 24;
    case PixelFormat::Bits32:
      return 32;
    case PixelFormat::Device:
      break;
  }
  return 0;
}

int64_t RowBytes(int64_t width, int bits) {
  if (width < 0 || bits <= 0) return -1;
  const int64_t bytes = (width * bits + 31) / 32 * 4;
  return bytes > kMaxBitmapBytes ? -1 : bytes;
}


PixelLayout LayoutOf(PixelFormat format, const uint8_t* header) {
  PixelLayout layout;
  layout.bits = BitsOf(format);
  if (header == nullptr || layout.bits == 0) return PixelLayout{};
  switch (format) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8:
      layout.indexed = true;
      layout.table = header + kBmpInfoHeaderSize;
      break;
    case PixelFormat::Bits16:
      SetMasks(layout, 0x7C00, 0x03E0, 0x001F);
      break;
    case PixelFormat::Bits16Masks:
      if (!SetMasksFromHeader(layout, header)) SetMasks(layout, 0xF800, 0x07E0, 0x001F);
      break;
    case PixelFormat::Bits24:
      SetMasks(layout, kStandardRed, kStandardGreen, kStandardBlue);
      break;
    case PixelFormat::Bits32:
      if (!SetMasksFromHeader(layout, header)) {
        SetMasks(layout, kStandardRed, kStandardGreen, kStandardBlue);
      }
      break;
    case PixelFormat::Device:
      break;
  }
  return layout;
}

uint32_t ReadValue(const uint8_t* row, int32_t x, int bits) {
  switch (bits) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 8:
      return row[x];
    case 16:
      return GetU16(row + 2 * static_cast<int64_t>(x));
    case 24: {
      const uint8_t* at = row + 3 * static_cast<int64_t>(x);
      return uint32_t{at[0]} | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16);
    }
    case 32:
      return GetU32(row + 4 * static_cast<int64_t>(x));
    default:
      return 0;
  }
}

void WriteValue(uint8_t* row, int32_t x, int bits, uint32_t value) {
  switch (bits) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>((value & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
      break;
    }
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      uint8_t& at = row[x >> 1];
      at = static_cast<uint8_t>((at & ~(0x0F << shift)) | ((value & 0x0F) << shift));
      break;
    }
    case 8:
      row[x] = static_cast<uint8_t>(value);
      break;
    case 16:
      PutU16(row + 2 * static_cast<int64_t>(x), static_cast<uint16_t>(value));
      break;
    case 24: {
      uint8_t* at = row + 3 * static_cast<int64_t>(x);
      at[0] = static_cast<uint8_t>(value);
      at[1] = static_cast<uint8_t>(value >> 8);
      at[2] = static_cast<uint8_t>(value >> 16);
      break;
    }
    case 32:
      PutU32(row + 4 * static_cast<int64_t>(x), value);
      break;
    default:
      break;
  }
}

uint32_t ColourOf(const PixelLayout& layout, uint32_t value) {
  if (layout.indexed) return TableColour(layout.table, value);
  return (uint32_t{ChannelColour(layout.red, value)} << 16) |
         (uint32_t{ChannelColour(layout.green, value)} << 8) | ChannelColour(layout.blue, value);
}

uint32_t ValueOf(const PixelLayout& layout, uint32_t colour) {
  return ChannelValue(layout.red, (colour >> 16) & 0xFF) |
         ChannelValue(layout.green, (colour >> 8) & 0xFF) |
         ChannelValue(layout.blue, colour & 0xFF);
}

}  // namespace dw::image_detail
