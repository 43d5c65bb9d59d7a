#include "cli/converter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <nlohmann/json.hpp>
#include <sstream>
#include <streambuf>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

// One block of four entries over two raw frames: two entries share an offset,
// one name is Windows-1251, one holds a terminal's control character, one
// offset points past the end of the file.
ArchiveSpec ListedSpec() {
  ArchiveSpec plan;
  plan.archiveType = 0x42;
  plan.width = 60;
  plan.height = 50;
  plan.frames.push_back(MakeFrame(0, 4, 3, 2, 2, 1, 1, {9, 10, 11, 12}));
  plan.frames.push_back(MakeFrame(0, 12, 10, 3, 1, 9, 0, {13, 14, 15}));
  Block block;
  block.entries = {{"walk01.pcx", 1, {}, {}},
                   {"\xE4\xEE\xEC.pcx", 0, {}, {}},  // "дом.pcx"
                   {"broken.pcx", 0, 5000, {}},
                   {"a\x1b[2Jb.pcx", 0, {}, {}}};
  plan.blocks = {block};
  return plan;
}

// No control character reaches the terminal.
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
                       "Index  Name        Block  In block  Offset  Compression  Full   Stored  Margins\n"
                       "    0  дом.pcx         0         1     868            0  4x3    2x2     1,1\n"
                       "    1  a?[2Jb.pcx      0         3     868            0  4x3    2x2     1,1\n"
                       "    2  walk01.pcx      0         0     904            0  12x10  3x1     9,0\n"
                       "    3  broken.pcx      0         2    5000            -  -      -       -\n");
  // The frame whose head lies outside the file makes the archive damaged.
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("frame 3 (broken.pcx): head at 5000 lies outside the file"),
            std::string::npos)
      << r.err;
}

// info --json holds the table's facts, as problems exactly what stderr warned
// of, and several archives give an array.
TEST(ListCommand, InfoJsonHoldsTheTableAndTheProblemsStderrShows) {
  TempDir dir;
  const std::string path = WriteArchive(dir, "units.def", ListedSpec());
  const RunResult r = RunCli({"info", "--json", path});
  EXPECT_EQ(r.status, 1);
  WriteFile(dir.File("info.json"), std::vector<uint8_t>(r.out.begin(), r.out.end()));
  ExpectMatchesSchema("info", dir.File("info.json"));
  const nlohmann::json json = nlohmann::json::parse(r.out);
  nlohmann::json head = json;
  head.erase("frames");
  head.erase("problems");
  EXPECT_EQ(head, nlohmann::json({{"archive", path}, {"type", 66}, {"width", 60}, {"height", 50},
                                  {"blockCount", 1}, {"frameCount", 4}}));
  ASSERT_EQ(json["frames"].size(), 4u);
  EXPECT_EQ(json["frames"][0], nlohmann::json::parse(R"({"index": 0, "name": "дом.pcx",
      "block": {"identifier": 0, "position": 0}, "indexInBlock": 1, "offset": 868, "dataSize": 4, "compression": 0, "fullWidth": 4, "fullHeight": 3,
      "width": 2, "height": 2, "leftMargin": 1, "topMargin": 1})"));
  EXPECT_EQ(json["frames"][2]["name"], "walk01.pcx");
  EXPECT_TRUE(json["frames"][3]["compression"].is_null());
  std::string warned;
  for (const auto& problem : json["problems"])
    warned += "duskweave-convert: warning: " + path + ": " + problem.get<std::string>() + "\n";
  EXPECT_FALSE(json["problems"].empty());
  EXPECT_EQ(r.err, warned);
  // Without --json, info prints the table.
  EXPECT_EQ(RunCli({"info", path}).out, RunCli({"list", path}).out);

  const RunResult both = RunCli({"info", "--json", path, path});
  EXPECT_EQ(nlohmann::json::parse(both.out), nlohmann::json::array({json, json}));
  // Written piece by piece, the text is still the whole document's own dump.
  for (const RunResult* run : {&r, &both})
    EXPECT_EQ(run->out, nlohmann::ordered_json::parse(run->out).dump(2) + "\n");
  const RunResult table = RunCli({"list", path, path});
  EXPECT_EQ(table.out, RunCli({"list", path}).out + "\n" + RunCli({"list", path}).out);
}

