#include <array>

#include "image/bitmap.h"
#include "image/pixel_layout.h"

namespace dw {
namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr int64_t kMaxScreenPixels = int64_t{1} << 28;

void Convert(const Bitmap& bitmap, ScreenImage& image) {
  const image_detail::PixelLayout layout = image_detail::LayoutOf(bitmap);
  const int64_t scanLine = bitmap.scanLineSize();
  const bool topDown = bitmap.topDown();
  std::array<uint32_t, 256> tableColours{};
  for (int i = 0; i < layout.tableEntries(); ++i) {
    tableColours[i] = kOpaque | image_detail::TableColour(layout.table, static_cast<uint32_t>(i));
  }
  const bool standardChannels = !layout.indexed && layout.bits >= 24 &&
                                layout.red.mask == 0xFF0000 && layout.green.mask == 0xFF00 &&
                                layout.blue.mask == 0xFF;
  const int bytesPerPixel = layout.bits / 8;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row =
        bitmap.dibBits() + image_detail::StoredRow(y, image.height, topDown) * scanLine;
    uint32_t* out = image.pixels.data() + int64_t{y} * image.width;
    if (layout.indexed && layout.bits == 8) {
      for (int32_t x = 0; x < image.width; ++x) out[x] = tableColours[row[x]];
    } else if (layout.indexed) {
      for (int32_t x = 0; x < image.width; ++x) {
        out[x] = tableColours[image_detail::ReadValue(row, x, layout.bits)];
      }
    } else if (standardChannels) {
      for (int32_t x = 0; x < image.width; ++x) {
        const uint8_t* at = row + int64_t{x} * bytesPerPixel;
        out[x] = kOpaque | (uint32_t{at[2]} << 16) | (uint32_t{at[1]} << 8) | at[0];
      }
    } else {
      for (int32_t x = 0; x < image.width; ++x) {
        out[x] =
            kOpaque | image_detail::ColourOf(layout, image_detail::ReadValue(row, x, layout.bits));
      }
    }
  }
}

}  // namespace

const ScreenImage& Bitmap::ToScreenImage() const {
  if (screenCache_) return *screenCache_;
  auto image = std::make_unique<ScreenImage>();
  const int64_t pixels = int64_t{width_} * height_;
  if (!Empty() && pixels <= kMaxScreenPixels) {
    image->width = width_;
    image->height = height_;
    // A bitmap that was never loaded shows black.
    image->pixels.assign(static_cast<size_t>(pixels), kOpaque);
    if (dibBits() != nullptr) Convert(*this, *image);
  }
  screenCache_ = std::move(image);
  return *screenCache_;
}

}  // namespace dw
