#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string FrameFile(int i) {
  return "walk0" + std::to_string(i + 1) + ".bmp";
}

TEST(ExportCommand, OneArchiveWritesEveryFrameWithTheWindowProgramsNamesAndBytes) {
  TempDir dir;
  const ArchiveSpec spec = EightFrameSpec();
  const std::string out = dir.File("out");
  const RunResult r = RunCli({"export", WriteArchive(dir, "units.def", spec), out});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> expectedNames;
  for (int i = 0; i < 8; ++i) {
    expectedNames.push_back(FrameFile(i));
    EXPECT_EQ(ReadFile(out + "/" + FrameFile(i)), ExpectedBmp(spec, spec.frames[i])) << i;
  }
  EXPECT_EQ(FilesIn(out), expectedNames);
  EXPECT_NE(r.err.find("8 files written from 1 archive"), std::string::npos) << r.err;
  EXPECT_EQ(RunCli({"export", "--quiet", dir.File("units.def"), out}).err, "");
}

TEST(ExportCommand, LaterFrameWithTheSameFileNameReplacesTheEarlierOne) {
  TempDir dir;
  ArchiveSpec spec = EightFrameSpec();
  spec.blocks[1].entries[0].name = "hero.big.pcx";   // frame 0
  spec.blocks[1].entries[1].name = "hero.pcx";       // frame 1
  spec.blocks[0].entries[0].name = "a/../../x.pcx";  // frame 4
  const std::string out = dir.File("out");
  ASSERT_EQ(RunCli({"export", WriteArchive(dir, "units.def", spec), out}).status, 0);
  EXPECT_EQ(ReadFile(out + "/hero.bmp"), ExpectedBmp(spec, spec.frames[1]));
  EXPECT_EQ(ReadFile(out + "/a_.bmp"), ExpectedBmp(spec, spec.frames[4]));
  EXPECT_FALSE(fs::exists(dir.File("x.bmp")));
  EXPECT_EQ(FilesIn(out).size(), 7u);
}

TEST(ExportCommand, FramesByIndexRangeAndNamePattern) {
  TempDir dir;
  const ArchiveSpec spec = EightFrameSpec();
  const std::string out = dir.File("out");
  const RunResult r =
      RunCli({"export", "--frames", "1,3-4,*08.PCX", WriteArchive(dir, "u.def", spec), out});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FilesIn(out),
            (std::vector<std::string>{FrameFile(1), FrameFile(3), FrameFile(4), FrameFile(7)}));
  EXPECT_EQ(ReadFile(out + "/" + FrameFile(3)), ExpectedBmp(spec, spec.frames[3]));
}

TEST(ExportCommand, FramesTheArchiveLacksFailButTheOthersAreWritten) {
  TempDir dir;
  const std::string out = dir.File("out");
  const RunResult r =
      RunCli({"export", "--frames", "2,20", WriteArchive(dir, "u.def", EightFrameSpec()), out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no frame 20 (the archive has 8 frames)"), std::string::npos) << r.err;
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{FrameFile(2)}));
}

TEST(ExportCommand, FolderBatchWithADamagedArchiveConvertsTheOthersAndExitsOne) {
  TempDir dir;
  const ArchiveSpec spec = EightFrameSpec();
  fs::create_directory(dir.File("defs"));
  WriteFile(dir.File("defs/good.def"), BuildArchive(spec));
  WriteFile(dir.File("defs/Other.DEF"), BuildArchive(spec));
  std::vector<uint8_t> damaged = BuildArchive(spec);
  damaged.resize(damaged.size() - 5);  // the last frame's rows are cut short
  WriteFile(dir.File("defs/bad.def"), damaged);
  WriteFile(dir.File("defs/readme.txt"), {1, 2, 3});
  const std::string out = dir.File("out");

  const RunResult r = RunCli({"export", dir.File("defs"), out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"Other", "bad", "good"}));
  for (const char* folder : {"/good/", "/Other/"}) {
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(ReadFile(out + folder + FrameFile(i)), ExpectedBmp(spec, spec.frames[i]));
    }
  }
  // The damaged archive is converted as far as it goes.
  EXPECT_EQ(FilesIn(out + "/bad").size(), 8u);
  EXPECT_EQ(ReadFile(out + "/bad/" + FrameFile(6)), ExpectedBmp(spec, spec.frames[6]));
  EXPECT_NE(r.err.find("warning: " + dir.File("defs") + "/bad.def: frame 7 (walk08.pcx): "),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("1 damaged archive"), std::string::npos) << r.err;
}

