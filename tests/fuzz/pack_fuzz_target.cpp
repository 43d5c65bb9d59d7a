// Fuzz entry: a small image from the bytes (compression, fill codes kept or
// not, width, height, then indices), encoded, laid into an archive and decoded
// again by the reader. Whatever encodes must decode to the very same indices.
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

  std::string error;
  auto encoded = dw::pack::EncodeFrame(rect, {compression, keepSpecial}, error);
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
  dw::Diagnostics found;
  dw::StreamPtr target = dw::CreateMemoryStream();
  dw::WriteFrameBmp(
      dw::DecodeFrameImage(loaded, *archive, 0, dw::DecodeOptions{keepSpecial}, nullptr, found),
      *target);
  const std::vector<uint8_t>& bmp = *dw::MemoryStreamBytes(*target);
  const size_t stride = (size_t(rect.width) + 3) / 4 * 4;
  Require(bmp.size() == 1078 + stride * size_t(rect.height));
  for (int32_t y = 0; y < rect.height; ++y) {
    const uint8_t* row = bmp.data() + 1078 + size_t(rect.height - 1 - y) * stride;
    for (int32_t x = 0; x < rect.width; ++x) {
      uint8_t want = rect.pixels[size_t(y) * rect.width + x];
      Require(row[x] == want);
    }
  }
  return 0;
}