// Each input that is no archive is named for what it is.
TEST(ListCommand, UnreadableArchiveExitsOne) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder.def"));
  WriteFile(dir.File("note.def"),
            std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
  std::vector<uint8_t> lod = {'L', 'O', 'D', 0, 200};  // a LOD head without entries
  lod.resize(92);
  WriteFile(dir.File("game.bin"), lod);
  const std::pair<std::string, std::string> cases[] = {
      {"missing.def", ": no such file"},
      {"folder.def", ": is a folder, not a DEF archive"},
      {"note.def", ": not a DEF archive (it is text)"},
      {"game.bin", ": not a DEF archive (it is a LOD container; name one of its DEF archives as " +
                       dir.File("game.bin") + ":NAME.def)"}};
  for (const auto& [name, line] : cases) {
    const RunResult r = RunCli({"list", dir.File(name)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "duskweave-convert: error: " + dir.File(name) + line + "\n");
  }
}

// "-" reads the archive from standard input, once, bounded as a file is.
TEST(ListCommand, DashReadsTheArchiveFromStandardInput) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", EightFrameSpec());
  const int saved = ::dup(STDIN_FILENO);
  const int in = ::open(archive.c_str(), O_RDONLY);
  ::dup2(in, STDIN_FILENO);
  const RunResult fromInput = RunCli({"list", "-"});
  const RunResult twice = RunCli({"export", "-", "-", dir.File("out")});  // at its end now
  ::dup2(saved, STDIN_FILENO);
  ::close(in);
  ::close(saved);
  const RunResult fromFile = RunCli({"list", archive});
  EXPECT_EQ(fromInput.status, 0) << fromInput.err;
  EXPECT_EQ(fromInput.out.substr(fromInput.out.find('\n')),
            fromFile.out.substr(fromFile.out.find('\n')));
  EXPECT_NE(twice.err.find("-: standard input can be read only once"), std::string::npos)
      << twice.err;
  // A terminal gets no image.
  std::ostringstream out, err;
  EXPECT_EQ(cli::RunConverter({"strip", archive, "-"}, out, err, cli::Terminal{false, true}), 1);
  EXPECT_EQ(out.str(), "");
}

// A failed write to standard output is a failure with the reason.
TEST(ListCommand, LostStandardOutputExitsOne) {
  struct Full : std::streambuf {
    int overflow(int) override {
      errno = ENOSPC;
      return traits_type::eof();
    }
  } full;
  std::ostream out(&full);
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", EightFrameSpec());
  for (const std::vector<std::string>& args : {std::vector<std::string>{"info", "--json", archive},
                                               {"list", archive},
                                               {"strip", archive, "-"}}) {
    std::ostringstream err;
    EXPECT_EQ(cli::RunConverter(args, out, err), 1) << args[0];
    EXPECT_EQ(err.str(),
              "duskweave-convert: error: cannot write to standard output: "
              "No space left on device\n")
        << args[0];
    out.clear();
  }
}

using Usage = EightFrameArchive;

