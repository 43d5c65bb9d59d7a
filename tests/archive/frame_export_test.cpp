#include "archive/frame_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <tuple>
#include <vector>

#include "archive/archive.h"
#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_source.h"
#include "archive/stream.h"
#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::ArchiveSpec;
using testing::Block;
using testing::BuildArchive;
using testing::ExpectedBmp;
using testing::MakeFrame;
using testing::OneHead;
using testing::ProblemTexts;
using testing::SpriteFrame;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Bytes = std::vector<uint8_t>;

// The name up to its first "." plus "bmp"; a name never leaves the folder, and
// Windows-1251 names become UTF-8.
TEST(ExportFileName, ReplacesTheExtensionAtTheFirstDotAndNeverLeavesTheFolder) {
  const std::pair<const char*, const char*> cases[] = {{"walk01.pcx", "walk01.bmp"},
                                                       {"hero.big.pcx", "hero.bmp"},
                                                       {"idle", "idle.bmp"},
                                                       {"tail.", "tail.bmp"},
                                                       {"", ".bmp"},
                                                       {"..", ".bmp"},
                                                       {".", ".bmp"},
                                                       {"../../etc/x", ".bmp"},
                                                       {"a/b.pcx", "a_b.bmp"},
                                                       {"/etc/passwd", "_etc_passwd.bmp"},
                                                       {"\xCA\xEE\xF2.pcx", "Кот.bmp"},
                                                       {"\xB8\xE6/\xFF", "ёж_я.bmp"},
                                                       {"a\tb\x7F.pcx", "a_b_.bmp"},
                                                       {"\x1B[2J", "_[2J.bmp"}};
  for (const auto& [name, file] : cases) EXPECT_EQ(ExportFileName(name), file) << name;
}

// Entries as (name, head offset); unique: --unique-names.
struct NamesCase {
  std::vector<std::pair<std::string, int32_t>> entries;
  bool unique;
  std::vector<std::string> files;
  int32_t fileCount, renamed;
};

// No frame is lost to another of the same file name: later different heads
// get ~N in table order, one head under one name writes one file; names that
// would be empty or hidden become unnamed-<index>.
TEST(PlanExportNames, NumbersClashingFramesAndNamesHiddenOnesVisibly) {
  const NamesCase cases[] = {
      {{{"walk01.pcx", 1}, {"idle", 2}}, false, {"walk01.bmp", "idle.bmp"}, 2, 0},
      {{{"walk.pcx", 10}, {"walk.pcx", 10}, {"walk.pcx", 20}, {"walk.big", 30}, {"walk~2.pcx", 40}},
       false,
       {"walk.bmp", "walk.bmp", "walk~2.bmp", "walk~3.bmp", "walk~2~2.bmp"},
       4,
       3},
      {{{"CS", 100},
        {"CS", 200},
        {"CS", 300},
        {"a.pcx", 400},
        {"a.pcx", 400},
        {"a~2.pcx", 500},
        {"A.pcx", 600}},
       true,
       {"CS.bmp", "CS~2.bmp", "CS~3.bmp", "a.bmp", "a~2.bmp", "a~2~2.bmp", "A.bmp"},
       7,
       4},
      {{{"", 1},
        {"..\\..\\x.pcx", 2},
        {".hidden", 3},
        {"a\x01\x1F"
         "b.pcx",
         4},
        {"../up", 5}},
       false,
       {"unnamed-0.bmp", "unnamed-1.bmp", "unnamed-2.bmp", "a__b.bmp", "unnamed-4.bmp"},
       5,
       0},
  };
  for (const NamesCase& c : cases) {
    Archive archive;
    std::vector<int32_t> indices;
    for (const auto& [name, offset] : c.entries) {
      indices.push_back(archive.frameCount());
      archive.frames.push_back({name, offset});
    }
    const ExportNames names = PlanExportNames(archive, indices, "bmp", c.unique);
    EXPECT_EQ(std::tuple(names.files, names.fileCount, names.renamed),
              std::tuple(c.files, c.fileCount, c.renamed));
  }
}

