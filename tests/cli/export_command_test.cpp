#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "archive/stop_request.h"
#include "archive/stream.h"
#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

namespace fs = std::filesystem;

std::string FrameFile(int i) {
  return "walk0" + std::to_string(i + 1) + ".bmp";
}

using ExportCommand = EightFrameArchive;

TEST_F(ExportCommand, OneArchiveWritesEveryFrameWithTheWindowProgramsNamesAndBytes) {
  const RunResult r = RunCli({"export", archive, out});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> expectedNames;
  for (int i = 0; i < 8; ++i) {
    expectedNames.push_back(FrameFile(i));
    EXPECT_EQ(ReadFile(out + "/" + FrameFile(i)), ExpectedBmp(plan, plan.frames[i])) << i;
  }
  EXPECT_EQ(FilesIn(out), expectedNames);
  EXPECT_NE(r.err.find("8 files written from 1 archive"), std::string::npos) << r.err;
  EXPECT_EQ(RunCli({"export", "--quiet", archive, out}).err, "");
}

TEST_F(ExportCommand, FrameWhoseFileNameIsTakenGetsANumberedFileAndNoneIsLost) {
  ArchiveSpec named = plan;
  named.blocks[1].entries[0].name = "hero.big.pcx";   // frame 0
  named.blocks[1].entries[1].name = "hero.pcx";       // frame 1
  named.blocks[0].entries[0].name = "a/../../x.pcx";  // frame 4
  const RunResult r = RunCli({"export", WriteArchive(dir, "named.def", named), out});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(out + "/hero.bmp"), ExpectedBmp(plan, plan.frames[0]));
  EXPECT_EQ(ReadFile(out + "/hero~2.bmp"), ExpectedBmp(plan, plan.frames[1]));
  EXPECT_EQ(ReadFile(out + "/a_.bmp"), ExpectedBmp(plan, plan.frames[4]));
  EXPECT_FALSE(fs::exists(dir.File("x.bmp")));
  EXPECT_EQ(FilesIn(out).size(), 8u);
  EXPECT_NE(r.err.find("named.def: 1 file was named NAME~2, NAME~3, ... because another frame "
                       "already had the name\nduskweave-convert: 8 files written from 1 archive "
                       "into " +
                       out + " (1 renamed NAME~N)\n"),
            std::string::npos)
      << r.err;
}