// Each usage error names its problem once, a value error what is allowed,
// and a slip of the keyboard gets the closest name; one pointer to --help ends
// it, and nothing is written.
TEST_F(Usage, WrongUsageExitsTwoNamingTheProblem) {
  const std::string out = dir.File("out");
  const std::string outdir = "needs at least one INPUT and the OUTDIR";
  const struct {
    std::vector<std::string> args;
    std::string problem;
  } cases[] = {
      {{}, "A subcommand is required"},
      {{"convert", archive}, "unknown command 'convert'"},
      {{"exprt", archive, out}, "unknown command 'exprt' (did you mean export?)"},
      {{"list"}, "ARCHIVE is required"},
      {{"list", "--bogus", archive}, "The following argument was not expected: --bogus"},
      {{"export", "--uniq-names", archive, out},
       "The following argument was not expected: --uniq-names (did you mean --unique-names?)"},
      {{"export", archive}, "export " + outdir},
      {{"anim", archive}, "anim " + outdir},
      {{"sheet", archive}, "sheet " + outdir},
      {{"export", "--format", "gif", archive, out}, "--format must be one of bmp, png"},
      {{"anim", "--format=png", archive, out}, "--format must be one of gif, webp"},
      {{"anim", "--delay", "5", archive, out}, "--delay must be a whole number from 10 to 60000"},
      {{"sheet", "--padding", "x", archive, out}, "--padding must be a whole number from 0 to 1024"},
      {{"export", "-j", "0", archive, out}, "--jobs must be a whole number of at least 1"},
      {{"strip", "--max-output", "lots", archive, out},
       "--max-output must be a size above 0 such as 16G, 512M, 100k or a number of bytes"},
      {{"export", "--frames", "5-3", archive, out}, "--frames: frame range 5-3 runs backwards"},
      {{"export", "--frames", "1,,2", archive, out},
       "--frames: empty item in frame list \"1,,2\""},
      {{"export", "--transparent", archive, out}, "--transparent needs --format png"},
      {{"strip", archive}, "OUTPUT is required"},
      {{"strip", "--frames", "", archive, dir.File("s.bmp")}, "--frames: empty item in frame list \"\""},
      {{"export", archive, "-"},
       "OUTDIR cannot be '-': images go into a folder (only strip writes to standard output)"},
      {{"pack", archive, out, dir.File("more")},
       "pack takes one input and one archive; for several, add --batch"},
  };
  for (const auto& c : cases) {
    const RunResult r = RunCli(c.args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(c.args);
    EXPECT_EQ(r.err, "duskweave-convert: error: " + c.problem +
                         "\nRun with --help for more information.\n");
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_FALSE(std::filesystem::exists(dir.File("s.bmp")));
}

// Every command takes -q the same way: the run's summary goes, the work is done.
TEST_F(Usage, EveryCommandTakesQuiet) {
  for (const std::string command : {"list", "info", "strip", "export", "anim", "sheet"}) {
    std::vector<std::string> args = {command, "-q", archive, dir.File(command)};
    if (command == "list" || command == "info") args.pop_back();  // no output
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.status, 0) << command << ": " << r.err;
    EXPECT_EQ(r.err, "") << command;
  }
}

// The top-level help lists the subcommands, examples and exit statuses; each
// help has its usage line under its summary.
TEST_F(Usage, EveryHelpFitsEightyColumnsWithoutParserTypeNames) {
  // The subcommands as the top-level help lists them, so that new ones are checked too.
  std::vector<std::vector<std::string>> helps{{"--help"}};
  const std::string topText = RunCli({"--help"}).out;
  for (const char* text : {"Examples:", "Exit status:"})
    EXPECT_NE(topText.find(text), std::string::npos) << text;
  std::istringstream top(topText);
  bool inside = false;
  for (std::string line; std::getline(top, line);) {
    if (inside && (line.empty() || line[0] != ' ')) break;
    if (inside && line.rfind("  ", 0) == 0 && line[2] != ' ')
      helps.push_back({line.substr(2, line.find(' ', 2) - 2), "--help"});
    inside = inside || line == "Subcommands:";
  }
  ASSERT_EQ(helps.size(), 8u);
  for (const auto& args : helps) {
    const RunResult r = RunCli(args);
    EXPECT_EQ(r.status, 0) << args[0];
    const std::string usage = args.size() == 1 ? "[OPTIONS] SUBCOMMAND" : args[0] + " [OPTIONS]";
    EXPECT_NE(r.out.find("\nUsage: duskweave-convert " + usage), std::string::npos) << r.out;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(line.size(), 80u) << args[0] << ": " << line;
      for (const char* noise : {" TEXT", " UINT", " INT", "REQUIRED", "SIZE:", "[...]", ":{"})
        EXPECT_EQ(line.find(noise), std::string::npos) << args[0] << ": " << line;
    }
  }
}

}  // namespace
}  // namespace dw::testing
