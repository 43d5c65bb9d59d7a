#include "cli/pack_plan/fill_layer.h"

#include <algorithm>

namespace dw::cli {

std::vector<uint8_t> FillLayer(const PalettedImage& image, const pack::PixelRect& rect,
                               int32_t left, int32_t top, const FillSource& source) {
  const int highest = source.compression == 0 ? -1 : source.compression == 1 ? 7 : 6;
  const size_t width = size_t(rect.width);
  std::vector<uint8_t> layer(rect.pixels.size(), pack::kLiteralPixel);
  if (source.record == nullptr) {
    for (size_t i = 0; i < layer.size(); ++i) {
      const uint8_t v = rect.pixels[i];
      if (v == 0 || (source.keepSpecial && v <= highest)) layer[i] = v;
    }
  }
  // What the image marks, where it lies inside the image.
  std::vector<bool> marked;
  if (!image.fill.empty()) {
    marked.assign(layer.size(), false);
    for (int64_t y = 0; y < rect.height; ++y) {
      const int64_t iy = int64_t{top} + y;
      if (iy < 0 || iy >= image.height) continue;
      for (int64_t x = 0; x < rect.width; ++x) {
        const int64_t ix = int64_t{left} + x;
        if (ix < 0 || ix >= image.width) continue;
        const uint8_t f = image.fill[size_t(iy * image.width + ix)];
        if (f == kPaintedPixel || f > highest) continue;
        layer[size_t(y) * width + size_t(x)] = f;
        marked[size_t(y) * width + size_t(x)] = f != 0;
      }
    }
  }
  if (source.record != nullptr) {
    for (const FillRun& run : *source.record) {
      const int64_t y = int64_t{run.row} + source.recordTop;
      for (int64_t x = int64_t{run.start} + source.recordLeft;
           x < int64_t{run.start} + run.length + source.recordLeft; ++x) {
        if (y < 0 || y >= rect.height || x < 0 || x >= rect.width) continue;
        const size_t i = size_t(y) * width + size_t(x);
        // A shadow the image marks may stand for any code that looks alike
        // in it: the record says which. A pixel that shows the fill as
        // exported stays a fill.
        const bool alike = !marked.empty() && marked[i] &&
                           (source.colours == nullptr ||
                            (*source.colours)[layer[i]] == (*source.colours)[run.code]);
        if (alike || rect.pixels[i] == (source.keepSpecial ? run.code : 0)) layer[i] = run.code;
      }
    }
  }
  return layer;
}

void KeepLiterals(pack::PixelRect& rect, std::vector<uint8_t>& layer, const FillSource& source) {
  if (source.literals == nullptr || source.colours == nullptr) return;
  const std::array<Rgba, 256>& colours = *source.colours;
  for (const FillRun& run : *source.literals) {
    const int64_t y = int64_t{run.row} + source.recordTop;
    if (y < 0 || y >= rect.height) continue;
    for (int64_t x = std::max<int64_t>(int64_t{run.start} + source.recordLeft, 0);
         x < std::min<int64_t>(int64_t{run.start} + run.length + source.recordLeft, rect.width);
         ++x) {
      const size_t i = size_t(y) * size_t(rect.width) + size_t(x);
      const uint8_t shown = layer[i] == pack::kLiteralPixel ? rect.pixels[i] : layer[i];
      if (colours[shown] != colours[run.code]) continue;  // painted over
      rect.pixels[i] = run.code;
      layer[i] = pack::kLiteralPixel;
    }
  }
}

}  // namespace dw::cli
