#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "archive/archive.h"
#include "archive/archive_bytes.h"
#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::ArchiveSpec;
using testing::Block;
using testing::BuildArchive;
using testing::DirectoryEntry;
using testing::ProblemTexts;
using testing::TempDir;
using testing::WriteFile;

// A block listing frame i under names[i], each at its real offset unless
// offsets are given.
Block BlockOf(std::vector<std::string> names, std::vector<int32_t> offsets = {}, int first = 0) {
  Block b;
  for (size_t i = 0; i < names.size(); ++i) {
    DirectoryEntry e{names[i], first + int(i), {}, {}};
    if (!offsets.empty()) e.offset = offsets[i];
    b.entries.push_back(e);
  }
  return b;
}

std::vector<std::string> Names(const Archive& s) {
  std::vector<std::string> out;
  for (const FrameEntry& f : s.frames) out.push_back(f.name);
  return out;
}

class LoadArchiveTest : public ::testing::Test {
 protected:
  Diagnostics Load(const std::vector<uint8_t>& bytes) {
    WriteFile(path_, bytes);
    return LoadFile(path_);
  }
  Diagnostics LoadFile(const std::string& path) {
    LoadedArchive loaded = LoadArchiveFile(path, cache_);
    state_ = std::move(loaded.archive);
    return loaded.diagnostics;
  }
  ArchiveBytes cache_;
  TempDir dir_;
  std::string path_ = dir_.File("a.def");
  Archive state_;
};

// Ascending signed offsets; equal offsets keep directory order across blocks.
TEST_F(LoadArchiveTest, SortsFramesByOffsetKeepingDirectoryOrderForEqualOnes) {
  ArchiveSpec plan;
  plan.blocks = {BlockOf({"five", "twelve", "three", "b1"}, {5000, 1200, 3000, 900}),
                 BlockOf({"b2", "c1", "c2"}, {-4, 900, 900})};
  EXPECT_TRUE(Load(BuildArchive(plan)).ok());
  EXPECT_EQ(Names(state_),
            (std::vector<std::string>{"b2", "b1", "c1", "c2", "twelve", "three", "five"}));
  EXPECT_EQ(state_.frames[4].offset, 1200);
  EXPECT_EQ(state_.path, path_);
}

