#include "image/compose.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "archive/archive_bytes.h"
#include "tests/image/allocation_probe.h"
#include "tests/image/bitmap_bytes.h"
#include "tests/support/def_writer.h"

namespace dw {
namespace {

namespace t = dw::testing;
using t::Grid;
using t::Indices;

// Frame k's full image, top row first, from the image the decoder must give.
Grid FullImage(const t::ArchiveSpec& plan, int k) {
  return Indices(*t::LoadBitmap(t::ExpectedBmp(plan, plan.frames[k])));
}

// The strip built the slow, obvious way: frames side by side, the first
// frame's height, zero wherever no frame lies.
Grid ExpectedStrip(const t::ArchiveSpec& plan, const std::vector<int32_t>& order, bool separator) {
  const size_t height = plan.frames[order[0]].fullHeight;
  Grid strip(height);
  for (size_t n = 0; n < order.size(); ++n) {
    const Grid frame = FullImage(plan, order[n]);
    for (size_t y = 0; y < height; ++y) {
      if (n > 0 && separator) strip[y].push_back(0);
      for (int x = 0; x < plan.frames[order[n]].fullWidth; ++x) {
        strip[y].push_back(y < frame.size() ? frame[y][x] : 0);
      }
    }
  }
  return strip;
}

class ComposeStripTest : public ::testing::Test {
 protected:
  void Open() { Open(t::BuildArchive(spec_)); }
  void Open(const std::vector<uint8_t>& bytes) {
    t::WriteFile(path(), bytes);
    archive_ = LoadArchiveFile(path(), cache_).archive;
  }
  ArchiveBytesPtr Bytes() { return cache_.Current(path()); }
  std::unique_ptr<Bitmap> Compose(const std::vector<int32_t>& order, bool separator) {
    DecodeBudget budget(int64_t{1} << 32);
    return ComposeStrip(archive_, Bytes(), order, separator, budget);
  }
  // The archive with frame k's 32-bit head field at `field` set to value.
  void OpenDamaged(int k, int field, int32_t value) {
    std::vector<uint8_t> bytes = t::BuildArchive(spec_);
    t::PutInt32(bytes, t::FrameOffsets(spec_)[k] + field, value);
    Open(bytes);
  }
  std::string path() const { return dir_.File("sprite.def"); }
  // One block listing the frames in the order given.
  void Use(std::vector<t::SpriteFrame> frames, const std::vector<int>& listed) {
    spec_.frames = std::move(frames);
    spec_.blocks = {t::Block{}};
    for (int f : listed) spec_.blocks[0].entries.push_back({"f.pcx", f, {}, {}});
  }

  t::ArchiveSpec spec_ = t::EightFrameSpec();
  t::TempDir dir_;
  ArchiveBytes cache_;
  Archive archive_;
};

TEST_F(ComposeStripTest, GeometryAndPixelsMatchFramesSideBySide) {
  struct Case {
    std::vector<int32_t> order;
    bool separator;
    int width, height;
  };
  const Case cases[] = {
      {{1, 2, 0}, true, 14 + 1 + 43 + 1 + 12, 10},  // frame 2 cut, frame 0 lower
      {{1, 2, 0}, false, 14 + 43 + 12, 10},
      {{0, 2, 1}, true, 12 + 1 + 43 + 1 + 14, 8},  // the first gives the height
      {{0, 1, 2, 3, 4, 5, 6, 7}, true, 183 + 7, 8},
      {{0, 1, 2, 3, 4, 5, 6, 7}, false, 183, 8},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.order) + (c.separator ? " separated" : " touching"));
    // Saved with a fresh header, zero padding and the archive's palette.
    const Grid expected = ExpectedStrip(spec_, c.order, c.separator);
    EXPECT_EQ(t::SaveBitmap(*Compose(c.order, c.separator)),
              t::BuildBmp(t::EightBit(
                  c.width, c.height, [&](int x, int y) { return expected[y][x]; }, 0)));
  }
}

TEST_F(ComposeStripTest, FailingFirstFrameNoFramesOrAVanishedArchiveGiveAnEmptyStrip) {
  OpenDamaged(1, 8, -3);  // frame 1: negative fullWidth
  for (const std::vector<int32_t>& order : {std::vector<int32_t>{1, 0, 2}, {}}) {
    std::unique_ptr<Bitmap> strip = Compose(order, true);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(std::tuple(strip->Width(), strip->Height(), t::SaveBitmap(*strip).empty()), std::tuple(0, 0, true));
  }
  ASSERT_FALSE(Compose({0, 2}, true)->Empty());
  std::filesystem::remove(path());
  EXPECT_TRUE(Compose({0, 2}, true)->Empty());
}

TEST_F(ComposeStripTest, FailingLaterFrameKeepsOnlyItsSeparatorAndOneWithoutRowsItsWidth) {
  OpenDamaged(1, 8, -3);  // frame 1: negative fullWidth
  Grid expected = ExpectedStrip(spec_, {0, 2}, true);
  for (auto& row : expected) row.insert(row.begin() + 13, 0);  // the failed frame's separator column
  EXPECT_EQ(Indices(*Compose({0, 1, 2}, true)), expected);
  OpenDamaged(4, 12, 0);  // frame 4: fullHeight 0, 16 wide
  expected = ExpectedStrip(spec_, {0, 4, 3}, false);
  for (auto& row : expected) std::fill(row.begin() + 12, row.begin() + 28, 0);
  EXPECT_EQ(Indices(*Compose({0, 4, 3}, false)), expected);
}

