#include "cli/pack_plan/palette_quantiser.h"

#include <libimagequant.h>

#include <limits>
#include <memory>
#include <unordered_map>

#include "cli/outputs/sprite_colour_rule.h"

namespace dw::cli {
namespace {

constexpr int kChosenColours = 256 - kSpecialCount;

bool Opaque(const uint8_t* rgba) {
  return rgba[3] == 255;
}

uint32_t Key(const uint8_t* rgba) {
  return uint32_t{rgba[0]} << 16 | uint32_t{rgba[1]} << 8 | rgba[2];
}

struct LiqDeleter {
  void operator()(liq_attr* p) const { liq_attr_destroy(p); }
  void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
  void operator()(liq_result* p) const { liq_result_destroy(p); }
  void operator()(liq_image* p) const { liq_image_destroy(p); }
};
template <typename T>
using Liq = std::unique_ptr<T, LiqDeleter>;

// Paints the opaque pixels of each image in the colour of the entry
// libimagequant remaps them to.
bool Repaint(const std::vector<SourceImage*>& sources, liq_attr* attr, liq_result* result) {
  const liq_palette* chosen = liq_get_palette(result);
  for (SourceImage* image : sources) {
    const size_t count = size_t(image->width) * size_t(image->height);
    Liq<liq_image> input(
        liq_image_create_rgba(attr, image->pixels.get(), image->width, image->height, 0));
    std::unique_ptr<uint8_t[]> indices(new uint8_t[count]);
    if (!input || liq_write_remapped_image(result, input.get(), indices.get(), count) != LIQ_OK)
      return false;
    for (size_t i = 0; i < count; ++i) {
      uint8_t* rgba = &image->pixels[4 * i];
      if (!Opaque(rgba)) continue;
      const liq_color& colour = chosen->entries[indices[i]];
      rgba[0] = colour.r, rgba[1] = colour.g, rgba[2] = colour.b;
    }
  }
  return true;
}

}  // namespace

bool QuantisePalette(PackImages& images, const FolderManifest& manifest, std::string& error) {
  std::vector<std::string> files;
  for (const FolderBlock& block : manifest.blocks)
    for (const FolderFrame& frame : block.frames) files.push_back(frame.file);
  std::vector<SourceImage*> sources;
  std::unordered_map<uint32_t, unsigned> counts;
  for (const std::string& file : files) {
    SourceImage* image = images.Source(file, error);
    if (image == nullptr) return false;
    if (!image->rgba()) {
      if (sources.empty()) return true;  // the first image's palette is the archive's
      continue;
    }
    sources.push_back(image);
    const size_t count = size_t(image->width) * size_t(image->height);
    for (size_t i = 0; i < count; ++i)
      if (Opaque(&image->pixels[4 * i])) {
        unsigned& n = counts[Key(&image->pixels[4 * i])];
        n += n < std::numeric_limits<unsigned>::max() ? 1 : 0;
      }
  }
  if (sources.empty()) return true;

  std::array<uint8_t, kPaletteFileSize> palette{};
  for (int i = 0; i < kSpecialCount; ++i) {
    palette[size_t(3 * i)] = kSpecialCodes[size_t(i)].red;
    palette[size_t(3 * i + 1)] = kSpecialCodes[size_t(i)].green;
    palette[size_t(3 * i + 2)] = kSpecialCodes[size_t(i)].blue;
  }
  size_t at = 3 * kSpecialCount;
  auto add = [&](uint8_t r, uint8_t g, uint8_t b) {
    palette[at++] = r, palette[at++] = g, palette[at++] = b;
  };
  if (counts.size() <= size_t(kChosenColours)) {
    for (const auto& entry : counts)
      add(uint8_t(entry.first >> 16), uint8_t(entry.first >> 8), uint8_t(entry.first));
    images.SetPalette(palette);
    return true;
  }
  Liq<liq_attr> attr(liq_attr_create());
  Liq<liq_histogram> histogram(attr ? liq_histogram_create(attr.get()) : nullptr);
  bool ok = histogram && liq_set_max_colors(attr.get(), kChosenColours) == LIQ_OK;
  std::vector<liq_histogram_entry> entries;
  entries.reserve(counts.size());
  for (const auto& entry : counts)
    entries.push_back(
        {{uint8_t(entry.first >> 16), uint8_t(entry.first >> 8), uint8_t(entry.first), 255},
         entry.second});
  ok = ok && liq_histogram_add_colors(histogram.get(), attr.get(), entries.data(),
                                      int(entries.size()), 0) == LIQ_OK;
  liq_result* made = nullptr;
  ok = ok && liq_histogram_quantize(histogram.get(), attr.get(), &made) == LIQ_OK;
  Liq<liq_result> result(made);
  ok = ok && liq_set_dithering_level(made, images.options().dither ? 1.0f : 0.0f) == LIQ_OK &&
       Repaint(sources, attr.get(), made);
  if (!ok) {
    error = images.PathOf(files.front()) + ": no palette could be made for the folder's images";
    return false;
  }
  const liq_palette* chosen = liq_get_palette(made);
  for (unsigned i = 0; i < chosen->count && i < unsigned(kChosenColours); ++i)
    add(chosen->entries[i].r, chosen->entries[i].g, chosen->entries[i].b);
  images.SetPalette(palette);
  return true;
}

}  // namespace dw::cli
