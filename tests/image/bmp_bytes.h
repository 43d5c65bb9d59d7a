// Building BMP byte images of any layout for the bitmap tests, and moving
// bytes in and out of bitmaps through memory streams.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "archive/stream.h"
#include "image/bitmap.h"

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
  std::optional<uint32_t> pixelOffset;  // default 54 + table size
  uint32_t fileSize = 0;                // default: the real size
  uint32_t sizeImage = 0;
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

StreamPtr MemoryStreamOf(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> AllBytes(Stream& memoryStream);
std::unique_ptr<Bitmap> LoadBitmap(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> SaveBitmap(Bitmap& bitmap);
// The colour table entry index of an indexed bitmap, as 0x00RRGGBB.
uint32_t TableEntry(const Bitmap& bitmap, int index);

// PixelAt of every pixel, top row first.
using Grid = std::vector<std::vector<uint32_t>>;
Grid Indices(const Bitmap& bitmap);

}  // namespace dw::testing
