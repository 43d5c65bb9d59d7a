#include "pack/frame_encoder.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "archive/archive.h"
#include "archive/frame_decoder.h"
#include "archive/stream.h"
#include "tests/support/def_writer.h"

namespace dw::pack {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t L = kLiteralPixel;

PixelRect Row(Bytes pixels) {
  return PixelRect{int32_t(pixels.size()), 1, std::move(pixels)};
}

// The pieces one after the other.
Bytes Cat(std::initializer_list<Bytes> pieces) {
  Bytes out;
  for (const Bytes& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
  return out;
}

Bytes Encode(const PixelRect& rect, int32_t compression, bool keepSpecial = false,
             const Bytes& fill = {}) {
  std::string error;
  auto data = EncodeFrame(rect, fill, {compression, keepSpecial}, error);
  EXPECT_TRUE(data.has_value()) << error;
  return data.value_or(Bytes{});
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
    Bytes fill = {};  // empty: the indices decide
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
      // Byte runs end at 256 pixels.
      {Row(Cat({Bytes(260, 0), Bytes(40, 9)})), 1, false,
       Cat({{4, 0, 0, 0, 0x00, 0xFF, 0x00, 3, 0xFF, 39}, Bytes(40, 9)})},
      // 70 columns: two entries per row, for columns 0 and 32. The background
      // run over columns 20..49 is cut at column 32; column 64 has no entry,
      // so the last run goes on past it.
      {Row(Cat({Bytes(20, 3), Bytes(30, 0), Bytes(20, 4)})), 3, false,
       Cat({{4, 0, 26, 0, 0xF3}, Bytes(20, 3), {0x0B, 0x11, 0xF3}, Bytes(20, 4)})},
      // With a fill layer, it decides: a literal 3 inside a raw run stays in
      // it, a fill of code 3 is a run of its own.
      {Row({9, 3, 9, 3, 3}), 1, false, {4, 0, 0, 0, 0xFF, 2, 9, 3, 9, 0x03, 1}, {L, L, L, 3, 3}},
      {Row({9, 3, 9, 0, 0}), 2, false, {2, 0, 0xE2, 9, 3, 9, 0x01}, {L, L, L, 0, L}},
      {Row({4, 4, 4}), 3, false, {2, 0, 0x82}, {4, 4, 4}},
      {Row({5, 6}), 0, false, {5, 0}, {L, 0}},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Encode(row.rect, row.compression, row.keepSpecial, row.fill), row.expected)
        << row.compression << " " << ::testing::PrintToString(row.rect.pixels);
}

// What the compression cannot store is refused, saying why.
TEST(EncodeFrame, RefusesWhatTheCompressionCannotStore) {
  const struct {
    PixelRect rect;
    Bytes fill;
    int32_t compression;
    std::string error;
  } rows[] = {
      {Row({7}), {7}, 2, "pixel 0, 0 is a fill of code 7, which compression 2 cannot store"},
      {Row({1}), {1}, 0, "pixel 0, 0 is a fill of code 1, which compression 0 cannot store"},
      {{3, 2, {0, 5, 5, 0, 5, 6}}, {}, 3,
       "a compression 3 frame narrower than 32 columns stores one row for all its rows, but row 1 "
       "differs from row 0"},
      {Pattern(64, 3000, 1), {}, 3,
       "row 1085 starts at byte 65533 of the frame data, beyond the 65535 a 16-bit row offset "
       "reaches"},
      {Pattern(64, 3000, 1), {}, 2,
       "row 1232 starts at byte 65552 of the frame data, beyond the 65535 a 16-bit row offset "
       "reaches"},
      {Row({1}), {}, 4, "compression 4 is none of 0, 1, 2 and 3"},
      {{2, 2, {1, 2, 3}}, {}, 1, "the rectangle's pixels do not match its size"},
  };
  for (const auto& row : rows) {
    std::string error;
    EXPECT_FALSE(EncodeFrame(row.rect, row.fill, {row.compression, false}, error));
    EXPECT_EQ(error, row.error);
  }
}

// The least bytes a row of indices (0..6 fill codes, the rest literal) can
// take, by trying every run ending at every column: a run of one fill code
// costs head bytes, one of index 0 and literal pixels head plus one a pixel.
int64_t LeastRowBytes(const Bytes& row, size_t maxRun, int64_t head) {
  std::vector<int64_t> best(row.size() + 1, std::numeric_limits<int64_t>::max());
  best[0] = 0;
  for (size_t y = 1; y <= row.size(); ++y) {
    bool oneFill = true, literal = true;
    for (size_t s = y; s-- > 0 && y - s <= maxRun && (oneFill || literal);) {
      oneFill = oneFill && row[s] == row[y - 1] && row[s] <= 6;
      literal = literal && (row[s] == 0 || row[s] > 6);
      if (oneFill) best[y] = std::min(best[y], best[s] + head);
      if (literal) best[y] = std::min(best[y], best[s] + head + int64_t(y - s));
    }
  }
  return best.back();
}

TEST(EncodeFrame, EachRowTakesTheLeastBytesItsRunsAllow) {
  uint32_t seed = 7;
  const auto next = [&](uint32_t n) { return ((seed = seed * 1103515245 + 12345) >> 16) % n; };
  for (int trial = 0; trial < 40; ++trial) {
    Bytes row;
    while (row.size() < 700) {
      const uint8_t v = std::array<uint8_t, 5>{0, 0, 3, 5, 9}[next(5)];
      const size_t length = 1 + next(next(2) ? 4 : 300);
      for (size_t i = 0; i < length; ++i) row.push_back(v == 9 ? uint8_t(9 + next(200)) : v);
    }
    SCOPED_TRACE(trial);
    EXPECT_EQ(int64_t(Encode(Row(row), 1, true).size()), 4 + LeastRowBytes(row, 256, 2));
    EXPECT_EQ(int64_t(Encode(Row(row), 2, true).size()), 2 + LeastRowBytes(row, 32, 1));
  }
}

TEST(EncodeFrameByteRuns, EqualsTheTestWritersBytes) {
  const PixelRect rect = Pattern(300, 7, 2);
  dw::testing::ArchiveSpec plan;
  plan.frames = {dw::testing::MakeFrame(1, 300, 7, 300, 7, 0, 0, rect.pixels)};
  const Bytes archive = dw::testing::BuildArchive(plan);
  EXPECT_EQ(Encode(rect, 1), Bytes(archive.begin() + 784 + 32, archive.end()));
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
      plan.frames = {dw::testing::MakeFrame(compression, 80, 11, 77, 9, 2, 1, rect.pixels)};
      plan.frames[0].data = Encode(rect, compression, keepSpecial);
      plan.blocks = {dw::testing::Block{0, {}, {{"f", 0, {}, {}}}, {}}};
      const Bytes archive = dw::testing::BuildArchive(plan);
      Diagnostics found;
      StreamPtr target = CreateMemoryStream();
      WriteFrameBmp(DecodeFrameImage(ReadArchive(archive).archive, archive, 0,
                                     DecodeOptions{keepSpecial}, nullptr, found),
                    *target);
      EXPECT_EQ(*MemoryStreamBytes(*target), dw::testing::ExpectedBmp(plan, plan.frames[0]));
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
