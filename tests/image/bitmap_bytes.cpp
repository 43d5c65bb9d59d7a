#include "tests/image/bitmap_bytes.h"

namespace dw::testing {

std::unique_ptr<Bitmap> LoadBitmap(const std::vector<uint8_t>& bytes) {
  std::unique_ptr<Bitmap> bitmap = CreateBitmap(1, 1);
  StreamPtr stream = MemoryStreamOf(bytes);
  bitmap->LoadFromStream(*stream);
  return bitmap;
}

std::vector<uint8_t> SaveBitmap(Bitmap& bitmap) {
  StreamPtr stream = CreateMemoryStream();
  bitmap.SaveToStream(*stream);
  return *MemoryStreamBytes(*stream);
}

uint32_t TableEntry(const Bitmap& bitmap, int index) {
  const uint8_t* quad = bitmap.dibHeader() + 40 + 4 * index;
  return (uint32_t(quad[2]) << 16) | (uint32_t(quad[1]) << 8) | quad[0];
}

Grid Indices(const Bitmap& bitmap) {
  Grid rows(bitmap.Height());
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) rows[y].push_back(bitmap.PixelAt(x, y));
  }
  return rows;
}

}  // namespace dw::testing
