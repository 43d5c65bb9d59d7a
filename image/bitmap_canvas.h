// The surface through which other bitmaps paint into a bitmap. Painting maps
// colours, not values: into an indexed bitmap every colour becomes the
// lowest table index holding it (else the nearest colour), into a
// direct-colour bitmap it is encoded in that bitmap's channels.
#pragma once

#include <optional>
#include <vector>

#include "image/bitmap.h"
#include "image/palette_match.h"
#include "image/pixel_layout.h"

namespace dw {

class Bitmap::BitmapCanvas final : public DrawingSurface {
 public:
  explicit BitmapCanvas(Bitmap& owner) : owner_(owner) {}
  void DrawBitmap(const Bitmap& source, int x, int y) override;

 private:
  // The matcher for the owner's present colour table, rebuilt when it changed.
  const image_detail::PaletteMatcher& Matcher(const uint8_t* table, int entries);
  // Target value for every value of an indexed source. Kept while the source's
  // and the owner's tables stay the same, as they do for the frames of one
  // archive painted into one strip.
  const std::vector<uint32_t>& IndexedSourceMap(const image_detail::PixelLayout& from,
                                                const image_detail::PixelLayout& to);

  Bitmap& owner_;
  std::vector<uint8_t> matcherTable_;
  std::optional<image_detail::PaletteMatcher> matcher_;
  std::vector<uint8_t> sourceMapKey_;
  std::vector<uint32_t> sourceMap_;
};

}  // namespace dw
