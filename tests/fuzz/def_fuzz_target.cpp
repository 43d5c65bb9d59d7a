// Fuzz entry: any bytes as a DEF archive. Loads them, then decodes frames into
// memory and checks that every image is well-formed whatever the input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "archive/bmp_layout.h"
#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_source.h"
#include "archive/little_endian.h"
#include "archive/stream.h"

namespace {

// Keeps one input fast: large images and long frame tables add no new paths.
constexpr int32_t kMaxFramesDecoded = 32;
constexpr int64_t kMaxFuzzPixelBytes = int64_t{1} << 16;

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return dw::le::GetU32(b.data() + at);
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckImage(const std::vector<uint8_t>& bmp, const dw::Archive& archive) {
  Require(bmp.size() >= dw::kBmpPixelOffset);
  Require(bmp[0] == 'B' && bmp[1] == 'M');
  Require(Get32(bmp, 2) == bmp.size());
  Require(Get32(bmp, 10) == dw::kBmpPixelOffset);
  const auto width = int32_t(Get32(bmp, 18));
  const auto height = int32_t(Get32(bmp, 22));
  Require(width >= 0 && height >= 0);
  const int64_t stride = (int64_t{width} + 3) / 4 * 4;
  Require(int64_t{Get32(bmp, 34)} == stride * height);
  Require(bmp.size() == size_t(dw::kBmpPixelOffset + stride * height));
  if (stride > width) {  // padding is background (stride > 0 bounds the rows by the size)
    for (int64_t row = 0; row < height; ++row)
      for (int64_t x = width; x < stride; ++x) Require(bmp[size_t(dw::kBmpPixelOffset + row * stride + x)] == 0);
  }
  for (int i = 0; i < 256; ++i) {
    Require(bmp[54 + 4 * i] == archive.palette[i].blue);
    Require(bmp[54 + 4 * i + 3] == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
  const dw::LoadedArchive loaded = dw::ReadArchive(*bytes);
  const dw::Archive& archive = loaded.archive;
  Require(archive.frames.size() * 17 <= size);
  for (size_t i = 1; i < archive.frames.size(); ++i)
    Require(archive.frames[i - 1].offset <= archive.frames[i].offset);

  // A budget too small for every frame, so that running out is explored too.
  dw::DecodeBudget budget(kMaxFuzzPixelBytes);
  dw::FrameSource source(archive, bytes, budget);
  const int32_t frames = std::min(archive.frameCount(), kMaxFramesDecoded);
  for (int32_t i = -1; i <= frames; ++i) {  // one index on each side of the table too
    dw::DecodeOptions options;
    options.keepSpecial = (i & 1) != 0;
    dw::Diagnostics found;
    const dw::IndexedImage image =
        dw::DecodeFrameImage(archive, *bytes, i, options, nullptr, found, kMaxFuzzPixelBytes);
    const dw::ImageSize predicted = dw::DecodedImageSize(archive, *bytes, i, kMaxFuzzPixelBytes);
    Require(predicted.width == image.width && predicted.height == image.height);
    dw::StreamPtr target = dw::CreateMemoryStream();
    Require(dw::WriteFrameBmp(image, *target));
    Require(dw::CurrentPosition(*target) == 0);
    CheckImage(*dw::MemoryStreamBytes(*target), archive);

    // Written in bands of three rows, the same file and the same problems.
    dw::Diagnostics banded;
    if (const auto plan = dw::PlanFrameDecode(archive, *bytes, i, nullptr, banded, kMaxFuzzPixelBytes)) {
      dw::StreamPtr bands = dw::CreateMemoryStream();
      Require(dw::WritePlannedFrameBmp(archive, *bytes, *plan, options, banded, *bands, 3 * plan->stride));
      Require(*dw::MemoryStreamBytes(*bands) == *dw::MemoryStreamBytes(*target));
    }
    Require(banded.items.size() == found.items.size());
    for (size_t d = 0; d < found.items.size(); ++d) {
      Require(banded.items[d].kind == found.items[d].kind);
      Require(banded.items[d].row == found.items[d].row && banded.items[d].count == found.items[d].count);
    }

    dw::Diagnostics viaSource;
    const dw::IndexedImage& shared = source.Decode(i, viaSource);
    Require(shared.pixels.size() <= size_t(kMaxFuzzPixelBytes));
    Require(viaSource.budgetExhausted() || options.keepSpecial || shared.pixels == image.pixels);
  }
  Require(budget.decoded() <= kMaxFuzzPixelBytes);
  return 0;
}
