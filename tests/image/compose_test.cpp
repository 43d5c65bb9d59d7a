#include "image/compose.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/frame_decoder.h"
#include "tests/image/bmp_bytes.h"
#include "tests/support/def_writer.h"

namespace dw {
namespace {

using Grid = std::vector<std::vector<uint32_t>>;
namespace t = dw::testing;

// Eight frames of assorted sizes and all three compressions. Frame 2 is taller
// than frame 0, frame 5 shorter; frame 5 has a left margin.
std::vector<t::SpriteFrame> EightFrames() {
  struct Shape {
    int32_t compression, fullWidth, fullHeight, width, height, left, top;
  };
  const Shape shapes[] = {{0, 5, 4, 5, 4, 0, 0}, {1, 3, 4, 3, 3, 0, 1}, {1, 6, 6, 6, 6, 0, 0},
                          {0, 2, 2, 2, 2, 0, 0}, {0, 4, 4, 4, 4, 0, 0}, {3, 34, 2, 33, 2, 1, 0},
                          {0, 2, 3, 2, 3, 0, 0}, {1, 3, 5, 3, 5, 0, 0}};
  std::vector<t::SpriteFrame> frames;
  for (int k = 0; k < 8; ++k) {
    const Shape& s = shapes[k];
    std::vector<uint8_t> pixels(size_t(s.width) * s.height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(1 + (k * 29 + i) % 250);
    frames.push_back(t::MakeFrame(s.compression, s.fullWidth, s.fullHeight, s.width, s.height,
                                  s.left, s.top, pixels));
  }
  return frames;
}

t::ArchiveSpec Archive(std::vector<t::SpriteFrame> frames) {
  t::ArchiveSpec spec;
  spec.frames = std::move(frames);
  t::Block block;
  for (size_t k = 0; k < spec.frames.size(); ++k) {
    t::DirectoryEntry entry;
    entry.name = "f" + std::to_string(k) + ".pcx";
    entry.frame = int(k);
    block.entries.push_back(entry);
  }
  spec.blocks = {block};
  return spec;
}

// The frame's full image, top row first, as the decoder gives it.
Grid FullImage(const t::ArchiveSpec& spec, const t::SpriteFrame& frame) {
  const std::vector<uint8_t> bmp = t::ExpectedBmp(spec, frame);
  const int stride = (frame.fullWidth + 3) / 4 * 4;
  Grid rows(frame.fullHeight);
  for (int y = 0; y < frame.fullHeight; ++y) {
    for (int x = 0; x < frame.fullWidth; ++x) {
      rows[y].push_back(bmp[1078 + size_t(frame.fullHeight - 1 - y) * stride + x]);
    }
  }
  return rows;
}

// The strip built the slow, obvious way: frames side by side, the first
// frame's height, zero wherever no frame lies.
Grid ExpectedStrip(const t::ArchiveSpec& spec, const std::vector<int32_t>& order, bool separator) {
  const int height = spec.frames[order[0]].fullHeight;
  int width = 0;
  for (int32_t k : order) width += spec.frames[k].fullWidth;
  width += separator ? int(order.size()) - 1 : 0;
  Grid strip(height, std::vector<uint32_t>(width, 0));
  int x = 0;
  for (size_t n = 0; n < order.size(); ++n) {
    if (n > 0 && separator) ++x;
    const Grid frame = FullImage(spec, spec.frames[order[n]]);
    for (int y = 0; y < height && y < int(frame.size()); ++y) {
      for (size_t c = 0; c < frame[y].size(); ++c) strip[y][x + c] = frame[y][c];
    }
    x += spec.frames[order[n]].fullWidth;
  }
  return strip;
}

Grid Indices(const Bitmap& bitmap) {
  Grid rows(bitmap.Height());
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) rows[y].push_back(bitmap.PixelAt(x, y));
  }
  return rows;
}

class ComposeStripTest : public ::testing::Test {
 protected:
  void Open(const t::ArchiveSpec& spec) { Open(t::BuildArchive(spec)); }
  void Open(const std::vector<uint8_t>& bytes) {
    t::WriteFile(path(), bytes);
    InitConversionState(state_);
    LoadArchive(state_, path());
  }
  std::string path() const { return dir_.File("sprite.def"); }

  t::TempDir dir_;
  ConversionState state_;
};

TEST_F(ComposeStripTest, FramesZeroTwoAndFiveWithSeparatorColumns) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  Open(spec);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {0, 2, 5}, true);
  ASSERT_EQ(strip->Width(), 5 + 6 + 34 + 2);
  ASSERT_EQ(strip->Height(), 4);
  EXPECT_EQ(strip->pixelFormat(), PixelFormat::Bits8);
  const Grid got = Indices(*strip);
  EXPECT_EQ(got, ExpectedStrip(spec, {0, 2, 5}, true));
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(got[y][5], 0u);          // after frame 0
    EXPECT_EQ(got[y][5 + 1 + 6], 0u);  // after frame 2
  }
  EXPECT_EQ(got[3][5 + 1 + 6 + 1 + 5], 0u);  // below the shorter frame 5
  EXPECT_NE(got[3][6], 0u);                  // frame 2 is cut at the strip's bottom
}

TEST_F(ComposeStripTest, FramesZeroTwoAndFiveTouchWithoutSeparator) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  Open(spec);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {0, 2, 5}, false);
  ASSERT_EQ(strip->Width(), 5 + 6 + 34);
  EXPECT_EQ(Indices(*strip), ExpectedStrip(spec, {0, 2, 5}, false));
}

TEST_F(ComposeStripTest, FramesFollowTheOrderGivenAndTheFirstGivesTheHeight) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  Open(spec);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {5, 2, 0}, true);
  ASSERT_EQ(strip->Height(), 2);
  EXPECT_EQ(Indices(*strip), ExpectedStrip(spec, {5, 2, 0}, true));
}