// Later frames far taller than the first are cut to a row or two of the
// strip; holding all their decoded images until the strip is painted would
// let a tiny archive ask for gigabytes.
TEST_F(ComposeStripTest, TallLaterFramesAreNotHeldAllAtOnce) {
  constexpr int kLater = 24;
  constexpr int32_t kTallRows = 250000;  // 1 MB of pixel rows each
  std::vector<int> listed(1 + kLater, 1);  // one head, many names
  listed[0] = 0;
  Use({t::MakeFrame(0, 4, 1, 4, 1, 0, 0, {1, 2, 3, 4}),
       t::MakeFrame(0, 4, kTallRows, 4, 1, 0, 0, {5, 6, 7, 8})},
      listed);
  Open();
  std::vector<int32_t> order(1 + kLater);
  for (int k = 0; k <= kLater; ++k) order[k] = k;

  std::unique_ptr<Bitmap> strip;
  int64_t held = 0;
  DecodeBudget budget(int64_t{1} << 32);
  {
    const ArchiveBytesPtr bytes = Bytes();
    t::AllocationProbe probe;
    strip = ComposeStrip(archive_, bytes, order, true, budget);
    held = probe.peakHeld();
  }
  EXPECT_LT(held, int64_t{8} << 20);
  // Every entry names the one tall head: it is decoded once, not 24 times.
  EXPECT_EQ(budget.decoded(), 4 + 4 * kTallRows);
  std::vector<uint32_t> row = {1, 2, 3, 4};
  for (int k = 0; k < kLater; ++k) row.insert(row.end(), {0, 5, 6, 7, 8});
  EXPECT_EQ(Indices(*strip), (Grid{row}));
}

// A frame alone, loaded or composed, saves back as the decoder's bytes.
TEST_F(ComposeStripTest, OneFrameSavesBackTheDecodedBytesAndAMissingOneLoadsEmpty) {
  Open();
  std::unique_ptr<Bitmap> shown = CreateBitmap(1, 1);
  for (int32_t k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    LoadFrameBitmap(archive_, Bytes(), k, *shown);
    EXPECT_EQ(t::SaveBitmap(*shown), t::ExpectedBmp(spec_, spec_.frames[k]));
    EXPECT_EQ(t::SaveBitmap(*Compose({k}, true)), t::ExpectedBmp(spec_, spec_.frames[k]));
  }
  LoadFrameBitmap(archive_, Bytes(), 8, *shown);  // no such frame
  EXPECT_EQ(std::tuple(shown->Empty(), shown->Width()), std::tuple(true, 0));
}

// Frames listed again are copied from where they were painted: the strip is
// what painting each one afresh would give, and each head is decoded once.
TEST_F(ComposeStripTest, RepeatedFramesAreCopiedNotDecodedAgain) {
  Use({t::MakeFrame(0, 2, 2, 2, 2, 0, 0, {200, 100, 7, 8}),
       t::MakeFrame(1, 3, 2, 3, 1, 0, 1, {9, 200, 10})},
      {0, 1, 1});  // a second name for frame 1's head
  std::copy(spec_.palette.begin() + 3 * 100, spec_.palette.begin() + 3 * 101,
            spec_.palette.begin() + 3 * 200);
  Open();
  DecodeBudget budget(int64_t{1} << 32);
  Diagnostics found;
  const std::unique_ptr<Bitmap> strip =
      ComposeStrip(archive_, Bytes(), {0, 1, 2, 0, 1}, true, budget, &found);
  // Later frames, repeats of the first too, are painted by colour: a colour
  // held by two entries takes the lower index.
  EXPECT_EQ(Indices(*strip),
            (Grid{{200, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 0, 0, 0, 0},
                  {7, 8, 0, 9, 100, 10, 0, 9, 100, 10, 0, 7, 8, 0, 9, 100, 10}}));
  EXPECT_EQ(budget.decoded(), 2 * 4 + 2 * 4);
  EXPECT_TRUE(found.ok());
}

TEST_F(ComposeStripTest, RepeatsOfADamagedFrameRepeatItsFindingsUnderTheirOwnIndex) {
  // A ninth entry shares frame 2's head; sorted by offset it becomes index 3.
  spec_.blocks[1].entries.push_back(spec_.blocks[1].entries[2]);
  std::vector<uint8_t> bytes = t::BuildArchive(spec_);
  const int32_t head = t::FrameOffsets(spec_)[2];
  bytes.resize(size_t(head) + 32 + 10);  // frame 2's rows are cut off
  Open(bytes);
  DecodeBudget budget(int64_t{1} << 32);
  Diagnostics found;
  ComposeStrip(archive_, Bytes(), {0, 2, 3}, false, budget, &found);
  EXPECT_EQ(archive_.frames[3].offset, head);
  EXPECT_EQ(t::ProblemTexts(found),
            (std::vector<std::string>{"frame 2: row 0 starts outside the data (and 7 more rows)",
                                      "frame 3: row 0 starts outside the data (and 7 more rows)"}));
}

// When the budget runs out the frames joined so far stay and the rest of
// the strip is background.
TEST_F(ComposeStripTest, AnExhaustedBudgetStopsAndKeepsWhatWasJoined) {
  Open();
  DecodeBudget budget(12 * 8 + 16 * 10 + 44 * 12);  // frames 0, 1 and 2 of 0..3
  Diagnostics found;
  const std::unique_ptr<Bitmap> strip =
      ComposeStrip(archive_, Bytes(), {0, 1, 2, 3}, false, budget, &found);
  Grid expected = ExpectedStrip(spec_, {0, 1, 2, 3}, false);
  for (auto& row : expected) std::fill(row.begin() + 69, row.end(), 0);
  EXPECT_EQ(Indices(*strip), expected);
  EXPECT_TRUE(found.budgetExhausted());
  EXPECT_LE(budget.decoded(), budget.decodedLimit());
}

}  // namespace
}  // namespace dw
