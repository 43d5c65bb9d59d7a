// Finds the colour-table index a colour is painted as: the lowest index that
// holds exactly that colour, else the index of the nearest colour (least
// squared red, green and blue distance; the lowest index on ties).
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace dw::image_detail {

class PaletteMatcher {
 public:
  // table: entries quads of blue, green, red, reserved (the reserved byte is
  // not part of the colour). The matcher copies what it needs.
  PaletteMatcher(const uint8_t* table, int entries);

  // colour: 0x00RRGGBB.
  uint8_t IndexOf(uint32_t colour) const;
  // The lowest index that holds exactly that colour, if any.
  std::optional<uint8_t> ExactIndexOf(uint32_t colour) const;

 private:
  std::vector<uint32_t> colours_;                    // by index
  std::vector<std::pair<uint32_t, uint8_t>> exact_;  // sorted by colour, lowest index kept
};

}  // namespace dw::image_detail
