// Fuzz entry: a small image from the bytes (compression, fill codes kept or
// not and a fill layer or not, width, height, then indices), encoded, laid
// into an archive and decoded again by the reader. Whatever encodes must
// decode to the very same indices, in both views when a fill layer decides.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/frame_decoder.h"
#include "archive/stream.h"
#include "archive/stream.h"
#include "pack/def_builder.h"
#include "pack/frame_encoder.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int32_t compression = data[0] % 4;
  const bool keepSpecial = (data[1] & 1) != 0;
  dw::pack::PixelRect rect;
  rect.width = data[2] % 80;
  rect.height = data[3] % 24;
  rect.pixels.assign(size_t(rect.width) * size_t(rect.height), 0);
  for (size_t i = 0; i < rect.pixels.size() && 4 + i < size; ++i) rect.pixels[i] = data[4 + i];

  // With bit 1 a fill layer too: the high bit of each index byte marks a
  // fill of code index % 7 (0..6, which every run compression stores).
  std::vector<uint8_t> fill;
  if ((data[1] & 2) != 0) {
    for (const uint8_t index : rect.pixels) {
      fill.push_back(index >= 0x80 ? uint8_t(index % 7) : dw::pack::kLiteralPixel);
      if (compression == 0 && fill.back() != 0) fill.back() = dw::pack::kLiteralPixel;
    }
  }

  std::string error;
  auto encoded = dw::pack::EncodeFrame(rect, fill, {compression, keepSpecial}, error);
  if (!encoded) {
    Require(!error.empty());
    return 0;
  }
  dw::pack::ArchivePlan plan;
  plan.frames.push_back(dw::pack::StoredFrame{
      dw::FrameHeader{0, compression, rect.width, rect.height, rect.width, rect.height, 0, 0},
      std::move(*encoded)});
  plan.blocks.push_back(dw::pack::BlockPlan{0, {}, {{*dw::pack::NameField("f"), 0}}});
  const auto archive = dw::pack::BuildDef(plan, error);
  Require(archive.has_value());

  const dw::Archive loaded = dw::ReadArchive(*archive).archive;
  Require(loaded.frameCount() == 1);
  // Both views: a fill shows its code with codes kept and 0 without.
  for (bool keep : {false, true}) {
    if (fill.empty() && keep != keepSpecial) continue;
    dw::Diagnostics found;
    dw::StreamPtr target = dw::CreateMemoryStream();
    dw::WriteFrameBmp(
        dw::DecodeFrameImage(loaded, *archive, 0, dw::DecodeOptions{keep}, nullptr, found), *target);
    const std::vector<uint8_t>& bmp = *dw::MemoryStreamBytes(*target);
    const size_t stride = (size_t(rect.width) + 3) / 4 * 4;
    Require(bmp.size() == 1078 + stride * size_t(rect.height));
    for (int32_t y = 0; y < rect.height; ++y) {
      const uint8_t* row = bmp.data() + 1078 + size_t(rect.height - 1 - y) * stride;
      for (int32_t x = 0; x < rect.width; ++x) {
        const size_t i = size_t(y) * rect.width + x;
        uint8_t want = rect.pixels[i];
        if (!fill.empty() && fill[i] != dw::pack::kLiteralPixel) want = keep ? fill[i] : 0;
        Require(row[x] == want);
      }
    }
  }
  return 0;
}