class ExportFrameTest : public ::testing::Test {
 protected:
  void Open(const ArchiveSpec& plan) {
    bytes_ = std::make_shared<const Bytes>(BuildArchive(plan));
    archive_ = ReadArchive(*bytes_).archive;
  }
  TempDir dir_;
  std::shared_ptr<const Bytes> bytes_;
  Archive archive_;
};

TEST_F(ExportFrameTest, ReplacesALongerFileCompletely) {
  const ArchiveSpec plan = OneHead(MakeFrame(1, 7, 3, 5, 2, 1, 1, {1, 0, 0, 4, 5, 6, 7, 0, 9, 9}));
  Open(plan);
  DecodeBudget budget(1 << 20);
  FrameSource source(archive_, bytes_, budget);
  const std::string out = dir_.File("f0.bmp");
  WriteFile(out, Bytes(5000, 0xAA));
  EXPECT_TRUE(ExportFrame(source, 0, out).ok());
  EXPECT_EQ(ReadFile(out), ExpectedBmp(plan, plan.frames[0]));
  EXPECT_EQ(budget.written(), int64_t(ReadFile(out).size()));
}

// A write failure, of a small frame or of one written in bands, says
// nothing about the archive and leaves no folder behind.
TEST_F(ExportFrameTest, UnwritableFileIsReportedAndSkipped) {
  for (const int32_t side : {4, 2048}) {
    Open(OneHead(MakeFrame(0, side, side, 0, 0, 0, 0, {})));
    DecodeBudget budget(int64_t{1} << 30);
    FrameSource source(archive_, bytes_, budget);
    ASSERT_EQ(source.WritesInBands(0), side > 4);
    const Diagnostics d = ExportFrame(source, 0, dir_.File("none/x.bmp"));
    ASSERT_EQ(d.items.size(), 1u) << side;
    EXPECT_EQ(std::pair(d.items[0].kind, d.items[0].path), std::pair(DiagnosticKind::WriteFailed, dir_.File("none/x.bmp")));
    EXPECT_FALSE(d.damaged());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("none")));
  }
}

// Images larger than a few bands that no other entry shares go to their file
// (compressions 0 and 1: the others address only 64 KiB of data)
// band by band; the file, the budget's counts and the problems are those of a
// whole decode, for an archive cut short inside the last frame too.
TEST_F(ExportFrameTest, LargeFramesOfTheirOwnHeadAreWrittenInBandsWithTheSameBytes) {
  Bytes pixels(1500 * 1300);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 7 == 0 ? 0 : i % 251);
  ArchiveSpec plan;
  plan.frames = {MakeFrame(1, 1601, 1400, 1500, 1300, 50, 60, pixels),
                 MakeFrame(0, 1600, 1400, 1500, 1300, 0, 100, pixels)};
  Block b;
  b.entries = {{"runs.pcx", 0, {}, {}}, {"raw.pcx", 1, {}, {}}};
  plan.blocks = {b};
  for (const bool cut : {false, true}) {
    Bytes bytes = BuildArchive(plan);
    if (cut) bytes.resize(bytes.size() - 5000);
    bytes_ = std::make_shared<const Bytes>(bytes);
    archive_ = ReadArchive(*bytes_).archive;
    DecodeBudget budget(1 << 30);
    FrameSource source(archive_, bytes_, budget);
    int64_t files = 0;
    for (int32_t i = 0; i < 2; ++i) {
      ASSERT_TRUE(source.WritesInBands(i));
      const std::string out = dir_.File("f" + std::to_string(i) + ".bmp");
      const Diagnostics got = ExportFrame(source, i, out);
      Diagnostics whole;
      const IndexedImage image = DecodeFrameImage(archive_, *bytes_, i, {}, nullptr, whole);
      StreamPtr memory = CreateMemoryStream();
      WriteFrameBmp(image, *memory);
      EXPECT_EQ(ReadFile(out), *MemoryStreamBytes(*memory)) << i << cut;
      if (!cut) {
        EXPECT_EQ(ReadFile(out), ExpectedBmp(plan, plan.frames[size_t(i)])) << i;
      }
      EXPECT_EQ(ProblemTexts(got), ProblemTexts(whole)) << i << cut;
      EXPECT_EQ(cut && i == 1, !whole.items.empty());
      files += int64_t(ReadFile(out).size());
    }
    EXPECT_EQ(source.decodeCount(), 2);
    EXPECT_EQ(budget.written(), files);
    EXPECT_EQ(budget.decoded(), files - 2 * 1078);
  }
}

