// How a sprite's palette indices become colour and alpha, as the engine draws
// a DEF: the one place this rule lives. It is by index and palette alone, so
// it applies to images decoded with their fill codes kept (a shadow run's
// code is its index), whether a pixel came from a fill run or a literal run.
//
// Eight low indices may be special codes. Each has a source colour; the
// archive's palette entry matches it when red, green and blue each differ by
// less than 8. Indices 0, 1 and 4 are special in every archive that carries
// shadows, 2, 3, 5, 6 and 7 only where the palette entry matches. Archives
// of the types for spells (0x40), terrain (0x45), cursors (0x46) and the
// interface (0x47) carry no shadow: there only index 0 is special.
//
// Forward (ColoursFor): the image as the engine shows it, or one of the
// layers it is split into. Backward (SpecialIndexFor): which special index a
// pixel of the whole image stands for, for rebuilding an archive from it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "archive/palette.h"

namespace dw::cli {

struct Rgba {
  uint8_t red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const Rgba&) const = default;
};

// The alpha of the two shadow shades.
inline constexpr uint8_t kShadowLightAlpha = 64;
inline constexpr uint8_t kShadowDarkAlpha = 128;

// What a special index is.
struct SpecialCode {
  uint8_t red, green, blue;  // its source colour
  uint8_t shadowAlpha;       // black at this alpha; 0: transparent
  bool overlay;              // part of the selection outline / owner flag
};
inline constexpr std::array<SpecialCode, 8> kSpecialCodes = {{
    {0, 255, 255, 0, false},
    {255, 150, 255, kShadowLightAlpha, false},
    {255, 100, 255, kShadowLightAlpha, false},
    {255, 50, 255, kShadowDarkAlpha, false},
    {255, 0, 255, kShadowDarkAlpha, false},
    {255, 255, 0, 0, true},
    {180, 0, 255, kShadowDarkAlpha, true},
    {0, 255, 0, kShadowLightAlpha, true},
}};
inline constexpr int kSpecialCount = 8;
inline constexpr int kOutlineIndex = 5;

// False for the archive types that carry no shadow.
bool CarriesShadow(int32_t archiveType);

// Which of the indices 0 to 7 are special in an archive of this palette and type.
using SpecialIndices = std::array<bool, kSpecialCount>;
SpecialIndices SpecialIndicesOf(const Palette& palette, int32_t archiveType);

// What is made of an image.
enum class SpriteLayer {
  Whole,    // special 0 and 5 transparent, shadows black at their alpha, the rest opaque
  Body,     // every special index transparent, the rest opaque
  Shadow,   // special shadow indices black at their alpha, the rest transparent
  Overlay,  // special 5, 6 and 7 opaque white, the rest transparent
};

// The colour of every index in that layer. outline (Whole only) keeps the
// special 5, 6 and 7 opaque in their palette colour.
std::array<Rgba, 256> ColoursFor(const Palette& palette, int32_t archiveType, SpriteLayer layer,
                                 bool outline = false);

// The files of the layers beside the body's (export --layers):
// NAME.png -> NAME-shadow.png.
inline constexpr const char* kShadowLayerSuffix = "-shadow";
inline constexpr const char* kOverlayLayerSuffix = "-overlay";
std::string LayerPath(const std::string& body, const char* suffix);

// The special index a pixel of the Whole image stands for: a transparent
// pixel is 0, black at the light shadow alpha 1, at the dark one 4; nothing
// for an opaque pixel (its index is found in the palette) or any other alpha.
std::optional<uint8_t> SpecialIndexFor(const Rgba& pixel);

// The rule in words, for --help and the README.
extern const char* const kColourRuleText;

}  // namespace dw::cli
