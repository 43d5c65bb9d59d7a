#include "cli/outputs/sprite_colour_rule.h"

#include <cstdlib>

namespace dw::cli {
namespace {

constexpr int kMatchDistance = 8;

bool Matches(const ColourQuad& colour, const SpecialCode& code) {
  return std::abs(int(colour.red) - int(code.red)) < kMatchDistance &&
         std::abs(int(colour.green) - int(code.green)) < kMatchDistance &&
         std::abs(int(colour.blue) - int(code.blue)) < kMatchDistance;
}

}  // namespace

const char* const kColourRuleText =
    "Colours (--alpha, --layers, --vcmi, sheet --alpha, anim --alpha) follow the engine's "
    "rule: indices 0 (0,255,255), 1 (255,150,255), 2 (255,100,255), 3 (255,50,255), "
    "4 (255,0,255), 5 (255,255,0), 6 (180,0,255) and 7 (0,255,0) are special codes; 0, 1 "
    "and 4 always, the others only where the archive's palette entry is within 7 of that "
    "colour in red, green and blue. Special 0 and 5 are transparent, 1, 2 and 7 black at "
    "alpha 64, 3, 4 and 6 black at alpha 128; every other pixel is its palette colour, "
    "opaque, whether it was drawn by a run or a literal. Archives of types 0x40, 0x45, "
    "0x46 and 0x47 carry no shadow: only index 0 is transparent there. --outline keeps "
    "the special 5, 6 and 7 opaque in their palette colour.";

bool CarriesShadow(int32_t archiveType) {
  return archiveType != 0x40 && archiveType != 0x45 && archiveType != 0x46 &&
         archiveType != 0x47;
}

SpecialIndices SpecialIndicesOf(const Palette& palette, int32_t archiveType) {
  SpecialIndices special{};
  special[0] = true;
  if (!CarriesShadow(archiveType)) return special;
  for (int i = 1; i < kSpecialCount; ++i)
    special[size_t(i)] = i == 1 || i == 4 || Matches(palette[size_t(i)], kSpecialCodes[size_t(i)]);
  return special;
}

std::array<Rgba, 256> ColoursFor(const Palette& palette, int32_t archiveType, SpriteLayer layer,
                                 bool outline) {
  const SpecialIndices special = SpecialIndicesOf(palette, archiveType);
  const Rgba clear{};
  std::array<Rgba, 256> colours;
  for (size_t i = 0; i < colours.size(); ++i) {
    const Rgba own{palette[i].red, palette[i].green, palette[i].blue, 255};
    if (i >= special.size() || !special[i]) {
      colours[i] = layer == SpriteLayer::Whole || layer == SpriteLayer::Body ? own : clear;
      continue;
    }
    const SpecialCode& code = kSpecialCodes[i];
    const Rgba shadow = code.shadowAlpha > 0 ? Rgba{0, 0, 0, code.shadowAlpha} : clear;
    switch (layer) {
      case SpriteLayer::Whole:
        colours[i] = outline && code.overlay ? own : shadow;
        break;
      case SpriteLayer::Body:
        colours[i] = clear;
        break;
      case SpriteLayer::Shadow:
        colours[i] = shadow;
        break;
      case SpriteLayer::Overlay:
        colours[i] = code.overlay ? Rgba{255, 255, 255, 255} : clear;
        break;
    }
  }
  return colours;
}

std::string LayerPath(const std::string& body, const char* suffix) {
  const size_t dot = body.rfind('.');
  return body.substr(0, dot) + suffix + (dot == std::string::npos ? "" : body.substr(dot));
}

std::optional<uint8_t> SpecialIndexFor(const Rgba& pixel) {
  if (pixel.alpha == 0) return uint8_t{0};
  const bool black = pixel.red == 0 && pixel.green == 0 && pixel.blue == 0;
  if (black && pixel.alpha == kShadowLightAlpha) return uint8_t{1};
  if (black && pixel.alpha == kShadowDarkAlpha) return uint8_t{4};
  return std::nullopt;
}

}  // namespace dw::cli
