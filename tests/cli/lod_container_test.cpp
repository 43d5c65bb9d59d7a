#include <zlib.h>

#include <cstring>

#include "cli/inputs/image_reader.h"
#include "cli/inputs/lod_container.h"
#include "cli/inputs/pcx_image.h"
#include "cli/run/diagnostic_report.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/hostile_archives.h"

namespace dw::testing {
namespace {

struct LodFile {
  std::string name;
  std::vector<uint8_t> data;
  bool compress = false;
};

// A LOD container of the given entries, data right after the table.
std::vector<uint8_t> BuildLod(const std::vector<LodFile>& files) {
  std::vector<uint8_t> out(92 + 32 * files.size(), 0);
  std::memcpy(out.data(), "LOD\0", 4);
  PutInt32(out, 4, 200);
  PutInt32(out, 8, int32_t(files.size()));
  for (size_t i = 0; i < files.size(); ++i) {
    std::vector<uint8_t> stored = files[i].data;
    if (files[i].compress) {
      uLongf length = compressBound(uLong(stored.size()));
      stored.resize(length);
      compress(stored.data(), &length, files[i].data.data(), uLong(files[i].data.size()));
      stored.resize(length);
    }
    const size_t at = 92 + 32 * i;
    std::memcpy(out.data() + at, files[i].name.data(), std::min<size_t>(16, files[i].name.size()));
    PutInt32(out, at + 16, int32_t(out.size()));
    PutInt32(out, at + 20, int32_t(files[i].data.size()));
    PutInt32(out, at + 24, 71);
    PutInt32(out, at + 28, files[i].compress ? int32_t(stored.size()) : 0);
    out.insert(out.end(), stored.begin(), stored.end());
  }
  return out;
}

TEST(LodContainer, CountPastTheFileKeepsTheEntriesThatFit) {
  std::vector<uint8_t> lod = BuildLod({{"a.def", {1, 2, 3}, false}});
  PutInt32(lod, 8, 0x7FFFFFFF);
  const cli::LodIndex index = cli::ReadLodIndex(lod);
  EXPECT_EQ(index.entries.size(), 1u);
  EXPECT_EQ(index.problems.size(), 1u);
}

TEST(LodContainer, DamagedEntriesGiveTypedProblems) {
  using Kind = cli::LodProblemKind;
  const std::vector<uint8_t> def = BuildArchive(EightFrameSpec());
  const std::vector<uint8_t> good = BuildLod({{"a.def", def, true}});
  const struct {
    size_t at;  // the field of the first entry damaged
    int32_t value;
    Kind kind;
  } rows[] = {{92 + 16, 1 << 30, Kind::DataOutside},
              {92 + 20, int32_t(def.size()) - 1, Kind::InflatesPast},
              {92 + 20, int32_t(def.size()) + 1, Kind::EndsShort},
              {92 + 28, 10, Kind::CutOff},
              {92 + 20, 0x7FFFFFFF, Kind::OverLimit},
              {92 + 16, -1, Kind::StreamDamaged}};  // -1: the zlib header's byte flipped
  for (const auto& row : rows) {
    std::vector<uint8_t> lod = good;
    if (row.value == -1) lod[GetInt32(lod, row.at)] ^= 0xFF;
    else PutInt32(lod, row.at, row.value);
    const auto got = cli::ExtractLodEntry(lod, cli::ReadLodIndex(lod).entries.at(0), 1 << 20);
    ASSERT_TRUE(got.problem) << row.at << " " << row.value;
    EXPECT_EQ(got.problem->kind, row.kind) << cli::DescribeLodProblem(*got.problem);
  }
}

// The game's PCX: size, width, height, then indices and a palette, or
// blue-green-red triples.
std::vector<uint8_t> Pcx(uint32_t size, uint32_t width, uint32_t height, std::vector<uint8_t> data) {
  std::vector<uint8_t> out(12);
  PutInt32(out, 0, int32_t(size));
  PutInt32(out, 4, int32_t(width));
  PutInt32(out, 8, int32_t(height));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TEST(PcxImage, ReadsBothDepthsAndRefusesEverythingElse) {
  std::vector<uint8_t> indexed(6 + 768, 9);  // six indices, then the palette
  for (uint8_t i = 0; i < 6; ++i) indexed[i] = uint8_t(i + 1);
  const struct {
    std::vector<uint8_t> bytes;
    int64_t limit;
    std::vector<uint8_t> pixels;
    std::string error;
  } rows[] = {
      {Pcx(6, 3, 2, indexed), 100, {1, 2, 3, 4, 5, 6}, ""},
      {Pcx(6, 2, 1, {1, 2, 3, 4, 5, 6}), 100, {3, 2, 1, 6, 5, 4}, ""},  // blue-green-red
      {Pcx(7, 3, 2, indexed), 100, {}, "the image's size field (7) is neither its 3 x 2 pixels nor three times that"},
      {Pcx(6, 3, 2, {1, 2, 3}), 100, {}, "the image's data is cut off (3 of 774 bytes after the head)"},
      {Pcx(6, 3, 2, indexed), 5, {}, "the image's 6 bytes of pixels pass the limit of 5 bytes (raise it with --max-output)"},
      {Pcx(0, 0, 7, {}), 100, {}, "the image of 0 x 7 pixels cannot be shown"},
      {{1, 2, 3}, 100, {}, "the image's head is cut off (3 of 12 bytes)"},
      {Pcx(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, {}), 100, {},
       "the image's size field (4294967295) is neither its 4294967295 x 4294967295 pixels nor three times that"},
  };
  for (const auto& row : rows) {
    std::string error;
    const auto image = cli::ReadPcxImage(row.bytes, row.limit, error);
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(image ? image->pixels : std::vector<uint8_t>{}, row.pixels) << row.error;
  }
}

// Every entry is extracted, by position: shared and clashing names get
// "~2", names are made safe as frame names are, a DEF gives what the loose
// file gives, a PCX becomes a PNG, other files keep their bytes; a damaged PCX
// fails alone.
TEST(LodInputs, EveryEntryExportsUnderASafeUniqueName) {
  TempDir dir;
  const std::vector<uint8_t> def = BuildArchive(EightFrameSpec());
  WriteFile(dir.File("units.def"), def);
  ASSERT_EQ(RunCli({"export", dir.File("units.def"), dir.File("loose")}).status, 0);
  std::vector<uint8_t> indexed = {1, 2, 3, 4};
  for (int i = 0; i < 256; ++i) indexed.insert(indexed.end(), {uint8_t(i), uint8_t(7), uint8_t(255 - i)});
  const std::vector<LodFile> files = {
      {"dup.def", def, true},       {"dup.def", def, false},       {"Case.def", def, true},
      {"CASE.DEF", def, false},     {"a:b.def", def, true},        {"../.def", def, false},
      {"ctl\nx.def", def, true},   {"img.pcx", Pcx(4, 2, 2, indexed), true},
      {"rgb.pcx", Pcx(6, 2, 1, {1, 2, 3, 4, 5, 6}), false},
      {"bad.pcx", Pcx(5, 2, 2, indexed), false},                  {"note.txt", {'h', 'i'}, true}};
  std::filesystem::create_directory(dir.File("lods"));
  WriteFile(dir.File("lods/g.lod"), BuildLod(files));
  const std::string lod = dir.File("lods/g.lod");
  const RunResult r = RunCli({"export", lod, dir.File("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("g.lod:bad.pcx: damaged PCX image: the image's size field (5) is neither its "
                       "2 x 2 pixels nor three times that"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(FilesIn(dir.File("out")),
            (std::vector<std::string>{"CASE", "Case", "a:b", "ctl_x", "dup", "dup~2", "img.png",
                                      "note.txt", "rgb.png", "unnamed-5"}));
  for (const char* folder : {"CASE", "Case", "a:b", "ctl_x", "dup", "dup~2", "unnamed-5"})
    EXPECT_EQ(FilesIn(dir.File("out/") + folder), FilesIn(dir.File("loose"))) << folder;
  EXPECT_EQ(ReadFile(dir.File("out/note.txt")), (std::vector<uint8_t>{'h', 'i'}));
  std::string error;
  EXPECT_EQ(cli::DecodePalettedImage(ReadFile(dir.File("out/img.png")), error)->pixels,
            (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(ReadFile(dir.File("out/rgb.png"))[25], 2);  // colour type RGB

  // One entry by name: the first of a shared name, saying so; the next by "~2";
  // the first ':' after ".lod" splits.
  const struct {
    std::string entry;
    std::string note;
  } picks[] = {{"dup.def", "g.lod:dup.def: 2 entries have this name; took entry 0, the first "
                           "(dup~2.def names the next)"},
               {"DUP~2.def", ""},
               {"a:b.def", ""},
               {"img.pcx", ""}};
  for (const auto& pick : picks) {
    const RunResult one = RunCli({"export", lod + ":" + pick.entry, dir.File("one")});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.err.find("entries have this name") != std::string::npos, !pick.note.empty());
    EXPECT_NE(one.err.find(pick.note), std::string::npos) << one.err;
  }
  for (const std::string& name : FilesIn(dir.File("loose")))
    EXPECT_EQ(ReadFile(dir.File("one/" + name)), ReadFile(dir.File("loose/" + name))) << name;
  // An entry lists as what it holds, the container as its entries.
  const RunResult listed = RunCli({"list", lod + ":img.pcx"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find("g.lod:img.pcx: a PCX image, 784 bytes, 2 x 2 palette indices"),
            std::string::npos)
      << listed.out;
  EXPECT_NE(RunCli({"list", lod + ":dup~2.DEF"}).out.find("Frames:  8"), std::string::npos);
  EXPECT_NE(RunCli({"list", lod}).out.find("stored"), std::string::npos);
  EXPECT_NO_THROW(nlohmann::json::parse(RunCli({"info", "--json", lod}).out));
  // --lod: the DEF entries of a folder's containers.
  ASSERT_EQ(RunCli({"export", "--lod", dir.File("lods"), dir.File("folder")}).status, 0);
  EXPECT_EQ(FilesIn(dir.File("folder")), (std::vector<std::string>{"CASE", "Case", "a:b", "ctl_x",
                                                                    "dup", "dup~2", "unnamed-5"}));
}

// The container's inflated bytes draw from one budget; entries naming the
// same data inflate it once, and a bomb stops at the limit.
TEST(LodInputs, OneBudgetPerContainerAndSharedDataInflatedOnce) {
  TempDir dir;
  const std::vector<uint8_t> def = BuildArchive(OneFrameManyEntries(1, 2, 2));
  std::vector<LodFile> files;
  for (int i = 0; i < 8; ++i) files.push_back({"s" + std::to_string(i) + ".def", def, true});
  std::vector<uint8_t> lod = BuildLod(files);
  for (size_t i = 1; i < 8; ++i) PutInt32(lod, 92 + 32 * i + 16, GetInt32(lod, 92 + 16));
  WriteFile(dir.File("shared.lod"), lod);
  const std::string limit = std::to_string(def.size() * 3 / 2 + 1100);
  const RunResult shared = RunCli({"export", "--max-output", limit, dir.File("shared.lod"), dir.File("s")});
  EXPECT_EQ(shared.status, 0) << shared.err;
  EXPECT_EQ(FilesIn(dir.File("s")).size(), 8u);

  WriteFile(dir.File("bomb.lod"), BuildLod({{"bomb.def", std::vector<uint8_t>(4 << 20, 0), true}}));
  // Every command that inflates an entry stops there alike.
  for (const char* command : {"export", "anim", "sheet"}) {
    const RunResult bomb =
        RunCli({command, "--max-output", "1M", dir.File("bomb.lod:bomb.def"), dir.File("b")});
    EXPECT_EQ(bomb.status, 1) << command;
    EXPECT_NE(bomb.err.find("bomb.lod:bomb.def: the container's entries would inflate past the limit of "
                            "1048576 bytes for one container (raise it with --max-output)"),
              std::string::npos)
        << command << ": " << bomb.err;
  }
  // Within the budget, it is an archive without frames.
  EXPECT_NE(RunCli({"export", dir.File("bomb.lod"), dir.File("e")})
                .err.find("bomb.lod:bomb.def: damaged archive: the archive holds no frames"),
            std::string::npos);
}

}  // namespace
}  // namespace dw::testing
