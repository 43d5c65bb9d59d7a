// The archive's 256 colours. The DEF file stores them as red, green, blue
// triples; in memory they are BMP colour quads, so that a palette is a BMP
// colour table as it stands.
#pragma once

#include <array>
#include <cstdint>

namespace dw {

// One colour quad in BMP order.
struct ColourQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  bool operator==(const ColourQuad&) const = default;
};
using Palette = std::array<ColourQuad, 256>;

static_assert(sizeof(Palette) == 1024, "the palette is a BMP colour table as is");

}  // namespace dw
