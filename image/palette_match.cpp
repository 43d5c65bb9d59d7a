#include "image/palette_match.h"

#include <algorithm>

#include "image/pixel_layout.h"

namespace dw::image_detail {

PaletteMatcher::PaletteMatcher(const uint8_t* table, int entries) {
  colours_.reserve(entries);
  exact_.reserve(entries);
  for (int i = 0; i < entries; ++i) {
    const uint32_t colour = TableColour(table, static_cast<uint32_t>(i));
    colours_.push_back(colour);
    exact_.emplace_back(colour, static_cast<uint8_t>(i));
  }
  // A stable sort keeps equal colours in index order, so the first of each
  // run is the lowest index.
  std::stable_sort(exact_.begin(), exact_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  exact_.erase(std::unique(exact_.begin(), exact_.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first; }),
               exact_.end());
}

std::optional<uint8_t> PaletteMatcher::ExactIndexOf(uint32_t colour) const {
  const auto found = std::lower_bound(
      exact_.begin(), exact_.end(), colour,
      [](const std::pair<uint32_t, uint8_t>& a, uint32_t c) { return a.first < c; });
  if (found != exact_.end() && found->first == colour) return found->second;
  return std::nullopt;
}

uint8_t PaletteMatcher::IndexOf(uint32_t colour) const {
  if (const std::optional<uint8_t> exact = ExactIndexOf(colour)) return *exact;

  const int red = (colour >> 16) & 0xFF, green = (colour >> 8) & 0xFF, blue = colour & 0xFF;
  int64_t best = -1;
  uint8_t bestIndex = 0;
  for (size_t i = 0; i < colours_.size(); ++i) {
    const int dr = static_cast<int>((colours_[i] >> 16) & 0xFF) - red;
    const int dg = static_cast<int>((colours_[i] >> 8) & 0xFF) - green;
    const int db = static_cast<int>(colours_[i] & 0xFF) - blue;
    const int64_t distance = int64_t{dr} * dr + int64_t{dg} * dg + int64_t{db} * db;
    if (best < 0 || distance < best) {
      best = distance;
      bestIndex = static_cast<uint8_t>(i);
    }
  }
  return bestIndex;
}

}  // namespace dw::image_detail
