#include "pack/frame_encoder.h"

#include <gtest/gtest.h>

#include <array>

#include "archive/archive.h"
#include "archive/frame_decoder.h"
#include "archive/stream.h"
#include "tests/support/def_writer.h"

namespace dw::pack {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const PixelRect& rect, int32_t compression, bool keepSpecial = false) {
  std::string error;
  auto data = EncodeFrame(rect, {compression, keepSpecial}, error);
  EXPECT_TRUE(data.has_value()) << error;
  return data.value_or(Bytes{});
}

PixelRect Row(Bytes pixels) {
  return PixelRect{int32_t(pixels.size()), 1, std::move(pixels)};
}

PixelRect Pattern(int32_t width, int32_t height, int seed, bool special = false) {
  PixelRect rect{width, height, Bytes(size_t(width) * size_t(height))};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const int band = (x / 3 + y + seed) % 9;
      uint8_t v = band < 3 ? 0 : uint8_t(8 + (x * 7 + y * 3 + seed) % 200);
      if (special && band == 3) v = uint8_t(1 + (y + seed) % 7);
      rect.pixels[size_t(y) * width + x] = v;
    }
  return rect;
}

// The BMP image the product decoder gives for data stored as one frame.
Bytes DecodeWithReader(const Bytes& data, int32_t compression, const PixelRect& rect,
                       bool keepSpecial, dw::testing::ArchiveSpec& plan) {
  dw::testing::SpriteFrame frame =
      dw::testing::MakeFrame(compression, rect.width + 3, rect.height + 2, rect.width,
                             rect.height, 2, 1, rect.pixels);
  frame.data = data;
  plan.frames = {frame};
  dw::testing::Block block;
  block.entries = {dw::testing::DirectoryEntry{"f", 0, {}, {}}};
  plan.blocks = {block};
  const Bytes archive = dw::testing::BuildArchive(plan);
  const Archive loaded = ReadArchive(archive).archive;
  Diagnostics found;
  StreamPtr target = CreateMemoryStream();
  WriteFrameBmp(DecodeFrameImage(loaded, archive, 0, DecodeOptions{keepSpecial}, nullptr, found),
                *target);
  return *MemoryStreamBytes(*target);
}

