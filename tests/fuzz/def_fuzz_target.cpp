// Fuzz entry: any bytes as a DEF archive. Loads them, then decodes frames into
// memory and checks that every image is well-formed whatever the input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "archive/conversion_state.h"
#include "archive/from_bytes.h"
#include "archive/stream.h"

namespace {

// Keeps one input fast: large images and long frame tables add no new paths.
constexpr int32_t kMaxFramesDecoded = 32;
constexpr int64_t kMaxFuzzPixelBytes = int64_t{1} << 16;

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckImage(const std::vector<uint8_t>& bmp, const dw::ConversionState& state) {
  Require(bmp.size() >= 1078);
  Require(bmp[0] == 'B' && bmp[1] == 'M');
  Require(Get32(bmp, 2) == bmp.size());
  Require(Get32(bmp, 10) == 1078);
  const auto width = int32_t(Get32(bmp, 18));
  const auto height = int32_t(Get32(bmp, 22));
  Require(width >= 0 && height >= 0);
  const int64_t stride = (int64_t{width} + 3) / 4 * 4;
  Require(int64_t{Get32(bmp, 34)} == stride * height);
  Require(bmp.size() == size_t(1078 + stride * height));
  if (stride > width) {  // padding is background (stride > 0 bounds the rows by the size)
    for (int64_t row = 0; row < height; ++row)
      for (int64_t x = width; x < stride; ++x) Require(bmp[size_t(1078 + row * stride + x)] == 0);
  }
  for (int i = 0; i < 256; ++i) {
    Require(bmp[54 + 4 * i] == state.palette[i].blue);
    Require(bmp[54 + 4 * i + 3] == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  dw::ConversionState state;
  dw::LoadArchiveFromBytes(state, bytes);
  Require(state.frameCount == int32_t(state.frames.size()));
  Require(state.frames.size() * 17 <= size);
  for (size_t i = 1; i < state.frames.size(); ++i)
    Require(state.frames[i - 1].offset <= state.frames[i].offset);

  const int32_t frames = std::min(state.frameCount, kMaxFramesDecoded);
  for (int32_t i = -1; i <= frames; ++i) {  // one index on each side of the table too
    dw::StreamPtr target = dw::CreateMemoryStream();
    dw::DecodeOptions options;
    options.keepSpecial = (i & 1) != 0;
    dw::DecodeFrameFromBytes(state, bytes, i, *target, options, kMaxFuzzPixelBytes);
    Require(dw::CurrentPosition(*target) == 0);
    CheckImage(*dw::MemoryStreamBytes(*target), state);
  }
  return 0;
}
