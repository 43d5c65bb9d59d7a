#include "archive/bmp_layout.h"

#include "archive/little_endian.h"

namespace dw {

BmpHeader FrameBmpHeader(int32_t width, int32_t height, int64_t pixelBytes) {
  BmpHeader h;
  h.biWidth = width;
  h.biHeight = height;
  h.bfSize = static_cast<uint32_t>(kBmpPixelOffset + pixelBytes);
  h.biSizeImage = static_cast<uint32_t>(pixelBytes);
  const auto resolution = static_cast<int32_t>(uint32_t(width) * uint32_t(height));
  h.biXPelsPerMeter = resolution;
  h.biYPelsPerMeter = resolution;
  return h;
}

void SerializeBmpHeader(const BmpHeader& h, uint8_t* out) {
  le::PutU16(out + 0, h.bfType);
  le::PutU32(out + 2, h.bfSize);
  le::PutU16(out + 6, h.bfReserved1);
  le::PutU16(out + 8, h.bfReserved2);
  le::PutU32(out + 10, h.bfOffBits);
  uint8_t* info = out + kBmpFileHeaderSize;
  le::PutU32(info + 0, h.biSize);
  le::PutI32(info + kInfoWidth, h.biWidth);
  le::PutI32(info + kInfoHeight, h.biHeight);
  le::PutU16(info + kInfoPlanes, h.biPlanes);
  le::PutU16(info + kInfoBitCount, h.biBitCount);
  le::PutU32(info + kInfoCompression, h.biCompression);
  le::PutU32(info + kInfoSizeImage, h.biSizeImage);
  le::PutI32(info + 24, h.biXPelsPerMeter);
  le::PutI32(info + 28, h.biYPelsPerMeter);
  le::PutU32(info + 32, h.biClrUsed);
  le::PutU32(info + 36, h.biClrImportant);
}

}  // namespace dw