// Each compression's layout, byte for byte. Index 0 goes wherever it is
// cheapest (into the literal run of byte runs); fill codes are runs of their
// own only when asked.
TEST(EncodeFrame, WritesEachCompressionsLayout) {
  const PixelRect twoRows{5, 2, {10, 11, 12, 0, 0, 0, 0, 0, 0, 0}};
  const struct {
    PixelRect rect;
    int32_t compression;
    bool keepSpecial;
    Bytes expected;
  } rows[] = {
      {{2, 2, {1, 2, 3, 4}}, 0, false, {1, 2, 3, 4}},
      // Row offsets, then code-length pairs: literal 0A 0B 0C, background 2; background 5.
      {twoRows, 1, false, {8, 0, 0, 0, 15, 0, 0, 0, 0xFF, 2, 10, 11, 12, 0x00, 1, 0x00, 4}},
      {Row({1, 1, 7, 8, 0}), 1, true, {4, 0, 0, 0, 0x01, 1, 0x07, 0, 0xFF, 1, 8, 0}},
      {Row({1, 1, 7, 8, 0}), 1, false, {4, 0, 0, 0, 0xFF, 4, 1, 1, 7, 8, 0}},
      // Two-byte row offsets, then one-byte runs of at most 32; codes 0..6 kept.
      {twoRows, 2, false, {4, 0, 9, 0, 0xE2, 10, 11, 12, 0x01, 0x04}},
      {Row(Bytes(40, 0)), 2, false, {2, 0, 0x1F, 0x07}},
      {Row({6, 6, 7, 5}), 2, true, {2, 0, 0xC1, 0xE0, 7, 0xA0}},
      // Below 32 columns one row stands for all.
      {{3, 3, {0, 5, 5, 0, 5, 5, 0, 5, 5}}, 3, false, {2, 0, 0x00, 0xE1, 5, 5}},
      // Found by fuzzing: an empty rectangle must not compare rows at all.
      {{0, 21, {}}, 3, false, {2, 0}},
      {{0, 2, {}}, 1, false, {8, 0, 0, 0, 8, 0, 0, 0}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Encode(row.rect, row.compression, row.keepSpecial), row.expected)
        << row.compression << " " << ::testing::PrintToString(row.rect.pixels);
}

TEST(EncodeFrameByteRuns, SplitsRunsAt256Pixels) {
  PixelRect rect = Row(Bytes(300, 0));
  std::fill(rect.pixels.begin() + 260, rect.pixels.end(), 9);
  const Bytes data = Encode(rect, 1);
  Bytes expected{4, 0, 0, 0, 0x00, 0xFF, 0x00, 3, 0xFF, 39};
  expected.insert(expected.end(), 40, 9);
  EXPECT_EQ(data, expected);
}

// The fill layer decides: a literal 3 inside a raw run stays in it, a fill
// of code 3 is a run of its own, and a code the compression lacks is refused.
TEST(EncodeFrameWithFillLayer, KeepsLiteralSpecialIndicesInsideRawRuns) {
  constexpr uint8_t L = kLiteralPixel;
  const struct {
    int32_t compression;
    Bytes pixels, fill, expected;
  } rows[] = {
      {1, {9, 3, 9, 3, 3}, {L, L, L, 3, 3}, {4, 0, 0, 0, 0xFF, 2, 9, 3, 9, 0x03, 1}},
      {2, {9, 3, 9, 0, 0}, {L, L, L, 0, L}, {2, 0, 0xE2, 9, 3, 9, 0x01}},
      {3, {4, 4, 4}, {4, 4, 4}, {2, 0, 0x82}},
      {0, {5, 6}, {L, 0}, {5, 0}},
  };
  for (const auto& row : rows) {
    std::string error;
    const auto data =
        EncodeFrame(Row(row.pixels), row.fill, {row.compression, false}, error);
    ASSERT_TRUE(data) << error;
    EXPECT_EQ(*data, row.expected) << row.compression;
  }
  std::string error;
  EXPECT_FALSE(EncodeFrame(Row({7}), {7}, {2, false}, error));
  EXPECT_EQ(error, "pixel 0, 0 is a fill of code 7, which compression 2 cannot store");
  EXPECT_FALSE(EncodeFrame(Row({1}), {1}, {0, false}, error));
}

TEST(EncodeFrameByteRuns, EqualsTheTestWritersBytes) {
  const PixelRect rect = Pattern(300, 7, 2);
  dw::testing::SpriteFrame frame =
      dw::testing::MakeFrame(1, 300, 7, 300, 7, 0, 0, rect.pixels);
  dw::testing::ArchiveSpec plan;
  plan.frames = {frame};
  const Bytes archive = dw::testing::BuildArchive(plan);
  EXPECT_EQ(Encode(rect, 1), Bytes(archive.begin() + 784 + 32, archive.end()));
}

TEST(EncodeFrameSegmentRuns, HasWidthDiv32EntriesPerRowPointingAtEachSegment) {
  // 70 columns: two entries per row, for columns 0 and 32. The background
  // run over columns 20..49 is cut at column 32; column 64 has no entry, so
  // the last run goes on past it.
  PixelRect rect = Row(Bytes(70, 0));
  std::fill(rect.pixels.begin(), rect.pixels.begin() + 20, 3);
  std::fill(rect.pixels.begin() + 50, rect.pixels.end(), 4);
  Bytes expected{4, 0, 26, 0, 0xF3};
  expected.insert(expected.end(), 20, 3);
  expected.push_back(0x0B);  // columns 20..31
  expected.push_back(0x11);  // columns 32..49
  expected.push_back(0xF3);  // columns 50..69
  expected.insert(expected.end(), 20, 4);
  EXPECT_EQ(Encode(rect, 3), expected);
}

TEST(EncodeFrameSegmentRuns, BelowThirtyTwoColumnsRefusesRowsThatDiffer) {
  std::string error;
  EXPECT_FALSE(EncodeFrame(PixelRect{3, 2, {0, 5, 5, 0, 5, 6}}, {3, false}, error));
  EXPECT_NE(error.find("row 1 differs from row 0"), std::string::npos) << error;
}

TEST(EncodeFrameSegmentRuns, RefusesRowsBeyondSixteenBitOffsets) {
  std::string error;
  EXPECT_FALSE(EncodeFrame(Pattern(64, 3000, 1), {3, false}, error));
  EXPECT_NE(error.find("beyond the 65535"), std::string::npos) << error;
  EXPECT_FALSE(EncodeFrame(Pattern(64, 3000, 1), {2, false}, error));
}

TEST(EncodeFrame, RefusesUnknownCompressionsAndMismatchedPixels) {
  std::string error;
  EXPECT_FALSE(EncodeFrame(Row({1}), {4, false}, error));
  EXPECT_NE(error.find("compression 4"), std::string::npos);
  EXPECT_FALSE(EncodeFrame(PixelRect{2, 2, {1, 2, 3}}, {1, false}, error));
}

// Every compression, plain and with fill codes kept, decodes back to the
// pixels through the archive reader.
TEST(EncodeFrame, DecodesBackToThePixelsInEveryCompression) {
  for (int32_t compression = 0; compression <= 3; ++compression) {
    for (bool keepSpecial : {false, true}) {
      SCOPED_TRACE("compression " + std::to_string(compression) +
                   (keepSpecial ? " keeping codes" : ""));
      const PixelRect rect = Pattern(77, 9, compression, keepSpecial);
      dw::testing::ArchiveSpec plan;
      const Bytes bmp = DecodeWithReader(Encode(rect, compression, keepSpecial), compression,
                                         rect, keepSpecial, plan);
      EXPECT_EQ(bmp, dw::testing::ExpectedBmp(plan, plan.frames[0]));
    }
  }
}

TEST(TrimBackground, FindsTheRectangleOfNonZeroIndices) {
  const Bytes image{0, 0, 0, 0,  //
                    0, 0, 3, 0,  //
                    0, 4, 0, 0};
  const auto fields = [](const Trim& t) { return std::array{t.left, t.top, t.width, t.height}; };
  EXPECT_EQ(fields(TrimBackground(image.data(), 4, 3)), (std::array{1, 1, 2, 2}));
  EXPECT_EQ(fields(TrimBackground(Bytes(6, 0).data(), 3, 2)), (std::array{0, 0, 0, 0}));
}

TEST(CutRect, PlacesAsTheDecoderDoesAndFillsOutsideWithZero) {
  const Bytes image{1, 2, 3,  //
                    4, 5, 6};
  EXPECT_EQ(CutRect(image.data(), 3, 2, 1, 1, 2, 1).pixels, (Bytes{5, 6}));
  EXPECT_EQ(CutRect(image.data(), 3, 2, -4, 0, 2, 1).pixels, (Bytes{1, 2}));
  EXPECT_EQ(CutRect(image.data(), 3, 2, 2, 1, 3, 2).pixels, (Bytes{6, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace dw::pack
