#include "cli/pack_plan/image_colours.h"

#include <cstdio>
#include <vector>

#include "cli/outputs/sprite_colour_rule.h"
#include "image/palette_match.h"

namespace dw::cli {
namespace {

using image_detail::PaletteMatcher;

std::string Hex(const uint8_t* rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return text;
}

std::string At(int64_t i, int32_t width) {
  return "pixel (" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
}

uint32_t ColourOf(const uint8_t* rgb) {
  return uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
}

// The palette as a BMP colour table of the given entries, with their indices.
struct Table {
  std::vector<uint8_t> quads;
  std::vector<uint8_t> indices;
  void Add(const std::array<uint8_t, kPaletteFileSize>& palette, int i) {
    quads.insert(quads.end(), {palette[size_t(3 * i + 2)], palette[size_t(3 * i + 1)],
                               palette[size_t(3 * i)], 0});
    indices.push_back(static_cast<uint8_t>(i));
  }
};

Palette QuadsOf(const std::array<uint8_t, kPaletteFileSize>& rgb) {
  Palette palette{};
  for (size_t i = 0; i < palette.size(); ++i)
    palette[i] = ColourQuad{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
  return palette;
}

// Finds indices for colours, among the archive's ordinary entries (not
// special codes) or among all.
class Finder {
 public:
  Finder(const ColourMapping& mapping, const SpecialIndices& special, bool all) {
    for (int i = 0; i < 256; ++i)
      if (all || i >= kSpecialCount || !special[size_t(i)]) table_.Add(mapping.palette, i);
    matcher_.emplace(table_.quads.data(), int(table_.indices.size()));
  }
  std::optional<uint8_t> Exact(uint32_t colour) const {
    const std::optional<uint8_t> at = matcher_->ExactIndexOf(colour);
    return at ? std::optional<uint8_t>(table_.indices[*at]) : std::nullopt;
  }
  uint8_t Nearest(uint32_t colour) const { return table_.indices[matcher_->IndexOf(colour)]; }

 private:
  Table table_;
  std::optional<PaletteMatcher> matcher_;
};

std::optional<PalettedImage> MapIndices(const SourceImage& image, const ColourMapping& mapping,
                                        const Finder& all, const Finder& ordinary, int64_t& moved,
                                        std::string& error) {
  // Each entry's index in the archive's palette; -1 for a colour it lacks.
  std::array<int, 256> to{};
  for (int i = 0; i < image.paletteSize; ++i) {
    const uint8_t* rgb = &image.palette[size_t(3 * i)];
    const bool same = std::equal(rgb, rgb + 3, &mapping.palette[size_t(3 * i)]);
    const std::optional<uint8_t> exact = same ? uint8_t(i) : all.Exact(ColourOf(rgb));
    to[size_t(i)] = exact ? int{*exact} : -1;
  }
  PalettedImage out;
  const int64_t count = int64_t{image.width} * image.height;
  const uint8_t* pixels = image.pixels.get();
  // The usual case, an image in the archive's own palette: indices stay.
  bool same = true;
  bool known = true;
  for (int i = 0; i < image.paletteSize; ++i) {
    same = same && to[size_t(i)] == i;
    known = known && to[size_t(i)] >= 0;
  }
  if (known) {
    out.pixels.assign(pixels, pixels + count);
    if (!same)
      for (uint8_t& index : out.pixels) index = uint8_t(to[index]);
    return out;
  }
  out.pixels.reserve(size_t(count));
  for (int64_t i = 0; i < count; ++i) {
    const uint8_t source = pixels[size_t(i)];
    int index = to[source];
    if (index < 0) {
      const uint8_t* rgb = &image.palette[size_t(3 * source)];
      if (!mapping.remap) {
        error = At(i, image.width) + " is " + Hex(rgb) +
                ", a colour in no entry of the archive's palette (--remap takes the nearest)";
        return std::nullopt;
      }
      index = ordinary.Nearest(ColourOf(rgb));
      ++moved;
    }
    out.pixels.push_back(static_cast<uint8_t>(index));
  }
  return out;
}

// The special code for a shadow of this alpha (0: none) with or without the
// selection, if the archive has it.
std::optional<uint8_t> CodeFor(uint8_t shadowAlpha, bool overlay, const SpecialIndices& special) {
  std::optional<uint8_t> code;
  if (!overlay) {
    code = SpecialIndexFor(Rgba{0, 0, 0, shadowAlpha});
  } else {
    for (int i = 0; i < kSpecialCount && !code; ++i)
      if (kSpecialCodes[size_t(i)].overlay && kSpecialCodes[size_t(i)].shadowAlpha == shadowAlpha)
        code = uint8_t(i);
  }
  return code && special[*code] ? code : std::nullopt;
}

// Colours without alpha map as a palettised image's entries do; with
// alpha, an opaque colour is an ordinary entry's where one holds it (else a
// special code's, as --outline shows them).
std::optional<PalettedImage> MapColours(const SourceImage& image, const ImageLayers& layers,
                                        const SpecialIndices& special, const ColourMapping& mapping,
                                        const Finder& all, const Finder& ordinary, int64_t& moved,
                                        std::string& error) {
  PalettedImage out;
  const int64_t count = int64_t{image.width} * image.height;
  out.pixels.reserve(size_t(count));
  if (image.alpha) out.fill.reserve(size_t(count));
  for (int64_t i = 0; i < count; ++i) {
    const uint8_t* rgba = &image.pixels[size_t(4 * i)];
    const uint8_t alpha = rgba[3];
    std::optional<uint8_t> shadow;
    if (alpha != 255) {
      const std::optional<uint8_t> own = SpecialIndexFor(Rgba{rgba[0], rgba[1], rgba[2], alpha});
      if (own) shadow = own == 0 ? 0 : kSpecialCodes[*own].shadowAlpha;
      if (alpha == 0 && layers.shadow != nullptr) shadow = layers.shadow->pixels[size_t(4 * i + 3)];
    }
    if (shadow) {
      const bool overlay =
          layers.overlay != nullptr && layers.overlay->pixels[size_t(4 * i + 3)] != 0;
      const std::optional<uint8_t> code = CodeFor(*shadow, overlay, special);
      if (!code) {
        error = At(i, image.width) + " is a " + (overlay ? "selection" : "shadow") + " of alpha " +
                std::to_string(*shadow) + ", which this archive has no code for";
        return std::nullopt;
      }
      out.pixels.push_back(*code);
      out.fill.push_back(*code);
      continue;
    }
    std::optional<uint8_t> index =
        alpha != 255 ? std::nullopt : (image.alpha ? ordinary : all).Exact(ColourOf(rgba));
    uint8_t fill = kPaintedPixel;
    if (!index && alpha == 255 && image.alpha) {
      index = all.Exact(ColourOf(rgba));
      if (index) fill = *index;
    }
    if (!index) {
      if (!mapping.remap) {
        error = At(i, image.width) + " is " + Hex(rgba) +
                (alpha == 255 ? std::string(", a colour in no entry of the archive's palette")
                              : " at alpha " + std::to_string(alpha) +
                                    ", neither opaque, clear nor a shadow") +
                " (--remap takes the nearest)";
        return std::nullopt;
      }
      index = ordinary.Nearest(ColourOf(rgba));
      ++moved;
    }
    out.pixels.push_back(*index);
    if (image.alpha) out.fill.push_back(fill);
  }
  return out;
}

}  // namespace

std::optional<std::string> CheckLayer(const SourceImage& layer, const SourceImage& body,
                                      bool shadow) {
  if (!layer.rgba() || layer.width != body.width || layer.height != body.height)
    return std::string("not an RGBA image of ") + std::to_string(body.width) + " x " +
           std::to_string(body.height) + " pixels, as its body image";
  const int64_t count = int64_t{layer.width} * layer.height;
  for (int64_t i = 0; i < count; ++i) {
    const uint8_t* rgba = &layer.pixels[size_t(4 * i)];
    const bool black = rgba[0] == 0 && rgba[1] == 0 && rgba[2] == 0;
    const bool fits = rgba[3] == 0 ||
                      (shadow ? black && SpecialIndexFor(Rgba{0, 0, 0, rgba[3]}) : rgba[3] == 255);
    if (!fits)
      return At(i, layer.width) + " is " + Hex(rgba) + " at alpha " + std::to_string(rgba[3]) +
             (shadow ? ", not black at a shadow's alpha" : ", neither opaque nor clear");
  }
  return std::nullopt;
}

std::optional<PalettedImage> MapToPalette(const SourceImage& image, const ImageLayers& layers,
                                          const ColourMapping& mapping, int64_t& moved,
                                          std::string& error) {
  const SpecialIndices special = SpecialIndicesOf(QuadsOf(mapping.palette), mapping.archiveType);
  const Finder all(mapping, special, true), ordinary(mapping, special, false);
  std::optional<PalettedImage> out;
  if (image.rgba()) {
    out = MapColours(image, layers, special, mapping, all, ordinary, moved, error);
  } else {
    out = MapIndices(image, mapping, all, ordinary, moved, error);
  }
  if (!out) return std::nullopt;
  out->width = image.width;
  out->height = image.height;
  out->palette = mapping.palette;
  out->paletteSize = 256;
  return out;
}

}  // namespace dw::cli
