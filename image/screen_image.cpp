#include "image/screen_image.h"

#include <array>

#include "image/pixel_layout.h"

namespace dw {
namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr int64_t kMaxScreenPixels = int64_t{1} << 28;

// Columns [x, x + w) of one stored row.
void ConvertRow(const image_detail::PixelLayout& layout, const std::array<uint32_t, 256>& table,
                bool standardChannels, const uint8_t* row, int x, int w, uint32_t* out) {
  if (layout.indexed && layout.bits == 8) {
    for (int i = 0; i < w; ++i) out[i] = table[row[x + i]];
  } else if (layout.indexed) {
    for (int i = 0; i < w; ++i) out[i] = table[image_detail::ReadValue(row, x + i, layout.bits)];
  } else if (standardChannels) {
    const int bytesPerPixel = layout.bits / 8;
    const uint8_t* at = row + int64_t{x} * bytesPerPixel;
    for (int i = 0; i < w; ++i, at += bytesPerPixel) {
      out[i] = kOpaque | (uint32_t{at[2]} << 16) | (uint32_t{at[1]} << 8) | at[0];
    }
  } else {
    for (int i = 0; i < w; ++i) {
      out[i] = kOpaque |
               image_detail::ColourOf(layout, image_detail::ReadValue(row, x + i, layout.bits));
    }
  }
}

}  // namespace

bool ConvertToScreen(const Bitmap& bitmap, int x, int y, int w, int h, uint32_t* out,
                     ptrdiff_t outStride) {
  if (out == nullptr || w <= 0 || h <= 0 || x < 0 || y < 0 ||
      int64_t{x} + w > bitmap.Width() || int64_t{y} + h > bitmap.Height()) {
    return false;
  }
  if (bitmap.dibBits() == nullptr) {
    // A bitmap that was never loaded shows black.
    for (int r = 0; r < h; ++r) {
      uint32_t* line = out + r * outStride;
      for (int i = 0; i < w; ++i) line[i] = kOpaque;
    }
    return true;
  }
  const image_detail::PixelLayout layout = bitmap.Layout();
  std::array<uint32_t, 256> table{};
  for (int i = 0; i < layout.tableEntries(); ++i) {
    table[i] = kOpaque | image_detail::TableColour(layout.table, static_cast<uint32_t>(i));
  }
  const bool standardChannels = !layout.indexed && layout.bits >= 24 &&
                                layout.red.mask == 0xFF0000 && layout.green.mask == 0xFF00 &&
                                layout.blue.mask == 0xFF;
  const int64_t scanLine = bitmap.scanLineSize();
  const bool topDown = bitmap.topDown();
  for (int r = 0; r < h; ++r) {
    const uint8_t* row =
        bitmap.dibBits() + image_detail::StoredRow(y + r, bitmap.Height(), topDown) * scanLine;
    ConvertRow(layout, table, standardChannels, row, x, w, out + r * outStride);
  }
  return true;
}

ScreenImage MakeScreenImage(const Bitmap& bitmap) {
  ScreenImage image;
  const int64_t pixels = int64_t{bitmap.Width()} * bitmap.Height();
  if (bitmap.Empty() || pixels > kMaxScreenPixels) return image;
  image.width = bitmap.Width();
  image.height = bitmap.Height();
  image.pixels.resize(static_cast<size_t>(pixels));
  ConvertToScreen(bitmap, 0, 0, image.width, image.height, image.pixels.data(), image.width);
  return image;
}

}  // namespace dw