TEST_F(LoadArchiveTest, NamesStopAtTheirFirstZeroByte) {
  ArchiveSpec plan;
  Block b = BlockOf({"", "", ""});
  b.entries[0].rawName =
      std::array<uint8_t, 13>{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M'};
  b.entries[1].rawName = std::array<uint8_t, 13>{'A', 'B', 'C', 0, 'x', 'y', 1, 2, 3, 4, 5, 6, 7};
  b.entries[2].rawName = std::array<uint8_t, 13>{0, 'Q', 'Q'};
  plan.blocks = {b};
  Load(BuildArchive(plan));
  EXPECT_EQ(Names(state_), (std::vector<std::string>{"ABCDEFGHIJKLM", "ABC", ""}));
}

TEST_F(LoadArchiveTest, BlockCountOfZeroOrLessGivesNoFramesButThePalette) {
  for (int32_t count : {0, -1, INT32_MIN}) {
    ArchiveSpec plan;
    plan.blocks = {BlockOf({"x"}, {100})};
    plan.blockCount = count;
    Load(BuildArchive(plan));
    EXPECT_EQ(std::tuple(state_.frameCount(), state_.head.blockCount, state_.palette[255].red),
              std::tuple(0, count, uint8_t(255)));
  }
}

TEST_F(LoadArchiveTest, EmptyAndNegativeBlocksContributeNothingAndTakeSixteenBytes) {
  ArchiveSpec plan;
  Block empty;
  Block negative;
  negative.declaredCount = -5;
  negative.identifier = 77;
  negative.reserved = {1, 2, 3, 4, 5, 6, 7, 8};
  plan.blocks = {BlockOf({"a", "b"}, {30, 10}), empty, negative, BlockOf({"z"}, {20})};
  const Diagnostics d = Load(BuildArchive(plan));
  EXPECT_EQ(Names(state_), (std::vector<std::string>{"b", "z", "a"}));
  EXPECT_EQ(ProblemTexts(d), (std::vector<std::string>{"block 2 declares a negative frame count (-5)"}));
  // The blocks as stored, their frames in directory order.
  ASSERT_EQ(state_.blocks.size(), 4u);
  EXPECT_EQ(std::tuple(state_.blocks[2].declaredCount, state_.blocks[2].identifier, state_.blocks[2].reserved),
            std::tuple(-5, 77, std::array<uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_EQ(state_.blocks[0].frames.size(), 2u);
  EXPECT_EQ(std::pair(state_.blocks[0].frames[0].name, state_.blocks[3].frames[0].offset),
            std::pair(std::string("a"), 20));
}

TEST_F(LoadArchiveTest, UnopenableFileGivesNoFrames) {
  const Diagnostics d = LoadFile(dir_.File("missing.def"));
  EXPECT_EQ(std::tuple(d.cannotOpen(), state_.frameCount(), state_.path), std::tuple(true, 0, dir_.File("missing.def")));
  EXPECT_TRUE(LoadFile(dir_.path()).cannotOpen());  // a folder
}

// Counts far beyond the file end with it: the offsets of INT32_MAX names
// would follow them, so none lies inside. A directory without frames is
// damage too.
TEST_F(LoadArchiveTest, HugeCountsEndWithTheFileAndNoFramesIsReported) {
  ArchiveSpec frames;
  frames.blocks = {BlockOf({"a", "b", "c"}, {3, 2, 1}), BlockOf({"later"}, {9})};
  frames.blocks[0].declaredCount = INT32_MAX;
  ArchiveSpec blocks;
  blocks.blocks = {BlockOf({"a"}, {1}), BlockOf({"b"}, {2})};
  blocks.blockCount = INT32_MAX;
  ArchiveSpec emptyBlock;
  emptyBlock.blocks = {Block{}};
  const struct {
    ArchiveSpec plan;
    std::vector<std::string> names, problems;
  } cases[] = {{frames,
                {},
                {"block 0 declares 2147483647 frames but the file holds 0 of them",
                 "the archive holds no frames"}},
               {blocks, {"a", "b"}, {"the file holds 2 of 2147483647 declared blocks"}},
               {ArchiveSpec{}, {}, {"the archive holds no frames"}},
               {emptyBlock, {}, {"the archive holds no frames"}}};
  for (const auto& c : cases) {
    EXPECT_EQ(ProblemTexts(Load(BuildArchive(c.plan))), c.problems);
    EXPECT_EQ(Names(state_), c.names);
  }
}

// Cut a two-block archive at every length: exactly the frames whose name and
// offset lie wholly inside remain, and every head field and palette byte
// inside is kept; the rest stays zero.
TEST(ReadArchive, TruncationAtEveryLengthKeepsWhatLiesInside) {
  ArchiveSpec plan;
  plan.width = 5;
  plan.height = -6;
  plan.blocks = {BlockOf({"a1", "a2", "a3"}, {30, 10, 20}), BlockOf({"b1", "b2"}, {5, 40})};
  const std::vector<uint8_t> full = BuildArchive(plan);
  struct Expected {
    std::string name;
    int32_t offset;
    size_t offsetEnd;
  };
  const std::vector<Expected> directory = {{"a1", 30, 800 + 39 + 4},
                                           {"a2", 10, 800 + 39 + 8},
                                           {"a3", 20, 800 + 39 + 12},
                                           {"b1", 5, 851 + 16 + 26 + 4},
                                           {"b2", 40, 851 + 16 + 26 + 8}};
  ASSERT_EQ(full.size(), directory.back().offsetEnd);
  for (size_t length = 0; length <= full.size(); ++length) {
    const std::vector<uint8_t> cut(full.begin(), full.begin() + length);
    const LoadedArchive loaded = ReadArchive(cut);
    const Archive& state = loaded.archive;
    const Diagnostics& d = loaded.diagnostics;
    std::vector<Expected> inside;
    for (const Expected& e : directory)
      if (e.offsetEnd <= length) inside.push_back(e);
    std::stable_sort(inside.begin(), inside.end(),
                     [](const Expected& a, const Expected& b) { return a.offset < b.offset; });
    ASSERT_EQ(state.frames.size(), inside.size()) << length;
    for (size_t i = 0; i < inside.size(); ++i) EXPECT_EQ(state.frames[i].name, inside[i].name);
    const ArchiveHeader& head = state.head;
    EXPECT_EQ(std::tuple(head.archiveType, head.width, head.height, head.blockCount),
              std::tuple(length >= 4 ? 0x42 : 0, length >= 8 ? 5 : 0, length >= 12 ? -6 : 0,
                         length >= 16 ? 2 : 0))
        << length;
    const size_t paletteBytes = std::clamp<size_t>(length, 16, 784) - 16;
    EXPECT_EQ(state.palette[255].red, paletteBytes > 765 ? 255 : 0) << length;
    EXPECT_EQ(state.palette[0].green, paletteBytes > 1 ? 255 : 0) << length;
    EXPECT_EQ(d.ok(), length == full.size()) << length;
  }
}

}  // namespace
}  // namespace dw