// Every entry its own file; the manifest names each entry's file.
TEST_F(ExportCommand, UniqueNamesKeepEveryEntryAndTheManifestRecordsEach) {
  ArchiveSpec named = plan;
  for (Block& block : named.blocks)
    for (DirectoryEntry& entry : block.entries) entry.name = "CS_Reconstruc";
  named.blocks[0].entries.push_back(named.blocks[0].entries[0]);  // one head listed twice
  const std::string path = WriteArchive(dir, "named.def", named);
  const RunResult r = RunCli({"export", "--unique-names", "--manifest", path, out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("9 files written from 1 archive"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("overwritten"), std::string::npos) << r.err;
  std::vector<std::string> expected = {"CS_Reconstruc.bmp", "named.json"};
  for (int n = 2; n <= 9; ++n) expected.push_back("CS_Reconstruc~" + std::to_string(n) + ".bmp");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesIn(out), expected);
  // Table order is offset order; frame 4's second entry comes right after it.
  EXPECT_EQ(ReadFile(out + "/CS_Reconstruc.bmp"), ExpectedBmp(plan, plan.frames[0]));
  EXPECT_EQ(ReadFile(out + "/CS_Reconstruc~6.bmp"), ExpectedBmp(plan, plan.frames[4]));
  EXPECT_EQ(ReadFile(out + "/CS_Reconstruc~9.bmp"), ExpectedBmp(plan, plan.frames[7]));
  const nlohmann::json manifest = nlohmann::json::parse(ReadText(out + "/named.json"));
  std::set<std::string> files;
  for (const auto& block : manifest["blocks"])
    for (const auto& frame : block["frames"]) files.insert(frame["file"].get<std::string>());
  EXPECT_EQ(files.size(), 9u);

  // Without it, every stored frame still gets a file; the head listed twice
  // writes one, and the manifest gives both entries that file.
  const RunResult plain = RunCli({"export", "--manifest", path, dir.File("plain")});
  EXPECT_EQ(plain.status, 0);
  EXPECT_NE(plain.err.find("8 files written from 1 archive into " + dir.File("plain") +
                           " (7 renamed NAME~N)"),
            std::string::npos)
      << plain.err;
  const nlohmann::json kept = nlohmann::json::parse(ReadText(dir.File("plain/named.json")));
  std::multiset<std::string> plainFiles;
  for (const auto& block : kept["blocks"])
    for (const auto& frame : block["frames"]) plainFiles.insert(frame["file"].get<std::string>());
  EXPECT_EQ(plainFiles.size(), 9u);
  EXPECT_EQ(plainFiles.count("CS_Reconstruc~5.bmp"), 2u);
}

// A pattern matching nothing fails with the archive's first names as a hint;
// a range reaching past the end takes what exists with one warning.
TEST_F(ExportCommand, PatternMatchingNoFrameAndFolderWithoutDefsFail) {
  const RunResult r = RunCli({"export", "--frames", "walk*,run*", archive, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("units.def: no frame matches 'run*' (its frames: walk01.pcx, walk02.pcx, "
                       "walk03.pcx, walk04.pcx, walk05.pcx, ...)"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(FilesIn(out).size(), 8u);
  const RunResult past = RunCli({"export", "--frames", "walk02,6-20", archive, dir.File("past")});
  EXPECT_EQ(past.status, 0);
  EXPECT_EQ(past.err, "duskweave-convert: warning: " + archive +
                          ": --frames 6-20 reaches past the "
                          "last frame (the archive has 8 frames); the frames that exist are used\n"
                          "duskweave-convert: 3 files written from 1 archive into " +
                          dir.File("past") + "\n");
  fs::create_directory(dir.File("nothing"));
  WriteFile(dir.File("nothing/readme.txt"), {1});
  const RunResult empty = RunCli({"export", dir.File("nothing"), dir.File("o2")});
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("warning: " + dir.File("nothing") + ": the folder holds no DEF files"),
            std::string::npos)
      << empty.err;
}

// A badly damaged archive prints a readable number of lines.
TEST_F(ExportCommand, ManyDamagedFramesAreCappedWithACount) {
  ArchiveSpec many;
  many.frames = {MakeFrame(1, 8, 4, 8, 4, 0, 0, PatternPixels(8, 4, 1))};
  Block block;
  for (int i = 0; i < 60; ++i) block.entries.push_back({"f" + std::to_string(i), 0, {}, {}});
  many.blocks = {block};
  std::vector<uint8_t> bytes = BuildArchive(many);
  bytes.resize(bytes.size() - 6);  // the shared frame's rows are cut short
  WriteFile(dir.File("cut.def"), bytes);
  const RunResult r = RunCli({"export", dir.File("cut.def"), out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 20 + 2) << r.err;
  EXPECT_NE(r.err.find("cut.def: and 40 more problems"), std::string::npos) << r.err;
}

// Frames the archive lacks fail the run, but the others are written.
TEST_F(ExportCommand, FramesByIndexRangeAndNamePatternAndMissingOnesFail) {
  const RunResult r = RunCli({"export", "--frames", "1,3-4,*08.PCX,20", archive, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no frame 20 (the archive has 8 frames)"), std::string::npos) << r.err;
  EXPECT_EQ(FilesIn(out),
            (std::vector<std::string>{FrameFile(1), FrameFile(3), FrameFile(4), FrameFile(7)}));
  EXPECT_EQ(ReadFile(out + "/" + FrameFile(3)), ExpectedBmp(plan, plan.frames[3]));
}

TEST_F(ExportCommand, FolderBatchWithADamagedArchiveConvertsTheOthersAndExitsOne) {
  fs::create_directory(dir.File("defs"));
  WriteFile(dir.File("defs/good.def"), BuildArchive(plan));
  WriteFile(dir.File("defs/Other.DEF"), BuildArchive(plan));
  std::vector<uint8_t> damaged = BuildArchive(plan);
  damaged.resize(damaged.size() - 5);  // the last frame's rows are cut short
  WriteFile(dir.File("defs/bad.def"), damaged);
  WriteFile(dir.File("defs/readme.txt"), {1, 2, 3});

  const RunResult r = RunCli({"export", dir.File("defs"), out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"Other", "bad", "good"}));
  for (const char* folder : {"/good/", "/Other/"}) {
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(ReadFile(out + folder + FrameFile(i)), ExpectedBmp(plan, plan.frames[i]));
    }
  }
  // The damaged archive is converted as far as it goes.
  EXPECT_EQ(FilesIn(out + "/bad").size(), 8u);
  EXPECT_EQ(ReadFile(out + "/bad/" + FrameFile(6)), ExpectedBmp(plan, plan.frames[6]));
  EXPECT_NE(r.err.find("warning: " + dir.File("defs") + "/bad.def: frame 7 (walk08.pcx): "),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("1 damaged archive"), std::string::npos) << r.err;
}

TEST_F(ExportCommand, MissingOrEmptyInputsFailTheRunAndTheOthersAreConverted) {
  WriteFile(dir.File("empty.def"), {});
  const RunResult r = RunCli({"export", dir.File("gone.def"), dir.File("empty.def"), archive, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("gone.def: no such file or folder"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("empty.def: damaged archive: file ends inside the head"), std::string::npos)
      << r.err;
  EXPECT_EQ(FilesIn(out + "/units").size(), 8u);
}

TEST_F(ExportCommand, OutputFolderBlockedByAFileExitsOne) {
  WriteFile(out, {1});
  const RunResult r = RunCli({"export", archive, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot create the output folder"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(out), std::vector<uint8_t>{1});
}

TEST_F(ExportCommand, ArchiveFolderBlockedByAFileFailsOnlyThatArchive) {
  const std::string other = WriteArchive(dir, "b.def", plan);
  fs::create_directory(out);
  WriteFile(dir.File("out/units"), {1});
  const RunResult r = RunCli({"export", archive, other, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(dir.File("out/units") + ": cannot create the output folder"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(FilesIn(dir.File("out/b")).size(), 8u);
}

TEST_F(ExportCommand, FileThatCannotBeWrittenIsReportedAndTheRestWritten) {
  fs::create_directories(out + "/" + FrameFile(2));  // a folder where a file should go
  const RunResult r = RunCli({"export", archive, out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.err.find("error: " + out + "/" + FrameFile(2) + ": frame 2 (walk03.pcx): cannot write"),
      std::string::npos)
      << r.err;
  EXPECT_EQ(FilesIn(out).size(), 8u);
  EXPECT_TRUE(fs::is_regular_file(out + "/" + FrameFile(7)));
}

// Each frame: rows of two literal pixels, a fill run of three pixels written
// with a code, one literal pixel. The default export shows the fill as index 0,
// --keep-special as the code; everything else, header included, is the same.
TEST_F(ExportCommand, KeepSpecialDiffersFromTheDefaultExactlyOnFillRuns) {
  const struct { int compression, code; } cases[] = {{1, 0x05}, {1, 0x00}, {2, 4}, {3, 1}, {3, 6}};
  ArchiveSpec special;
  std::vector<SpriteFrame> plain, kept;
  Block block;
  for (const auto& c : cases) {
    std::vector<RowRuns> rows;
    std::vector<uint8_t> withCode, withZero;
    for (int y = 0; y < 3; ++y) {
      // Below 32 columns compression 3 holds one row for all: keep its rows alike.
      const int v = c.compression == 3 ? 0 : y;
      const uint8_t a = uint8_t(20 + v), b = uint8_t(21 + v), e = uint8_t(40 + v);
      const uint8_t k = uint8_t(c.code);
      rows.push_back(
          {testing::Run{0, 2, {a, b}}, testing::Run{c.code, 3, {}}, testing::Run{0, 1, {e}}});
      withCode.insert(withCode.end(), {a, b, k, k, k, e});
      withZero.insert(withZero.end(), {a, b, 0, 0, 0, e});
    }
    SpriteFrame frame = MakeFrame(c.compression, 8, 5, 6, 3, 1, 1, {});
    frame.data = c.compression == 1   ? EncodeByteRuns(rows)
                 : c.compression == 2 ? EncodeRowRuns(rows)
                                      : EncodeSegmentRuns(rows, 6);
    special.frames.push_back(frame);
    frame.pixels = withZero;
    plain.push_back(frame);
    frame.pixels = withCode;
    kept.push_back(frame);
    block.entries.push_back({"f" + std::to_string(special.frames.size()) + ".pcx",
                             int(special.frames.size()) - 1,
                             {},
                             {}});
  }
  special.blocks = {block};
  const std::string path = WriteArchive(dir, "special.def", special);
  ASSERT_EQ(RunCli({"export", path, dir.File("plain")}).status, 0);
  ASSERT_EQ(RunCli({"export", "--keep-special", path, dir.File("kept")}).status, 0);
  for (size_t f = 0; f < special.frames.size(); ++f) {
    const std::string name = "/f" + std::to_string(f + 1) + ".bmp";
    EXPECT_EQ(ReadFile(dir.File("plain") + name), ExpectedBmp(special, plain[f])) << f;
    EXPECT_EQ(ReadFile(dir.File("kept") + name), ExpectedBmp(special, kept[f])) << f;
  }
}

// A tiny archive whose entries all name one tall frame: the budget of one
// archive ends the export cleanly, keeps the files written and fails the run.
// By default it stops at 256 MiB.
TEST(ExportBudget, HostileArchiveStopsAtTheLimitAndExitsOne) {
  const struct {
    std::vector<std::string> option;
    int64_t limit;
    size_t files;
  } rows[] = {{{"--max-output", "8M"}, int64_t{8} << 20, 7}, {{}, int64_t{256} << 20, 255}};
  for (const auto& row : rows) {
    TempDir dir;
    ArchiveSpec plan;
    plan.frames = {MakeFrame(0, 4, 1 << 18, 0, 0, 0, 0, {})};  // 1 MiB of rows
    Block block;
    for (int i = 0; i < 2000; ++i) block.entries.push_back({"f" + std::to_string(i) + ".pcx", 0, {}, {}});
    plan.blocks = {block};
    const std::string archive = WriteArchive(dir, "hostile.def", plan);
    std::vector<std::string> args = {"export", archive, dir.File("out")};
    args.insert(args.begin() + 1, row.option.begin(), row.option.end());
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.status, 1);
    const std::string at = std::to_string(row.files);
    EXPECT_NE(r.err.find("hostile.def: stopped at frame " + at + " (f" + at +
                         ".pcx): the output would pass the limit of " + std::to_string(row.limit) +
                         " bytes for one archive (raise it with --max-output)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(at + " files written from 1 archive"), std::string::npos) << r.err;
    const std::vector<std::string> files = FilesIn(dir.File("out"));
    ASSERT_EQ(files.size(), row.files);
    for (const std::string& file : files)
      EXPECT_EQ(fs::file_size(dir.File("out/" + file)), 1078u + 4 * (1 << 18)) << file;
  }
}

// Shaped as a real creature archive: small stored pictures in large frames,
// every entry its own head; its export writes over 200 times its size.
TEST(ExportBudget, RealShapedArchiveWritingTwoHundredTimesItsSizeConvertsWhole) {
  TempDir dir;
  ArchiveSpec plan;
  plan.width = 300;
  plan.height = 300;
  Block block;
  for (int i = 0; i < 60; ++i) {
    plan.frames.push_back(MakeFrame(1, 480, 420, 24, 24, 100, 120, PatternPixels(24, 24, i)));
    block.entries.push_back({"c" + std::to_string(i) + ".pcx", i, {}, {}});
  }
  plan.blocks = {block};
  const std::string archive = WriteArchive(dir, "creature.def", plan);
  const RunResult r = RunCli({"export", archive, dir.File("out")});
  EXPECT_EQ(r.status, 0) << r.err;
  int64_t written = 0;
  for (const std::string& file : FilesIn(dir.File("out"))) written += int64_t(fs::file_size(dir.File("out/" + file)));
  EXPECT_EQ(FilesIn(dir.File("out")).size(), 60u);
  EXPECT_GT(written, 200 * int64_t(fs::file_size(archive)));
}

TEST(ExportBudget, RaisingMaxOutputLetsTheWholeArchiveThrough) {
  TempDir dir;
  const ArchiveSpec plan = EightFrameSpec();
  const std::string archive = WriteArchive(dir, "units.def", plan);
  EXPECT_EQ(RunCli({"export", "--max-output", "2000", archive, dir.File("small")}).status, 1);
  const RunResult r = RunCli({"export", "--max-output", "1G", archive, dir.File("all")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FilesIn(dir.File("all")).size(), 8u);
  EXPECT_EQ(RunCli({"export", "--max-output", "lots", archive, dir.File("x")}).status, 2);
}

// The folder the engine loads in place of the archive: one image per stored
// frame, each block's entries in directory order naming their frame's file.
TEST(VcmiExport, JsonSequencesNameOneFilePerStoredFrameInDirectoryOrder) {
  TempDir dir;
  ArchiveSpec plan;
  plan.frames = {MakeFrame(0, 2, 1, 2, 1, 0, 0, {9, 1}), MakeFrame(0, 1, 1, 1, 1, 0, 0, {10}),
                 MakeFrame(0, 1, 1, 1, 1, 0, 0, {11})};
  Block walk, idle;
  walk.identifier = 5;
  walk.entries = {{"w0", 0, {}, {}}, {"w0", 0, {}, {}}, {"w1", 1, {}, {}}, {"alias", 0, {}, {}}};
  idle.identifier = 8;
  idle.entries = {{"i0", 2, {}, {}}};
  plan.blocks = {walk, idle};
  const std::string archive = WriteArchive(dir, "h.def", plan);
  for (const bool layers : {false, true}) {
    const std::string out = dir.File(layers ? "layers" : "whole");
    std::vector<std::string> args = {"export", "--vcmi", archive, out};
    if (layers) args.insert(args.begin() + 1, "--layers");
    const RunResult r = RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"h", "h.json"}));
    std::vector<std::string> images = {"i0.png", "w0.png", "w1.png"};
    if (layers) images.insert(images.begin() + 1, "w0-shadow.png");  // index 1 is a shadow
    EXPECT_EQ(FilesIn(out + "/h"), images);
    EXPECT_EQ(ReadJson(out + "/h.json"), nlohmann::json::parse(R"({"basepath": "h/", "sequences": [
        {"group": 5, "frames": ["w0.png", "w0.png", "w1.png", "w0.png"]},
        {"group": 8, "frames": ["i0.png"]}]})"));
  }
}

TEST(StripBudget, CompositionOverMaxOutputIsAnError) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", EightFrameSpec());
  const RunResult r = RunCli({"strip", "--max-output", "200", archive, dir.File("s.bmp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("raise it with --max-output"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.File("s.bmp")));
}

}  // namespace
}  // namespace dw::testing

namespace dw::testing {
namespace {

namespace fs = std::filesystem;

// Every regular file below folder, by path relative to it, with its bytes.
std::map<std::string, std::vector<uint8_t>> TreeOf(const std::string& folder) {
  std::map<std::string, std::vector<uint8_t>> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).string();
    tree[relative] = entry.is_regular_file() ? ReadFile(entry.path().string())
                                             : std::vector<uint8_t>{'/'};
  }
  return tree;
}

// A batch of good archives, damaged ones, an unreadable input, a missing one
// and two archives exporting into the same folder.
class ExportJobs : public ::testing::Test {
 protected:
  void SetUp() override {
    const ArchiveSpec plan = EightFrameSpec();
    fs::create_directory(dir.File("defs"));
    fs::create_directory(dir.File("more"));
    for (int i = 0; i < 6; ++i) {
      ArchiveSpec renamed = plan;
      renamed.blocks[0].entries[0].name = "only" + std::to_string(i) + ".pcx";
      WriteFile(dir.File("defs/good" + std::to_string(i) + ".def"), BuildArchive(renamed));
    }
    std::vector<uint8_t> cut = BuildArchive(plan);
    cut.resize(cut.size() - 5);  // the last frame's rows end early
    WriteFile(dir.File("defs/cut.def"), cut);
    std::vector<uint8_t> outside = BuildArchive(plan);
    // The first directory entry's offset points far outside the file.
    const int32_t first = FrameOffsets(plan)[4];
    for (size_t at = 800; at + 4 <= outside.size(); ++at) {
      if (GetInt32(outside, at) == first) {
        PutInt32(outside, at, 1 << 30);
        break;
      }
    }
    WriteFile(dir.File("defs/outside.def"), outside);
    WriteFile(dir.File("defs/head.def"), {0x42, 0, 0});  // ends inside the head
    // Same stem as defs/good1.def, other frames: its files go to good1~2.
    ArchiveSpec other = plan;
    std::swap(other.frames[0], other.frames[1]);
    WriteFile(dir.File("more/good1.def"), BuildArchive(other));
    ASSERT_EQ(::mkfifo(dir.File("pipe.def").c_str(), 0600), 0);
  }

  RunResult Run(const std::string& jobs, const std::string& out) {
    return RunCli({"export", "--jobs", jobs, "--manifest", dir.File("defs"), dir.File("pipe.def"),
                   dir.File("missing.def"), dir.File("more"), out});
  }

  TempDir dir;
};

TEST_F(ExportJobs, ManyJobsWriteTheSameFilesAndSayTheSameAsOne) {
  const RunResult one = Run("1", dir.File("one"));
  EXPECT_EQ(one.status, 1);
  EXPECT_NE(one.err.find("pipe.def: cannot open or read the archive"), std::string::npos)
      << one.err;
  EXPECT_NE(one.err.find("cut.def: frame 7 (walk08.pcx): "), std::string::npos) << one.err;
  EXPECT_NE(one.err.find("more/good1.def: another input has the same name; its files go to " +
                         dir.File("one/good1~2")),
            std::string::npos)
      << one.err;
  const auto expected = TreeOf(dir.File("one"));
  EXPECT_NE(one.err.find("outside.def: frame"), std::string::npos) << one.err;
  EXPECT_GT(expected.size(), 60u);

  for (const char* jobs : {"4", "2", "16"}) {
    const std::string out = dir.File(std::string("jobs") + jobs);
    const RunResult many = Run(jobs, out);
    EXPECT_EQ(many.status, one.status) << jobs;
    std::string err = many.err;
    // The summary names its own output folder.
    const std::string name = std::string("jobs") + jobs;
    for (size_t at = err.find(name); at != std::string::npos; at = err.find(name, at))
      err.replace(at, name.size(), "one");
    EXPECT_EQ(err, one.err) << jobs;
    EXPECT_EQ(TreeOf(out) == expected, true) << jobs;
  }
}

TEST_F(ExportJobs, ArchivesOfOneStemKeepTheirOwnFilesWhateverTheJobs) {
  const ArchiveSpec plan = EightFrameSpec();
  ASSERT_EQ(Run("4", dir.File("out")).status, 1);
  // more/good1.def holds frame 1's pixels first.
  EXPECT_EQ(ReadFile(dir.File("out/good1/walk01.bmp")), ExpectedBmp(plan, plan.frames[0]));
  EXPECT_EQ(ReadFile(dir.File("out/good1~2/walk01.bmp")), ExpectedBmp(plan, plan.frames[1]));
}

// One archive, so that the threads share its frames: 400 entries over 200
// frames in every compression, entries sharing a head, names that clash
// across heads (numbered ~N), damaged rows, a head outside the file and
// a frame large enough to be written in bands.
class ExportFrameJobs : public ::testing::Test {
 protected:
  void SetUp() override {
    ArchiveSpec plan;
    for (int i = 0; i < 200; ++i) {
      const int compression = i % 4;
      const int width = compression >= 2 ? 40 : 9 + i % 13;
      plan.frames.push_back(MakeFrame(compression, width + 2, 8 + i % 5, width, 6, 1, 1,
                                      PatternPixels(width, 6, i)));
    }
    plan.frames.push_back(MakeFrame(1, 1600, 1400, 1500, 1300, 10, 20, PatternPixels(1500, 1300, 3)));
    Block block;
    for (int i = 0; i < 400; ++i) {
      DirectoryEntry entry;
      entry.frame = i < 2 ? 200 : i / 2;  // pairs of entries share a head
      entry.name = i % 9 == 0 ? "clash.pcx" : "e" + std::to_string(i) + ".pcx";
      block.entries.push_back(entry);
    }
    plan.blocks = {block};
    std::vector<uint8_t> bytes = BuildArchive(plan);
    const std::vector<int32_t> offsets = FrameOffsets(plan);
    PutInt32(bytes, size_t(offsets[41]) + 32, 1 << 30);  // frame 41's first row lies outside
    for (size_t at = 800; at + 4 <= bytes.size(); ++at) {  // the entries of frame 77 point away
      if (GetInt32(bytes, at) == offsets[77]) PutInt32(bytes, at, 1 << 30);
    }
    WriteFile(dir.File("big.def"), bytes);
  }

  RunResult Run(const std::string& jobs, const std::string& out, std::vector<std::string> options) {
    std::vector<std::string> args = {"export", "--jobs", jobs};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(dir.File("big.def"));
    args.push_back(out);
    return RunCli(args);
  }

  TempDir dir;
};

TEST_F(ExportFrameJobs, FramesSharedAmongThreadsWriteTheSameFilesAndSayTheSameAsOne) {
  const std::vector<std::vector<std::string>> optionSets = {
      {}, {"--unique-names", "--manifest"}, {"--crop", "--manifest"}, {"--format", "png"},
      {"--max-output", "3M"}};
  int set = 0;
  for (const auto& options : optionSets) {
    const std::string label = "options " + std::to_string(set++);
    const RunResult one = Run("1", dir.File(label + "-one"), options);
    EXPECT_EQ(one.status, 1) << label;  // damaged rows, a head outside the file
    EXPECT_NE(one.err.find("big.def: frame"), std::string::npos) << label << one.err;
    const auto expected = TreeOf(dir.File(label + "-one"));
    EXPECT_GT(expected.size(), options.empty() ? 300u : 2u) << label;
    for (const char* jobs : {"2", "4"}) {
      const std::string out = dir.File(label + "-" + jobs);
      const RunResult many = Run(jobs, out, options);
      EXPECT_EQ(many.status, one.status) << label << jobs;
      std::string err = many.err;
      const std::string name = label + "-" + jobs;
      for (size_t at = err.find(name); at != std::string::npos; at = err.find(name, at))
        err.replace(at, name.size(), label + "-one");
      EXPECT_EQ(err, one.err) << label << jobs;
      EXPECT_EQ(TreeOf(out) == expected, true) << label << jobs;
    }
  }
}

TEST_F(ExportJobs, AnimationsAndSheetsAreTheSameWhateverTheJobs) {
  for (const char* command : {"anim", "sheet"}) {
    std::map<std::string, std::vector<uint8_t>> expected;
    RunResult first;
    for (const char* jobs : {"1", "2", "4"}) {
      const std::string out = dir.File(std::string(command) + "-out");
      fs::remove_all(out);
      const RunResult r = RunCli({command, "--jobs", jobs, dir.File("defs"), dir.File("pipe.def"),
                                  dir.File("missing.def"), dir.File("more"), out});
      if (std::string(jobs) == "1") {
        first = r;
        expected = TreeOf(out);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_GT(expected.size(), 6u) << command;
        continue;
      }
      EXPECT_EQ(r.status, first.status) << command << jobs;
      EXPECT_EQ(r.err, first.err) << command << jobs;
      EXPECT_EQ(TreeOf(out) == expected, true) << command << jobs;
    }
  }
}

TEST_F(ExportJobs, ZeroOrNonNumberJobsIsWrongUsage) {
  for (const char* jobs : {"0", "-1", "two", "", "1.5"}) {
    const RunResult r = Run(jobs, dir.File("out"));
    EXPECT_EQ(r.status, 2) << jobs;
    EXPECT_NE(r.err.find("--jobs"), std::string::npos) << jobs << ": " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir.File("out")));
}

}  // namespace
}  // namespace dw::testing

namespace dw::testing {
namespace {

// A run stopped by a full disk or an interrupt ("IN": the archive, "OUT": the
// output folder). error: ENOSPC, EDQUOT: the disk fills; EINTR: SIGINT
// arrives; 0: a real 200 KiB disk, where the test may mount one.
struct StopCase {
  std::vector<std::string> args;
  bool large;  // the archive with a 4096 x 4096 frame among small ones
  int64_t faultAfter;
  int error, status;
  std::string line;  // printed exactly once
};

// Whatever stops a run, every file it leaves is one a whole run writes, byte
// for byte, no temporary file stays, the first failure is told once with
// the system's reason, and the summary counts what is on disk.
TEST(StoppedRuns, LeaveOnlyCompleteFilesAndATrueSummary) {
  TempDir dir;
  ArchiveSpec large;
  Block block;
  for (int i = 0; i < 7; ++i) {
    large.frames.push_back(
        i == 3 ? MakeFrame(1, 4096, 4096, 4096, 4096, 0, 0, PatternPixels(4096, 4096, 7))
               : MakeFrame(1, 66, 40, 64, 40, 1, 0, PatternPixels(64, 40, i)));
    block.entries.push_back({"f" + std::to_string(i) + ".pcx", i, {}, {}});
  }
  large.blocks = {block};
  const std::string big = WriteArchive(dir, "big.def", large);
  const std::string small = WriteArchive(dir, "units.def", EightFrameSpec());
  const std::string full = ": cannot write the file: No space left on device";
  const StopCase cases[] = {
      {{"export", "IN", "OUT"}, true, 3 << 20, ENOSPC, 1, full},
      {{"export", "--format", "png", "IN", "OUT"}, true, 40000, ENOSPC, 1, full},
      {{"export", "IN", "OUT"},
       true,
       20000,
       EDQUOT,
       1,
       ": cannot write the file: Disk quota exceeded"},
      {{"export", "--manifest", "IN", "OUT"}, false, 7000, ENOSPC, 1, full},
      {{"export", "--jobs", "4", "IN", "IN", "IN", "OUT"}, true, 3 << 20, ENOSPC, 1, full},
      {{"anim", "IN", "OUT"}, false, 3000, ENOSPC, 1, full},
      {{"sheet", "IN", "OUT"}, false, 3000, ENOSPC, 1, full},
      {{"strip", "IN", "OUT/s.bmp"}, false, 500, ENOSPC, 1, full},
      {{"export", "IN", "OUT"}, true, 3 << 20, EINTR, 130, "interrupted"},
      {{"export", "--format", "png", "IN", "OUT"}, true, 20000, EINTR, 130, "interrupted"},
      {{"anim", "IN", "OUT"}, false, 3000, EINTR, 130, "interrupted"},
      {{"export", "IN", "OUT"}, true, -1, 0, 1, full},
  };
  fs::create_directory(dir.File("disk"));
  const bool tinyDisk =
      std::system(
          ("mount -t tmpfs -o size=200k tmpfs " + dir.File("disk") + " 2>/dev/null").c_str()) == 0;
  for (const StopCase& c : cases) {
    if (c.error == 0 && !tinyDisk) continue;
    const std::string what = c.args[0] + " " + std::to_string(c.error);
    const auto run = [&](const std::string& out, int64_t faultAfter) {
      fs::create_directory(out);
      std::vector<std::string> args = c.args;
      for (std::string& arg : args) {
        if (arg == "IN") arg = c.large ? big : small;
        if (arg.rfind("OUT", 0) == 0) arg.replace(0, 3, out);
      }
      InjectWriteFault(faultAfter, c.error);
      const RunResult r = RunCli(args);
      InjectWriteFault(-1, 0);
      ClearStopRequest();
      return r;
    };
    fs::remove_all(dir.File("whole"));
    run(dir.File("whole"), -1);
    const std::string stopped = dir.File(c.error == 0 ? "disk/stopped" : "stopped");
    fs::remove_all(stopped);
    const RunResult r = run(stopped, c.faultAfter);
    EXPECT_EQ(r.status, c.status) << what << r.err;
    const size_t first = r.err.find(c.line);
    EXPECT_TRUE(first != std::string::npos && r.err.find(c.line, first + 1) == std::string::npos)
        << what << r.err;
    const auto left = TreeOf(stopped), whole = TreeOf(dir.File("whole"));
    for (const auto& [name, bytes] : left) EXPECT_EQ(bytes, whole.at(name)) << what << name;
    EXPECT_LT(left.size(), whole.size()) << what;
    const size_t written = r.err.find(" written");
    if (written != std::string::npos) {  // folders are not counted
      const auto files = std::count_if(left.begin(), left.end(), [](const auto& file) {
        return file.second != std::vector<uint8_t>{'/'};
      });
      EXPECT_EQ(std::stol(r.err.substr(r.err.rfind("convert: ", written) + 9)), files)
          << what << r.err;
    }
  }
  if (tinyDisk) {
    EXPECT_EQ(std::system(("umount " + dir.File("disk")).c_str()), 0);
  }
}

// SIGINT to the real program in the middle of a long export: it stops,
// exits 130, and leaves only complete images and no temporary file.
TEST(StoppedRuns, RealProgramStopsAtSigintAndLeavesOnlyCompleteImages) {
  TempDir dir;
  ArchiveSpec plan;
  Block block;
  for (int i = 0; i < 20000; ++i) {
    plan.frames.push_back(MakeFrame(0, 16, 16, 16, 16, 0, 0, PatternPixels(16, 16, i)));
    block.entries.push_back({"f" + std::to_string(i) + ".pcx", i, {}, {}});
  }
  plan.blocks = {block};
  const std::string archive = WriteArchive(dir, "many.def", plan), out = dir.File("out");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);
    ::execl(DUSKWEAVE_CONVERT, DUSKWEAVE_CONVERT, "export", "--jobs", "1", archive.c_str(),
            out.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  for (int tries = 0; tries < 2000 && !fs::exists(out + "/f10.bmp"); ++tries) ::usleep(1000);
  ::kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
  const auto left = TreeOf(out);
  for (const auto& [name, bytes] : left)  // "f<i>.bmp" only: no temporary file
    EXPECT_EQ(bytes, ExpectedBmp(plan, plan.frames[std::stoul(name.substr(1))])) << name;
  EXPECT_GT(left.size(), 10u);
  EXPECT_LT(left.size(), 20000u);
}

}  // namespace
}  // namespace dw::testing