TEST_F(ExportFrameTest, BandedFileTheBudgetCannotHoldIsNotCreatedAndASharedHeadIsNotBanded) {
  Open(OneHead(MakeFrame(0, 2048, 2048, 0, 0, 0, 0, {})));
  DecodeBudget small(int64_t{1} << 30, 2048 * 2048);
  FrameSource source(archive_, bytes_, small);
  ASSERT_TRUE(source.WritesInBands(0));
  EXPECT_TRUE(ExportFrame(source, 0, dir_.File("x.bmp")).budgetExhausted());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("x.bmp")));
  Open(OneHead(MakeFrame(0, 2048, 2048, 0, 0, 0, 0, {}), 2));  // a shared head is decoded once
  FrameSource shared(archive_, bytes_, small);
  EXPECT_FALSE(shared.WritesInBands(0) || shared.WritesInBands(1));
}

// A small archive whose many entries name one tall frame: each file costs
// the whole image, so the operation's budget is what ends the work.
TEST_F(ExportFrameTest, ManyEntriesOfOneTallHeadStopAtTheBudgetAndDecodeOnce) {
  const int kEntries = 500;
  Open(OneHead(MakeFrame(0, 4, 1 << 16, 0, 0, 0, 0, {}), kEntries));
  const int64_t perFile = 1078 + 4 * (1 << 16);
  DecodeBudget budget(int64_t{1} << 40, 5 * perFile + 100);
  FrameSource source(archive_, bytes_, budget);
  int written = 0;
  Diagnostics last;
  for (int32_t i = 0; i < archive_.frameCount(); ++i) {
    last = ExportFrame(source, i, dir_.File("f" + std::to_string(i) + ".bmp"));
    if (last.budgetExhausted()) break;
    ++written;
  }
  ASSERT_EQ(last.items.size(), 1u);
  // Nothing half-written, and never more written than allowed.
  EXPECT_EQ(std::tuple(written, source.decodeCount(), last.items[0].frame, last.items[0].value,
                       std::filesystem::exists(dir_.File("f5.bmp")),
                       ReadFile(dir_.File("f4.bmp")).size(), budget.written() <= budget.writtenLimit()),
            std::tuple(5, 1, 5, 5 * perFile + 100, false, size_t(perFile), true));
}

TEST_F(ExportFrameTest, DecodeRefusedByTheBudgetWritesNoFile) {
  Open(OneHead(MakeFrame(0, 64, 64, 0, 0, 0, 0, {})));
  DecodeBudget budget(64 * 63, 1 << 20);
  FrameSource source(archive_, bytes_, budget);
  const Diagnostics d = ExportFrame(source, 0, dir_.File("x.bmp"));
  EXPECT_TRUE(d.budgetExhausted());
  EXPECT_EQ(budget.decoded(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("x.bmp")));
}

TEST_F(ExportFrameTest, ArchiveThatCanNoLongerBeReadStillWritesTheEmptyImage) {
  Open(OneHead(MakeFrame(0, 4, 1, 4, 1, 0, 0, {1, 2, 3, 4})));
  DecodeBudget budget(1 << 20);
  FrameSource source(archive_, nullptr, budget);
  const Diagnostics d = ExportFrame(source, 0, dir_.File("x.bmp"));
  EXPECT_TRUE(d.cannotOpen());
  EXPECT_EQ(ReadFile(dir_.File("x.bmp")).size(), 1078u);
}

}  // namespace
}  // namespace dw