TEST(ExportCommand, MissingInputIsAnErrorAndTheOthersAreConverted) {
  TempDir dir;
  const std::string good = WriteArchive(dir, "good.def", EightFrameSpec());
  const std::string out = dir.File("out");
  const RunResult r = RunCli({"export", dir.File("gone.def"), good, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("gone.def: no such file or folder"), std::string::npos) << r.err;
  EXPECT_EQ(FilesIn(out + "/good").size(), 8u);
}

TEST(ExportCommand, UnreadableArchiveIsAnError) {
  TempDir dir;
  fs::create_directory(dir.File("defs"));
  fs::create_directory(dir.File("defs/folder.def"));
  WriteFile(dir.File("defs/empty.def"), {});
  const RunResult r = RunCli({"export", dir.File("defs/empty.def"), dir.File("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(r.err.empty());
}

TEST(ExportCommand, OutputFolderBlockedByAFileExitsOne) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", EightFrameSpec());
  WriteFile(dir.File("out"), {1});
  const RunResult r = RunCli({"export", archive, dir.File("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot create the output folder"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir.File("out")), std::vector<uint8_t>{1});
}

TEST(ExportCommand, ArchiveFolderBlockedByAFileFailsOnlyThatArchive) {
  TempDir dir;
  const std::string a = WriteArchive(dir, "a.def", EightFrameSpec());
  const std::string b = WriteArchive(dir, "b.def", EightFrameSpec());
  fs::create_directory(dir.File("out"));
  WriteFile(dir.File("out/a"), {1});
  const RunResult r = RunCli({"export", a, b, dir.File("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(dir.File("out/a") + ": cannot create the output folder"), std::string::npos)
      << r.err;
  EXPECT_EQ(FilesIn(dir.File("out/b")).size(), 8u);
}

TEST(ExportCommand, FileThatCannotBeWrittenIsReportedAndTheRestWritten) {
  TempDir dir;
  const std::string out = dir.File("out");
  fs::create_directories(out + "/" + FrameFile(2));  // a folder where a file should go
  const RunResult r = RunCli({"export", WriteArchive(dir, "u.def", EightFrameSpec()), out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.err.find("error: " + out + "/" + FrameFile(2) + ": frame 2 (walk03.pcx): cannot write"),
      std::string::npos)
      << r.err;
  EXPECT_EQ(FilesIn(out).size(), 8u);
  EXPECT_TRUE(fs::is_regular_file(out + "/" + FrameFile(7)));
}

// Rows of width 6: two literal pixels, a fill run of three pixels with the
// given code, one literal pixel.
std::vector<RowRuns> FillRows(int code, int height) {
  std::vector<RowRuns> rows;
  for (int y = 0; y < height; ++y) {
    rows.push_back({Run{0, 2, {uint8_t(20 + y), uint8_t(21 + y)}}, Run{code, 3, {}},
                    Run{0, 1, {uint8_t(40 + y)}}});
  }
  return rows;
}

TEST(ExportCommand, KeepSpecialDiffersFromTheDefaultExactlyOnFillRuns) {
  TempDir dir;
  ArchiveSpec spec;
  const int height = 3;
  struct Case {
    int compression;
    int code;
  };
  const Case cases[] = {{1, 0x05}, {1, 0x00}, {2, 4}, {3, 1}, {3, 6}};
  Block block;
  for (const Case& c : cases) {
    SpriteFrame frame = MakeFrame(c.compression, 8, 5, 6, height, 1, 1, {});
    const std::vector<RowRuns> rows = FillRows(c.code, height);
    frame.data = c.compression == 1   ? EncodeByteRuns(rows)
                 : c.compression == 2 ? EncodeRowRuns(rows)
                                      : EncodeSegmentRuns(rows, 6);
    spec.frames.push_back(frame);
    DirectoryEntry entry;
    entry.name = "f" + std::to_string(spec.frames.size()) + ".pcx";
    entry.frame = int(spec.frames.size()) - 1;
    block.entries.push_back(entry);
  }
  spec.blocks = {block};
  const std::string archive = WriteArchive(dir, "special.def", spec);
  ASSERT_EQ(RunCli({"export", archive, dir.File("plain")}).status, 0);
  ASSERT_EQ(RunCli({"export", "--keep-special", archive, dir.File("kept")}).status, 0);

  for (size_t f = 0; f < spec.frames.size(); ++f) {
    const std::string name = "/f" + std::to_string(f + 1) + ".bmp";
    const std::vector<uint8_t> plainBytes = ReadFile(dir.File("plain") + name);
    const std::vector<uint8_t> keptBytes = ReadFile(dir.File("kept") + name);
    ASSERT_EQ(plainBytes.size(), keptBytes.size());
    EXPECT_TRUE(std::equal(plainBytes.begin(), plainBytes.begin() + 1078, keptBytes.begin()));
    const IndexedPixels plain = PixelsOfBmp(plainBytes);
    const IndexedPixels kept = PixelsOfBmp(keptBytes);
    for (int y = 0; y < plain.height; ++y) {
      for (int x = 0; x < plain.width; ++x) {
        const bool inFill = y >= 1 && y < 1 + height && x >= 3 && x < 6;
        EXPECT_EQ(kept.At(x, y), inFill ? cases[f].code : plain.At(x, y))
            << f << " " << x << "," << y;
        if (inFill) {
          EXPECT_EQ(plain.At(x, y), 0);
        }
      }
    }
  }
}

}  // namespace
}  // namespace dw::testing
