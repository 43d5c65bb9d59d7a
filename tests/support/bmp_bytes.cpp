#include "tests/support/bmp_bytes.h"

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
  const auto resolution = uint32_t(plan.resolution);
  for (uint32_t v : {plan.compression, plan.sizeImage, resolution, resolution, 0u, 0u}) Put(out, v, 4);
  out.insert(out.end(), plan.table.begin(), plan.table.end());
  out.insert(out.end(), plan.pixels.begin(), plan.pixels.end());
  return out;
}

BmpSpec Layout(int32_t width, int32_t height, uint16_t bitCount, std::vector<uint8_t> pixels,
             std::vector<uint8_t> table, uint32_t compression) {
  return {.width = width, .height = height, .bitCount = bitCount, .compression = compression,
          .table = std::move(table), .pixels = std::move(pixels)};
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

std::vector<uint8_t> IndexedBmp(int32_t width, int32_t height, const std::vector<uint8_t>& pixels,
                                const std::array<uint8_t, 768>& palette) {
  BmpSpec plan = EightBit(width, height, [&](int x, int y) { return pixels[size_t(y) * width + x]; }, 0);
  plan.table = ColourTable(256, [&](int i) {
    return uint32_t(palette[3 * i]) << 16 | uint32_t(palette[3 * i + 1]) << 8 | palette[3 * i + 2];
  });
  plan.sizeImage = uint32_t(plan.pixels.size());
  plan.resolution = int32_t(uint32_t(width) * uint32_t(height));
  return BuildBmp(plan);
}

}  // namespace dw::testing
