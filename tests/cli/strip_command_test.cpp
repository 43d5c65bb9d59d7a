#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

// The strip must show each chosen frame's decoded pixels at its place, cut at
// the first frame's height, with index 0 wherever no frame reaches.
void ExpectStrip(const ArchiveSpec& plan, const std::vector<int>& frames, bool separator,
                 const std::vector<uint8_t>& bytes) {
  const IndexedPixels strip = PixelsOfBmp(bytes);
  int width = 0;
  for (int f : frames) width += plan.frames[f].fullWidth;
  width += separator ? int(frames.size()) - 1 : 0;
  ASSERT_EQ(strip.width, width);
  ASSERT_EQ(strip.height, plan.frames[frames[0]].fullHeight);
  std::vector<uint8_t> expected(size_t(strip.width) * strip.height, 0);
  int x0 = 0;
  for (int f : frames) {
    const IndexedPixels frame = PixelsOfBmp(ExpectedBmp(plan, plan.frames[f]));
    for (int y = 0; y < std::min(frame.height, strip.height); ++y) {
      for (int x = 0; x < frame.width; ++x) expected[size_t(y) * width + x0 + x] = frame.At(x, y);
    }
    x0 += frame.width + (separator ? 1 : 0);
  }
  EXPECT_EQ(strip.pixels, expected);
}

using StripCommand = EightFrameArchive;

// Frames in the order given (all by default), later ones cut at the first
// frame's height (2 and 5 are taller than 0), with or without separators.
TEST_F(StripCommand, FramesInTheOrderGivenWithAndWithoutSeparator) {
  ASSERT_GT(plan.frames[2].fullHeight, plan.frames[0].fullHeight);
  const struct {
    std::vector<std::string> options;
    std::vector<int> frames;
    bool separator;
  } cases[] = {{{"--frames", "0,2,5"}, {0, 2, 5}, true},
               {{"--frames", "0,2,5", "--no-separator"}, {0, 2, 5}, false},
               {{"--frames", "5,walk01*"}, {5, 0}, true},
               {{}, {0, 1, 2, 3, 4, 5, 6, 7}, true}};
  for (const auto& c : cases) {
    std::vector<std::string> args = {"strip", archive, dir.File("s.bmp")};
    args.insert(args.begin() + 1, c.options.begin(), c.options.end());
    ASSERT_EQ(RunCli(args).status, 0) << ::testing::PrintToString(args);
    ExpectStrip(plan, c.frames, c.separator, ReadFile(dir.File("s.bmp")));
  }
}

TEST_F(StripCommand, DashWritesTheImageToStandardOutput) {
  ASSERT_EQ(RunCli({"strip", "--frames", "0,2", archive, dir.File("s.bmp")}).status, 0);
  const RunResult r = RunCli({"strip", "--frames", "0,2", archive, "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<uint8_t> file = ReadFile(dir.File("s.bmp"));
  EXPECT_EQ(std::vector<uint8_t>(r.out.begin(), r.out.end()), file);
  EXPECT_FALSE(std::filesystem::exists("-"));
}

TEST_F(StripCommand, ReplacesALongerFileCompletely) {
  WriteFile(dir.File("s.bmp"), std::vector<uint8_t>(100000, 0xAB));
  ASSERT_EQ(RunCli({"strip", "--frames", "1", archive, dir.File("s.bmp")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("s.bmp")), ExpectedBmp(plan, plan.frames[1]));
}

// A damaged frame is still joined as far as it goes, but said so, as export does.
TEST_F(StripCommand, DamagedFrameIsReportedAndExitsOne) {
  std::vector<uint8_t> damaged = BuildArchive(plan);
  damaged.resize(damaged.size() - 5);  // the last frame's rows are cut short
  WriteFile(archive, damaged);
  RunResult r = RunCli({"strip", "--frames", "0,1", archive, dir.File("s.bmp")});
  EXPECT_EQ(r.status, 0) << r.err;
  r = RunCli({"strip", "--frames", "0,7", archive, dir.File("s.bmp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("units.def: frame 7 (walk08.pcx): row "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("is cut short by the end of the data"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir.File("s.bmp")));
}

TEST_F(StripCommand, UnwritableOutputMissingFramesAndEmptyArchivesExitOne) {
  WriteFile(dir.File("file"), {1});
  const RunResult r = RunCli({"strip", archive, dir.File("file/s.bmp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "duskweave-convert: error: " + dir.File("file/s.bmp") +
                       ": cannot write the file: Not a directory\n");
  EXPECT_EQ(RunCli({"strip", "--frames", "9", archive, dir.File("s.bmp")}).status, 1);
  EXPECT_EQ(RunCli({"strip", "--frames", "nothing*", archive, dir.File("s.bmp")}).status, 1);
  const std::string empty = WriteArchive(dir, "empty.def", ArchiveSpec{});
  EXPECT_EQ(RunCli({"strip", empty, dir.File("s.bmp")}).status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("s.bmp")));
}

}  // namespace
}  // namespace dw::testing
