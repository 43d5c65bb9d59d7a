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
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "archive/stop_request.h"
#include "archive/stream.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/hostile_archives.h"

namespace dw::testing {
namespace {

namespace fs = std::filesystem;

std::string FrameFile(int i) {
  return "walk0" + std::to_string(i + 1) + ".bmp";
}

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

std::multiset<std::string> ManifestFiles(const std::string& path) {
  std::multiset<std::string> files;
  const nlohmann::json manifest = ReadJson(path);
  for (const auto& block : manifest["blocks"])
    for (const auto& frame : block["frames"]) files.insert(frame["file"].get<std::string>());
  return files;
}

using ExportCommand = EightFrameArchive;

// Names are planned in archive/frame_export; here they reach the disk in
// table order (frame 0 before frame 4, which the directory lists first) and
// the manifest: one head listed twice under one name writes one file, or,
// with --unique-names, a file per entry.
TEST_F(ExportCommand, TakenNamesGetNumberedFilesAndTheManifestNamesEachEntrysFile) {
  ArchiveSpec named = plan;
  named.blocks[1].entries[0].name = "hero.big.pcx";                // frame 0
  named.blocks[0].entries[0].name = "hero.pcx";                    // frame 4
  named.blocks[1].entries[1].name = "a/../../x.pcx";               // frame 1
  named.blocks[0].entries.push_back(named.blocks[0].entries[1]);  // frame 5 listed twice
  const std::string path = WriteArchive(dir, "named.def", named);
  const RunResult r = RunCli({"export", "--manifest", path, out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(out + "/hero.bmp"), ExpectedBmp(plan, plan.frames[0]));
  EXPECT_EQ(ReadFile(out + "/hero~2.bmp"), ExpectedBmp(plan, plan.frames[4]));
  EXPECT_EQ(ReadFile(out + "/a_.bmp"), ExpectedBmp(plan, plan.frames[1]));
  EXPECT_FALSE(fs::exists(dir.File("x.bmp")));
  EXPECT_EQ(FilesIn(out).size(), 9u);
  EXPECT_NE(r.err.find("named.def: 1 file was named NAME~2, NAME~3, ... because another frame "
                       "already had the name\nduskweave-convert: 8 files written from 1 archive "
                       "into " + out + " (1 renamed NAME~N)\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ManifestFiles(out + "/named.json").count("walk06.bmp"), 2u);

  const RunResult unique = RunCli({"export", "--unique-names", "--manifest", path, dir.File("u")});
  EXPECT_NE(unique.err.find("9 files written from 1 archive"), std::string::npos) << unique.err;
  EXPECT_EQ(ReadFile(dir.File("u/walk06~2.bmp")), ExpectedBmp(plan, plan.frames[5]));
  const auto files = ManifestFiles(dir.File("u/named.json"));
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()).size(), 9u);
}

// A badly damaged archive prints a readable number of lines.
TEST_F(ExportCommand, ManyDamagedFramesAreCappedWithACount) {
  std::vector<uint8_t> bytes = BuildArchive(OneFrameManyEntries(60, 8, 4));
  bytes.resize(bytes.size() - 2);  // the shared frame's last row is cut off
  WriteFile(dir.File("cut.def"), bytes);
  const RunResult r = RunCli({"export", dir.File("cut.def"), out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 20 + 2) << r.err;
  EXPECT_NE(r.err.find("cut.def: and 40 more problems"), std::string::npos) << r.err;
}

// Every frame by default, or those --frames picks by index, range and name
// pattern, with the window program's names and bytes. What the archive lacks
// fails the run, the others are written, and the first names are a hint; a
// range reaching past the end takes what exists with one warning.
TEST_F(ExportCommand, FramesPicksByIndexRangeAndPatternAndWhatIsMissingIsTold) {
  const struct {
    std::vector<std::string> options;
    int status;
    std::string said;
    std::vector<int> files;
  } rows[] = {
      {{}, 0, "duskweave-convert: 8 files written from 1 archive into " + out + "\n",
       {0, 1, 2, 3, 4, 5, 6, 7}},
      {{"--frames", "1,3-4,*08.PCX,20"}, 1, "units.def: no frame 20 (the archive has 8 frames)",
       {1, 3, 4, 7}},
      {{"--frames", "walk*,run*"}, 1, "units.def: no frame matches 'run*' (its frames: walk01.pcx, "
       "walk02.pcx, walk03.pcx, walk04.pcx, walk05.pcx, ...)", {0, 1, 2, 3, 4, 5, 6, 7}},
      {{"--frames", "walk02,6-20"}, 0, "warning: " + archive + ": --frames 6-20 reaches past the "
       "last frame (the archive has 8 frames); the frames that exist are used\n"
       "duskweave-convert: 3 files written from 1 archive into " + out + "\n", {1, 6, 7}},
  };
  for (const auto& row : rows) {
    fs::remove_all(out);
    std::vector<std::string> args = {"export"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    args.insert(args.end(), {archive, out});
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.status, row.status) << r.err;
    EXPECT_NE(r.err.find(row.said), std::string::npos) << r.err;
    std::vector<std::string> files;
    for (int f : row.files) {
      files.push_back(FrameFile(f));
      EXPECT_EQ(ReadFile(out + "/" + FrameFile(f)), ExpectedBmp(plan, plan.frames[f])) << f;
    }
    EXPECT_EQ(FilesIn(out), files) << r.err;
  }
}

// Each failure is told with its reason and fails the run; what can be
// converted is.
TEST_F(ExportCommand, FailingInputsAndOutputsAreToldAndTheRestIsConverted) {
  const std::string other = WriteArchive(dir, "b.def", plan);
  WriteFile(dir.File("empty.def"), {});
  const std::string blocked = out + "/" + FrameFile(2), nothing = dir.File("nothing");
  fs::create_directory(nothing);
  WriteFile(nothing + "/readme.txt", {1});
  const struct {
    std::string blocker;  // a file put in the way, or a folder when it ends in "/"
    std::vector<std::string> inputs;
    std::string message;
    std::string converted;  // a folder under OUTDIR that holds 8 files
  } rows[] = {
      {"", {dir.File("gone.def"), dir.File("empty.def"), archive}, "gone.def: no such file or folder", "units"},
      {"", {dir.File("empty.def"), archive}, "empty.def: damaged archive: file ends inside the head", "units"},
      {"", {nothing}, "warning: " + nothing + ": the folder holds no DEF files", ""},
      {out, {archive}, out + ": cannot create the output folder", ""},
      {out + "/units", {archive, other}, out + "/units: cannot create the output folder", "b"},
      {blocked + "/", {archive}, "error: " + blocked + ": frame 2 (walk03.pcx): cannot write", "."},
  };
  for (const auto& row : rows) {
    fs::remove_all(out);
    if (!row.blocker.empty()) {
      fs::create_directories(fs::path(row.blocker).parent_path());
      if (row.blocker.back() == '/') {
        fs::create_directory(row.blocker);
      } else {
        WriteFile(row.blocker, {1});
      }
    }
    std::vector<std::string> args = {"export"};
    args.insert(args.end(), row.inputs.begin(), row.inputs.end());
    args.push_back(out);
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.status, 1) << row.message;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    if (!row.converted.empty()) {
      EXPECT_EQ(FilesIn(out + "/" + row.converted).size(), 8u) << row.message;
    }
    if (row.blocker == out) {
      EXPECT_EQ(ReadFile(out), std::vector<uint8_t>{1});
    }
  }
  EXPECT_TRUE(fs::is_regular_file(out + "/" + FrameFile(7)));
}

// The folder the engine loads in place of the archive: one image per stored
// frame, each block's entries in directory order naming their frame's file.
TEST(VcmiExport, JsonSequencesNameOneFilePerStoredFrameInDirectoryOrder) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "h.def", WalkAndIdleSpec());
  for (const bool layers : {false, true}) {
    const std::string out = dir.File(layers ? "layers" : "whole");
    std::vector<std::string> args = {"export", "--vcmi", archive, out};
    if (layers) args.insert(args.begin() + 1, "--layers");
    const RunResult r = RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"h", "h.json"}));
    std::vector<std::string> images = {"i0.png", "w0.png", "w1.png"};
    if (layers) images.insert(images.begin() + 2, "w1-shadow.png");  // index 1 is a shadow
    EXPECT_EQ(FilesIn(out + "/h"), images);
    EXPECT_EQ(ReadJson(out + "/h.json"), nlohmann::json::parse(R"({"basepath": "h/", "sequences": [
        {"group": 5, "frames": ["w0.png", "w0.png", "w1.png", "w0.png"]},
        {"group": 8, "frames": ["i0.png"]}]})"));
  }
}