TEST_F(ComposeStripTest, AllEightFrames) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  Open(spec);
  const std::vector<int32_t> all = {0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(Indices(*ComposeStrip(state_, all, true)), ExpectedStrip(spec, all, true));
  EXPECT_EQ(Indices(*ComposeStrip(state_, all, false)), ExpectedStrip(spec, all, false));
}

TEST_F(ComposeStripTest, OneFrameAloneIsThatFrameWithItsOwnHeader) {
  Open(Archive(EightFrames()));
  StreamPtr decoded = CreateMemoryStream();
  DecodeFrame(state_, 3, *decoded);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {3}, true);
  EXPECT_EQ(t::SaveBitmap(*strip), t::AllBytes(*decoded));
}

TEST_F(ComposeStripTest, WidenedStripSavesWithAFreshHeaderAndZeroPadding) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  Open(spec);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {3, 6}, true);
  const Grid expected = ExpectedStrip(spec, {3, 6}, true);  // 5 x 2
  t::BmpSpec bmp;
  bmp.width = 5;
  bmp.height = 2;
  bmp.table = t::ColourTable(256, t::TestPaletteColour);
  for (int y = 1; y >= 0; --y) {
    for (int x = 0; x < 8; ++x) bmp.pixels.push_back(x < 5 ? uint8_t(expected[y][x]) : 0);
  }
  EXPECT_EQ(t::SaveBitmap(*strip), t::BuildBmp(bmp));
}

TEST_F(ComposeStripTest, FailingFirstFrameGivesAnEmptyStrip) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  std::vector<uint8_t> bytes = t::BuildArchive(spec);
  t::PutInt32(bytes, t::FrameOffsets(spec)[1] + 8, -3);  // frame 1: negative fullWidth
  Open(bytes);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {1, 0, 2}, true);
  EXPECT_TRUE(strip->Empty());
  EXPECT_EQ(strip->Width(), 0);
  EXPECT_EQ(strip->Height(), 0);
  EXPECT_TRUE(t::SaveBitmap(*strip).empty());
}

TEST_F(ComposeStripTest, FailingLaterFrameTakesNoWidthButKeepsItsSeparator) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  std::vector<uint8_t> bytes = t::BuildArchive(spec);
  t::PutInt32(bytes, t::FrameOffsets(spec)[1] + 8, -3);
  Open(bytes);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {0, 1, 2}, true);
  ASSERT_EQ(strip->Width(), 5 + 0 + 6 + 2);
  const Grid expected02 = ExpectedStrip(spec, {0, 2}, true);  // frame 2 at x 6
  Grid got = Indices(*strip);
  for (auto& row : got) row.erase(row.begin() + 6);  // the extra separator column
  EXPECT_EQ(got, expected02);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(strip->PixelAt(6, y), 0u);
}

TEST_F(ComposeStripTest, LaterFrameWithoutRowsStillTakesItsWidth) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  std::vector<uint8_t> bytes = t::BuildArchive(spec);
  t::PutInt32(bytes, t::FrameOffsets(spec)[4] + 12, 0);  // frame 4: fullHeight 0, 4 wide
  Open(bytes);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {0, 4, 3}, false);
  ASSERT_EQ(strip->Width(), 5 + 4 + 2);
  const Grid got = Indices(*strip);
  for (int y = 0; y < 4; ++y) {
    for (int x = 5; x < 9; ++x) EXPECT_EQ(got[y][x], 0u) << x << "," << y;
  }
  EXPECT_EQ(got[0][9], FullImage(spec, spec.frames[3])[0][0]);
}

TEST_F(ComposeStripTest, LaterFramesTakeTheLowestIndexOfARepeatedColour) {
  std::vector<t::SpriteFrame> frames = {t::MakeFrame(0, 2, 1, 2, 1, 0, 0, {200, 100}),
                                        t::MakeFrame(0, 2, 1, 2, 1, 0, 0, {200, 100})};
  t::ArchiveSpec spec = Archive(frames);
  std::copy(spec.palette.begin() + 3 * 100, spec.palette.begin() + 3 * 101,
            spec.palette.begin() + 3 * 200);
  Open(spec);
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {0, 1}, false);
  // The first frame is loaded as it is; the second is painted by colour.
  EXPECT_EQ(Indices(*strip), (Grid{{200, 100, 100, 100}}));
}

TEST_F(ComposeStripTest, ArchiveGoneSinceLoadingGivesAnEmptyStrip) {
  Open(Archive(EightFrames()));
  std::filesystem::remove(path());
  EXPECT_TRUE(ComposeStrip(state_, {0, 1}, true)->Empty());
}

TEST_F(ComposeStripTest, NoFramesGivesAnEmptyStrip) {
  Open(Archive(EightFrames()));
  std::unique_ptr<Bitmap> strip = ComposeStrip(state_, {}, true);
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->Width(), 0);
  EXPECT_EQ(strip->Height(), 0);
}

TEST_F(ComposeStripTest, LoadFrameBitmapReplacesTheTargetOrEmptiesIt) {
  const t::ArchiveSpec spec = Archive(EightFrames());
  Open(spec);
  std::unique_ptr<Bitmap> shown = CreateBitmap(1, 1);
  LoadFrameBitmap(state_, 7, *shown);
  EXPECT_EQ(Indices(*shown), FullImage(spec, spec.frames[7]));
  LoadFrameBitmap(state_, 8, *shown);  // no such frame
  EXPECT_TRUE(shown->Empty());
  EXPECT_EQ(shown->Width(), 0);
}

}  // namespace
}  // namespace dw
