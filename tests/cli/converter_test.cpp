#include "cli/converter.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

// One block of four entries over two raw frames: two entries share an offset,
// one name is Windows-1251, one offset points past the end of the file.
ArchiveSpec ListedSpec() {
  ArchiveSpec spec;
  spec.archiveType = 0x42;
  spec.width = 60;
  spec.height = 50;
  spec.frames.push_back(MakeFrame(0, 4, 3, 2, 2, 1, 1, {9, 10, 11, 12}));
  spec.frames.push_back(MakeFrame(0, 12, 10, 3, 1, 9, 0, {13, 14, 15}));
  Block block;
  auto add = [&block](const std::string& name, int frame, std::optional<int32_t> offset = {}) {
    DirectoryEntry entry;
    entry.name = name;
    entry.frame = frame;
    entry.offset = offset;
    block.entries.push_back(entry);
  };
  add("walk01.pcx", 1);
  add("\xE4\xEE\xEC.pcx", 0);  // "дом.pcx"
  add("broken.pcx", 0, 5000);
  add("walk02.pcx", 0);
  spec.blocks = {block};
  return spec;
}

TEST(ListCommand, PrintsHeadAndFramesInOffsetOrderInAlignedColumns) {
  TempDir dir;
  const std::string path = WriteArchive(dir, "units.def", ListedSpec());
  ASSERT_EQ(FrameOffsets(ListedSpec()), (std::vector<int32_t>{868, 904}));
  const RunResult r = RunCli({"list", path});
  EXPECT_EQ(r.out, "Archive: " + path +
                       "\n"
                       "Type:    0x00000042 (66)\n"
                       "Size:    60 x 50\n"
                       "Blocks:  1\n"
                       "Frames:  4\n"
                       "\n"
                       "Index  Name        Offset  Compression  Full   Stored  Margins\n"
                       "    0  дом.pcx        868            0  4x3    2x2     1,1\n"
                       "    1  walk02.pcx     868            0  4x3    2x2     1,1\n"
                       "    2  walk01.pcx     904            0  12x10  3x1     9,0\n"
                       "    3  broken.pcx    5000            -  -      -       -\n");
  // The frame whose head lies outside the file makes the archive damaged.
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("frame 3 (broken.pcx): head at 5000 lies outside the file"),
            std::string::npos)
      << r.err;
}

TEST(ListCommand, InfoPrintsTheSameAsJson) {
  TempDir dir;
  const std::string path = WriteArchive(dir, "units.def", ListedSpec());
  const RunResult r = RunCli({"info", "--json", path});
  EXPECT_EQ(r.status, 1);
  const nlohmann::json json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["archive"], path);
  EXPECT_EQ(json["type"], 66);
  EXPECT_EQ(json["width"], 60);
  EXPECT_EQ(json["height"], 50);
  EXPECT_EQ(json["blockCount"], 1);
  EXPECT_EQ(json["frameCount"], 4);
  ASSERT_EQ(json["frames"].size(), 4u);
  const nlohmann::json& first = json["frames"][0];
  EXPECT_EQ(first["index"], 0);
  EXPECT_EQ(first["name"], "дом.pcx");
  EXPECT_EQ(first["offset"], 868);
  EXPECT_EQ(first["compression"], 0);
  EXPECT_EQ(first["fullWidth"], 4);
  EXPECT_EQ(first["fullHeight"], 3);
  EXPECT_EQ(first["width"], 2);
  EXPECT_EQ(first["height"], 2);
  EXPECT_EQ(first["leftMargin"], 1);
  EXPECT_EQ(first["topMargin"], 1);
  EXPECT_EQ(json["frames"][2]["name"], "walk01.pcx");
  EXPECT_TRUE(json["frames"][3]["compression"].is_null());
  // Without --json, info prints the table.
  EXPECT_EQ(RunCli({"info", path}).out, RunCli({"list", path}).out);
}

TEST(ListCommand, ControlCharactersInNamesAreNotSentToTheTerminal) {
  TempDir dir;
  ArchiveSpec spec = ListedSpec();
  spec.blocks[0].entries[0].name = "a\x1b[2Jb.pcx";
  const RunResult r = RunCli({"list", WriteArchive(dir, "esc.def", spec)});
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
  EXPECT_NE(r.out.find("a?[2Jb.pcx"), std::string::npos);
}

TEST(ListCommand, UnreadableArchiveExitsOne) {
  TempDir dir;
  const RunResult r = RunCli({"list", dir.File("missing.def")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("missing.def: cannot open or read the archive"), std::string::npos);
}

TEST(Usage, WrongUsageExitsTwo) {
  TempDir dir;
  const std::string path = WriteArchive(dir, "a.def", EightFrameSpec());
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"convert", path},
      {"list"},
      {"list", path, "extra"},
      {"list", "--bogus", path},
      {"export", path},
      {"export", "--format", "gif", path, dir.File("out")},
      {"export", "--frames", "5-3", path, dir.File("out")},
      {"export", "--frames", "1,,2", path, dir.File("out")},
      {"export", "--transparent", path, dir.File("out")},
      {"strip", path},
      {"strip", "--frames", "", path, dir.File("s.bmp")},
  };
  for (const auto& args : cases) {
    const RunResult r = RunCli(args);
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(r.status, 2) << joined;
    EXPECT_FALSE(r.err.empty()) << joined;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
}

TEST(Usage, HelpListsSubcommandsAndExamples) {
  const RunResult r = RunCli({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* text : {"Usage: duskweave-convert [OPTIONS] SUBCOMMAND", "list", "info",
                           "export", "strip", "Examples:", "Exit status:"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
  }
  const RunResult exportHelp = RunCli({"export", "--help"});
  EXPECT_EQ(exportHelp.status, 0);
  EXPECT_NE(exportHelp.out.find("Usage: duskweave-convert export [OPTIONS] INPUT... OUTDIR"),
            std::string::npos)
      << exportHelp.out;
  EXPECT_NE(exportHelp.out.find("--keep-special"), std::string::npos);
  EXPECT_EQ(RunCli({"--version"}).status, 0);
}

}  // namespace
}  // namespace dw::testing
