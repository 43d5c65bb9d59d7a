// The tests' one BMP writer: byte images of any layout for the bitmap tests,
// and the 8-bit images the frame writer must give.
#pragma once

#include <cstdint>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace dw::testing {

struct BmpSpec {
  bool fileHeader = true;  // false: the bytes begin with the info header
  int32_t width = 1;
  int32_t height = 1;  // negative: rows stored top-down
  uint16_t planes = 1;
  uint16_t bitCount = 8;
  uint32_t compression = 0;
  std::vector<uint8_t> table;           // written between the info header and the pixels
  std::vector<uint8_t> pixels;          // rows as stored
  std::optional<uint32_t> pixelOffset{};  // default 54 + table size
  uint32_t fileSize = 0;                // default: the real size
  uint32_t sizeImage = 0;
  int32_t resolution = 0;  // both pixels-per-metre fields
};

std::vector<uint8_t> BuildBmp(const BmpSpec& plan);
BmpSpec Layout(int32_t width, int32_t height, uint16_t bitCount, std::vector<uint8_t> pixels,
             std::vector<uint8_t> table = {}, uint32_t compression = 0);

// n colour quads; entry i is colour(i) as 0x00RRGGBB.
template <typename ColourOf>
std::vector<uint8_t> ColourTable(int n, ColourOf colour) {
  std::vector<uint8_t> table;
  for (int i = 0; i < n; ++i) {
    const uint32_t c = colour(i);
    table.insert(table.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
  }
  return table;
}

// Colour i of the archive writer's test palette, as 0x00RRGGBB, and all 256 as a table.
uint32_t TestPaletteColour(int i);
std::vector<uint8_t> TestTable();

// A bottom-up 8-bit image with the test table whose index at (x, y from the
// top) is index(x, y); row padding holds `padding`.
BmpSpec EightBit(int width, int height, const std::function<uint32_t(int, int)>& index,
                 uint8_t padding = 0xAA);

// width x height palette indices (top row first) as an 8-bit bottom-up image
// with the given palette (red, green, blue per entry), its header filled as
// the frame writer fills it: image size, and width times height as the
// resolution.
std::vector<uint8_t> IndexedBmp(int32_t width, int32_t height, const std::vector<uint8_t>& pixels,
                                const std::array<uint8_t, 768>& palette);

}  // namespace dw::testing
