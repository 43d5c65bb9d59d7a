// The colours of an image a modder saved, as indices of the archive's
// palette. A palettised image's entries map by colour (an entry equal to the
// archive's at the same index keeps its index). An RGBA image's opaque
// colours map to the palette entry of that colour that is no special code;
// its transparent pixels, shadows and selection (its own, or those of the
// -shadow and -overlay layers beside it) become the special codes by the
// colour rule. A colour in no entry is an error, unless remap asks for the
// nearest entry.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "archive/def_format.h"
#include "cli/inputs/image_reader.h"

namespace dw::cli {

struct ColourMapping {
  std::array<uint8_t, kPaletteFileSize> palette{};  // the archive's
  int32_t archiveType = 0;
  bool remap = false;
};

// The layer files beside an RGBA body image, as `export --layers` writes
// them; each the body's size.
struct ImageLayers {
  const SourceImage* shadow = nullptr;
  const SourceImage* overlay = nullptr;
};

// What is wrong with a layer file, or nothing; shadow tells which layer.
std::optional<std::string> CheckLayer(const SourceImage& layer, const SourceImage& body,
                                      bool shadow);

// The image in the archive's palette; moved counts the pixels remap moved.
// The error names the pixel and its colour, not the file.
std::optional<PalettedImage> MapToPalette(const SourceImage& image, const ImageLayers& layers,
                                          const ColourMapping& mapping, int64_t& moved,
                                          std::string& error);

}  // namespace dw::cli
