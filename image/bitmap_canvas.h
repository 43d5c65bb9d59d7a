// The surface through which other bitmaps paint into a bitmap. Painting maps
// colours, not values: into an indexed bitmap every colour becomes the
// lowest table index holding it (else the nearest colour), into a
// direct-colour bitmap it is encoded in that bitmap's channels.
#pragma once

#include <optional>
#include <vector>

#include "image/bitmap.h"
#include "image/palette_match.h"

namespace dw {

class Bitmap::BitmapCanvas final : public DrawingSurface {
 public:
  explicit BitmapCanvas(Bitmap& owner) : owner_(owner) {}
  void DrawBitmap(const Bitmap& source, int x, int y) override;

 private:
  // The matcher for the owner's present colour table, rebuilt when it changed.
  const image_detail::PaletteMatcher& Matcher(const uint8_t* table, int entries);

  Bitmap& owner_;
  std::vector<uint8_t> matcherTable_;
  std::optional<image_detail::PaletteMatcher> matcher_;
};

}  // namespace dw
