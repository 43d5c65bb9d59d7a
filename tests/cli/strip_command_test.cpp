#include <gtest/gtest.h>

#include <filesystem>

#include "archive/archive_bytes.h"
#include "image/compose.h"
#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

// Composition is tested in image/; here the strip is the one the image layer
// composes of the frames chosen, written as it is.
std::vector<uint8_t> ComposedBmp(const std::string& path, const std::vector<int32_t>& frames,
                                 bool separator) {
  ArchiveBytes cache;
  const Archive archive = LoadArchiveFile(path, cache).archive;
  DecodeBudget budget(int64_t{1} << 32);
  StreamPtr bmp = CreateMemoryStream();
  ComposeStrip(archive, cache.Current(path), frames, separator, budget)->SaveToStream(*bmp);
  const std::vector<uint8_t>& bytes = *MemoryStreamBytes(*bmp);
  return {bytes.begin(), bytes.begin() + StreamSize(*bmp)};
}

using StripCommand = EightFrameArchive;

// Frames in the order given (all by default), with or without separators,
// into a file or to standard output ("-"); the strip replaces a longer file
// completely.
TEST_F(StripCommand, FramesInTheOrderGivenWithAndWithoutSeparator) {
  WriteFile(dir.File("s.bmp"), std::vector<uint8_t>(100000, 0xAB));
  const struct {
    std::vector<std::string> options;
    std::vector<int32_t> frames;
    bool separator;
  } cases[] = {{{"--frames", "0,2,5"}, {0, 2, 5}, true},
               {{"--frames", "0,2,5", "--no-separator"}, {0, 2, 5}, false},
               {{"--frames", "5,walk01*"}, {5, 0}, true},
               {{}, {0, 1, 2, 3, 4, 5, 6, 7}, true}};
  for (const auto& c : cases) {
    for (const std::string& output : {dir.File("s.bmp"), std::string("-")}) {
      std::vector<std::string> args = {"strip", archive, output};
      args.insert(args.begin() + 1, c.options.begin(), c.options.end());
      const RunResult r = RunCli(args);
      ASSERT_EQ(r.status, 0) << ::testing::PrintToString(args);
      EXPECT_EQ(output == "-" ? std::vector<uint8_t>(r.out.begin(), r.out.end()) : ReadFile(output),
                ComposedBmp(archive, c.frames, c.separator));
    }
  }
  EXPECT_FALSE(std::filesystem::exists("-"));
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
