// libFuzzer entry point for the BMP loader. Whatever loads must survive every
// other bitmap operation, and must load back alike from its own save. The
// same bytes go through the decoder pack reads images with: what it accepts
// holds whole rows of indices inside the colour table, or of colours.
#ifdef DUSKWEAVE_BITMAP_FUZZER

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "archive/stream.h"
#include "image/bitmap.h"
#include "image/bmp_reader.h"
#include "image/screen_image.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckPackDecoder(const uint8_t* data, size_t size) {
  constexpr int64_t kMaxPixels = int64_t{1} << 22;
  dw::image_detail::BmpFailure failure;
  const auto image = dw::image_detail::DecodeBmpFile(data, int64_t(size), kMaxPixels, failure);
  if (!image) return;
  const int64_t count = int64_t{image->width} * image->height;
  Check(image->width > 0 && image->height > 0 && count <= kMaxPixels);
  Check(image->tableEntries >= 0 && image->tableEntries <= 256);
  if (image->tableEntries > 0) {
    for (int64_t i = 0; i < count; ++i) Check(image->pixels[size_t(i)] < image->tableEntries);
  } else {
    bool opaque = true;
    for (int64_t i = 0; i < count; ++i) opaque = opaque && image->pixels[size_t(4 * i + 3)] == 255;
    Check(image->alpha || opaque);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dw;
  if (size > size_t{std::numeric_limits<int32_t>::max()}) return 0;
  CheckPackDecoder(data, size);
  StreamPtr input = CreateMemoryStream();
  if (size > 0) WriteBytes(*input, data, static_cast<int32_t>(size));
  SeekTo(*input, 0);
  std::unique_ptr<Bitmap> bitmap = CreateBitmap(1, 1);
  bitmap->LoadFromStream(*input);
  const int32_t position = CurrentPosition(*input);
  Check(position >= 0 && position <= static_cast<int32_t>(size));
  if (bitmap->Empty()) {
    Check(bitmap->dibBits() == nullptr);
    return 0;
  }

  const ScreenImage screen = MakeScreenImage(*bitmap);
  Check(screen.pixels.size() == size_t(screen.width) * size_t(screen.height));
  const std::vector<uint32_t> before = screen.pixels;
  // A rectangle converts to what the whole image shows there.
  if (screen.width > 0 && screen.height > 0) {
    const int x = screen.width / 3, y = screen.height / 3;
    const int w = std::min(screen.width - x, 5), h = std::min(screen.height - y, 4);
    std::vector<uint32_t> part(size_t(w) * size_t(h));
    Check(ConvertToScreen(*bitmap, x, y, w, h, part.data(), w));
    for (int r = 0; r < h; ++r) {
      for (int i = 0; i < w; ++i) {
        Check(part[size_t(r) * w + i] == screen.pixels[size_t(y + r) * screen.width + x + i]);
      }
    }
  }

  StreamPtr saved = CreateMemoryStream();
  bitmap->SaveToStream(*saved);
  SeekTo(*saved, 0);
  std::unique_ptr<Bitmap> again = CreateBitmap(1, 1);
  again->LoadFromStream(*saved);
  Check(again->Width() == bitmap->Width() && again->Height() == bitmap->Height());
  Check(MakeScreenImage(*again).pixels == before);

  // Paint each into the other at a few offsets, then widen and narrow.
  std::unique_ptr<Bitmap> target = CreateBitmap(7, 5);
  const int w = bitmap->Width(), h = bitmap->Height();
  for (int offset : {-3, 0, 2}) {
    bitmap->Draw(*target->Canvas(), offset, -offset);
    target->Draw(*bitmap->Canvas(), offset, offset);
    bitmap->Draw(*again->Canvas(), offset - w / 2, offset - h / 2);
  }
  int64_t rowBits = int64_t{w} * bitmap->bitCount();
  if (rowBits < (int64_t{1} << 24)) bitmap->SetWidth(w + 5);
  bitmap->SetWidth(std::max(1, w / 2));
  MakeScreenImage(*bitmap);
  for (int y = 0; y < std::min(h, 4); ++y) bitmap->PixelAt(std::min(w, 3), y);
  return 0;
}

#endif  // DUSKWEAVE_BITMAP_FUZZER
