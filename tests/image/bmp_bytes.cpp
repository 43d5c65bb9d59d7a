#include "tests/image/bmp_bytes.h"

namespace dw::testing {
namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> BuildBmp(const BmpSpec& plan) {
  std::vector<uint8_t> out;
  const auto tableSize = static_cast<uint32_t>(plan.table.size());
  const auto pixelSize = static_cast<uint32_t>(plan.pixels.size());
  if (plan.fileHeader) {
    out = {'B', 'M'};
    Put(out, plan.fileSize != 0 ? plan.fileSize : 54 + tableSize + pixelSize, 4);
    Put(out, 0, 4);
    Put(out, plan.pixelOffset.value_or(54 + tableSize), 4);
  }
  for (uint32_t v : {40u, uint32_t(plan.width), uint32_t(plan.height)}) Put(out, v, 4);
  Put(out, plan.planes, 2);
  Put(out, plan.bitCount, 2);
  for (uint32_t v : {plan.compression, plan.sizeImage, 0u, 0u, 0u, 0u}) Put(out, v, 4);
  out.insert(out.end(), plan.table.begin(), plan.table.end());
  out.insert(out.end(), plan.pixels.begin(), plan.pixels.end());
  return out;
}

BmpSpec Layout(int32_t width, int32_t height, uint16_t bitCount, std::vector<uint8_t> pixels,
             std::vector<uint8_t> table, uint32_t compression) {
  BmpSpec plan;
  plan.width = width;
  plan.height = height;
  plan.bitCount = bitCount;
  plan.compression = compression;
  plan.table = std::move(table);
  plan.pixels = std::move(pixels);
  return plan;
}

uint32_t TestPaletteColour(int i) {
  return (uint32_t(i & 0xFF) << 16) | (uint32_t((255 - i) & 0xFF) << 8) | uint32_t((7 * i) & 0xFF);
}

std::vector<uint8_t> TestTable() {
  return ColourTable(256, TestPaletteColour);
}

BmpSpec EightBit(int width, int height, const std::function<uint32_t(int, int)>& index,
                 uint8_t padding) {
  const int stride = (width + 3) / 4 * 4;
  BmpSpec plan =
      Layout(width, height, 8, std::vector<uint8_t>(size_t(stride) * height, padding), TestTable());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      plan.pixels[size_t(height - 1 - y) * stride + x] = uint8_t(index(x, y));
    }
  }
  return plan;
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

Grid Indices(const Bitmap& bitmap) {
  Grid rows(bitmap.Height());
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) rows[y].push_back(bitmap.PixelAt(x, y));
  }
  return rows;
}

}  // namespace dw::testing
