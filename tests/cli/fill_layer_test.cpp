#include "cli/pack_plan/fill_layer.h"

#include <gtest/gtest.h>

namespace dw::cli {
namespace {

constexpr uint8_t L = pack::kLiteralPixel;
constexpr uint8_t P = kPaintedPixel;

// One row of four pixels: which are written as fills, and of which code.
TEST(FillLayer, RecordedFillsStayWhereTheImageStillShowsThem) {
  std::array<Rgba, 256> colours{};
  for (int i = 0; i < 256; ++i) colours[size_t(i)] = Rgba{uint8_t(i), 0, 0, 255};
  colours[4] = colours[1];  // two shadow codes that look alike
  const struct {
    const char* name;
    std::vector<uint8_t> pixels, marks;
    std::vector<FillRun> record;
    bool keepSpecial, alpha;
    int32_t compression;
    std::vector<uint8_t> expected;
  } rows[] = {
      {"default view: a fill shows 0, paint over it is literal", {0, 5, 3, 0}, {},
       {{0, 0, 2, 3}}, false, false, 1, {3, L, L, L}},
      {"kept codes: a fill shows its code", {4, 4, 4, 9}, {}, {{0, 1, 2, 4}}, true, false, 1,
       {L, 4, 4, L}},
      {"no record: the indices decide", {0, 7, 6, 9}, {}, {}, true, false, 2, {0, L, 6, L}},
      {"marked shadows keep a recorded code that looks alike", {4, 4, 3, 7}, {4, 4, P, 0},
       {{0, 0, 3, 1}}, true, true, 1, {1, 1, L, 0}},
      {"a marked shadow unlike the record is an edit", {4, 4, 3, 7}, {4, 4, P, 0},
       {{0, 0, 2, 2}}, true, true, 1, {4, 4, L, 0}},
  };
  for (const auto& row : rows) {
    const PalettedImage image{4, 1, {}, 0, row.pixels, row.marks};
    const pack::PixelRect rect{4, 1, row.pixels};
    const FillSource source{row.compression, row.keepSpecial,
                            row.record.empty() ? nullptr : &row.record, 0, 0,
                            row.alpha ? &colours : nullptr};
    EXPECT_EQ(FillLayer(image, rect, 0, 0, source), row.expected) << row.name;
  }
}

// A literal 3 that the image shows as the shadow code 4 comes back; one
// painted over does not.
TEST(KeepLiterals, RecordedLiteralsComeBackWhereTheImageStillShowsThem) {
  std::array<Rgba, 256> colours{};
  for (int i = 0; i < 256; ++i) colours[size_t(i)] = Rgba{uint8_t(i), 0, 0, 255};
  colours[3] = colours[4];
  pack::PixelRect rect{3, 1, {0, 0, 9}};
  std::vector<uint8_t> layer{4, 1, L};
  const std::vector<FillRun> literals{{0, 0, 3, 3}};
  const FillSource source{1, false, nullptr, 0, 0, &colours, &literals};
  KeepLiterals(rect, layer, source);
  EXPECT_EQ(rect.pixels, (std::vector<uint8_t>{3, 0, 9}));
  EXPECT_EQ(layer, (std::vector<uint8_t>{L, 1, L}));
}

}  // namespace
}  // namespace dw::cli