// Runs args, OUTDIR added, with 1, 2, 4 and 16 jobs into one folder, and
// expects the same files and the same words each time; gives the run of one.
RunResult ExpectSameForAnyJobs(std::vector<std::string> args, const std::string& out) {
  args.insert(args.begin() + 1, {"--jobs", "1"});
  args.push_back(out);
  fs::remove_all(out);
  const RunResult one = RunCli(args);
  const auto expected = TreeOf(out);
  for (const char* jobs : {"2", "4", "16"}) {
    args[2] = jobs;
    fs::remove_all(out);
    const RunResult many = RunCli(args);
    EXPECT_EQ(many.status, one.status) << jobs;
    EXPECT_EQ(many.err, one.err) << jobs;
    EXPECT_TRUE(TreeOf(out) == expected) << jobs;
  }
  return one;
}

// A batch of good archives, damaged ones, an unreadable input, a missing one
// and two archives exporting into the same folder.
class ExportJobs : public ::testing::Test {
 protected:
  void SetUp() override {
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
    ArchiveSpec outside = plan;
    outside.blocks[0].entries[0].offset = 1 << 30;  // the first entry points far outside the file
    WriteFile(dir.File("defs/outside.def"), BuildArchive(outside));
    WriteFile(dir.File("defs/head.def"), {0x42, 0, 0});  // ends inside the head
    // Same stem as defs/good1.def, other frames: its files go to good1~2.
    ArchiveSpec other = plan;
    std::swap(other.frames[0], other.frames[1]);
    WriteFile(dir.File("more/good1.def"), BuildArchive(other));
    ASSERT_EQ(::mkfifo(dir.File("pipe.def").c_str(), 0600), 0);
  }

