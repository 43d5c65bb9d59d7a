// Sprite-ready RGBA: how --alpha turns a frame's palette indices into colour
// and alpha. The low indices are the format's special codes, kept in the
// image by decoding with their fill codes (shadows and the selection outline
// are drawn by the game, not stored as colours).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "archive/indexed_image.h"
#include "archive/palette.h"
#include "archive/stream.h"

namespace dw::cli {

struct Rgba {
  uint8_t red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const Rgba&) const = default;
};

// The colour of every index: 0, 2 and 3 transparent; 1 and 7 (shadow border)
// black at alpha 64; 4 and 6 (shadow body) black at alpha 128; 5 (the
// selection outline) transparent, or opaque in its palette colour when
// outline is set; every other index opaque in its palette colour.
std::array<Rgba, 256> AlphaColours(const Palette& palette, bool outline);

// The same rule in words, for --help and the README.
extern const char* const kAlphaMappingText;

// Encodes the image as an 8-bit RGBA PNG into the file through colours.
// Returns an empty string, or what the encoder refused (a failed write is
// the file's own error).
std::string WriteRgbaPng(AtomicFile& file, const IndexedImage& image,
                         const std::array<Rgba, 256>& colours);

}  // namespace dw::cli
