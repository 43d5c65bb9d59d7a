#include "tests/image/bmp_bytes.h"

namespace dw::testing {
namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> BuildBmp(const BmpSpec& spec) {
  std::vector<uint8_t> out;
  const auto tableSize = static_cast<uint32_t>(spec.table.size());
  const auto pixelSize = static_cast<uint32_t>(spec.pixels.size());
  if (spec.fileHeader) {
    out.push_back('B');
    out.push_back('M');
    Put32(out, spec.fileSize != 0 ? spec.fileSize : 54 + tableSize + pixelSize);
    Put32(out, 0);
    Put32(out, spec.pixelOffset.value_or(54 + tableSize));
  }
  Put32(out, 40);
  Put32(out, uint32_t(spec.width));
  Put32(out, uint32_t(spec.height));
  Put16(out, spec.planes);
  Put16(out, spec.bitCount);
  Put32(out, spec.compression);
  Put32(out, spec.sizeImage);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  out.insert(out.end(), spec.table.begin(), spec.table.end());
  out.insert(out.end(), spec.pixels.begin(), spec.pixels.end());
  return out;
}

uint32_t TestPaletteColour(int i) {
  return (uint32_t(i & 0xFF) << 16) | (uint32_t((255 - i) & 0xFF) << 8) | uint32_t((7 * i) & 0xFF);
}

StreamPtr MemoryStreamOf(const std::vector<uint8_t>& bytes) {
  StreamPtr stream = CreateMemoryStream();
  if (!bytes.empty()) WriteBytes(*stream, bytes.data(), static_cast<int32_t>(bytes.size()));
  SeekTo(*stream, 0);
  return stream;
}

std::vector<uint8_t> AllBytes(Stream& memoryStream) {
  const std::vector<uint8_t>* bytes = MemoryStreamBytes(memoryStream);
  if (bytes == nullptr) return {};
  return std::vector<uint8_t>(bytes->begin(), bytes->begin() + StreamSize(memoryStream));
}

std::unique_ptr<Bitmap> LoadBitmap(const std::vector<uint8_t>& bytes) {
  std::unique_ptr<Bitmap> bitmap = CreateBitmap(1, 1);
  StreamPtr stream = MemoryStreamOf(bytes);
  bitmap->LoadFromStream(*stream);
  return bitmap;
}

std::vector<uint8_t> SaveBitmap(Bitmap& bitmap) {
  StreamPtr stream = CreateMemoryStream();
  bitmap.SaveToStream(*stream);
  return AllBytes(*stream);
}

uint32_t TableEntry(const Bitmap& bitmap, int index) {
  const uint8_t* quad = bitmap.dibHeader() + 40 + 4 * index;
  return (uint32_t(quad[2]) << 16) | (uint32_t(quad[1]) << 8) | quad[0];
}

}  // namespace dw::testing