  std::vector<std::string> Inputs() const {
    return {dir.File("defs"), dir.File("pipe.def"), dir.File("missing.def"), dir.File("more")};
  }

  TempDir dir;
  const ArchiveSpec plan = EightFrameSpec();
};

TEST_F(ExportJobs, ManyJobsWriteTheSameFilesAndSayTheSameAsOne) {
  std::vector<std::string> args = {"export", "--manifest"};
  for (const std::string& input : Inputs()) args.push_back(input);
  const RunResult one = ExpectSameForAnyJobs(args, dir.File("out"));
  EXPECT_EQ(one.status, 1);
  for (const std::string& said :
       {std::string("pipe.def: cannot open or read the archive"), std::string("cut.def: frame 7 (walk08.pcx): "),
        std::string("outside.def: frame"),
        "more/good1.def: another input has the same name; its files go to " + dir.File("out/good1~2")})
    EXPECT_NE(one.err.find(said), std::string::npos) << one.err;
  EXPECT_GT(TreeOf(dir.File("out")).size(), 60u);
  EXPECT_NE(one.err.find("72 files written from 11 archives into " + dir.File("out") +
                         "; 3 damaged archives; 1 archive with errors\n"),
            std::string::npos);
  // A damaged archive in a folder is converted as far as it goes.
  EXPECT_EQ(FilesIn(dir.File("out/cut")).size(), 9u);  // eight images and the manifest
  EXPECT_EQ(ReadFile(dir.File("out/cut/walk07.bmp")), ExpectedBmp(plan, plan.frames[6]));
  // more/good1.def holds frame 1's pixels first.
  EXPECT_EQ(ReadFile(dir.File("out/good1/walk01.bmp")), ExpectedBmp(plan, plan.frames[0]));
  EXPECT_EQ(ReadFile(dir.File("out/good1~2/walk01.bmp")), ExpectedBmp(plan, plan.frames[1]));
  // Animations and sheets alike.
  for (const char* command : {"anim", "sheet"}) {
    std::vector<std::string> args = {command};
    for (const std::string& input : Inputs()) args.push_back(input);
    EXPECT_EQ(ExpectSameForAnyJobs(args, dir.File(command)).status, 1) << command;
    EXPECT_GT(TreeOf(dir.File(command)).size(), 6u) << command;
  }
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
      if (entry.frame == 77) entry.offset = 1 << 30;  // the entries of frame 77 point away
      block.entries.push_back(entry);
    }
    plan.blocks = {block};
    std::vector<uint8_t> bytes = BuildArchive(plan);
    // Frame 41's first row lies outside.
    PutInt32(bytes, size_t(FrameOffsets(plan)[41]) + 32, 1 << 30);
    WriteFile(dir.File("big.def"), bytes);
  }

  TempDir dir;
};

TEST_F(ExportFrameJobs, FramesSharedAmongThreadsWriteTheSameFilesAndSayTheSameAsOne) {
  const std::vector<std::vector<std::string>> optionSets = {
      {}, {"--unique-names", "--manifest"}, {"--crop", "--manifest"}, {"--format", "png"},
      {"--max-output", "3M"}};
  for (const auto& options : optionSets) {
    std::vector<std::string> args = {"export"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(dir.File("big.def"));
    const RunResult one = ExpectSameForAnyJobs(args, dir.File("out"));
    EXPECT_EQ(one.status, 1);  // damaged rows, a head outside the file
    EXPECT_NE(one.err.find("big.def: frame"), std::string::npos) << one.err;
    EXPECT_GT(TreeOf(dir.File("out")).size(), options.empty() ? 300u : 2u);
  }
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
      {{"export", "IN", "OUT"}, true, 20000, EDQUOT, 1, ": cannot write the file: Disk quota exceeded"},
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
