#include <zlib.h>

#include <cstring>

#include "cli/lod_container.h"
#include "tests/cli/cli_test_support.h"

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

TEST(LodContainer, ReadsStoredAndCompressedEntries) {
  const std::vector<uint8_t> def = BuildArchive(EightFrameSpec());
  const std::vector<uint8_t> lod = BuildLod({{"Units.def", def, false}, {"packed.DEF", def, true}});
  const cli::LodIndex index = cli::ReadLodIndex(lod);
  ASSERT_EQ(index.entries.size(), 2u);
  EXPECT_TRUE(index.problems.empty());
  for (const cli::LodEntry& entry : index.entries) {
    const cli::ExtractedEntry got = cli::ExtractLodEntry(lod, entry, 1 << 20);
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(got.bytes, def);
  }
  EXPECT_NE(cli::FindLodEntry(index, "UNITS.DEF"), nullptr);
}

TEST(LodContainer, CountPastTheFileKeepsTheEntriesThatFit) {
  std::vector<uint8_t> lod = BuildLod({{"a.def", {1, 2, 3}, false}});
  PutInt32(lod, 8, 0x7FFFFFFF);
  const cli::LodIndex index = cli::ReadLodIndex(lod);
  EXPECT_EQ(index.entries.size(), 1u);
  EXPECT_EQ(index.problems.size(), 1u);
}

TEST(LodContainer, DamagedEntriesGiveErrors) {
  const std::vector<uint8_t> def = BuildArchive(EightFrameSpec());
  const std::vector<uint8_t> good = BuildLod({{"a.def", def, true}});
  auto errorWith = [&](size_t at, int32_t value, int64_t limit = 1 << 20) {
    std::vector<uint8_t> lod = good;
    PutInt32(lod, at, value);
    return cli::ExtractLodEntry(lod, cli::ReadLodIndex(lod).entries.at(0), limit).error;
  };
  EXPECT_NE(errorWith(92 + 16, 1 << 30).find("outside the file"), std::string::npos);
  EXPECT_NE(errorWith(92 + 20, int32_t(def.size()) - 1).find("past"), std::string::npos);
  EXPECT_NE(errorWith(92 + 20, int32_t(def.size()) + 1).find("ends after"), std::string::npos);
  EXPECT_NE(errorWith(92 + 28, 10).find("cut off"), std::string::npos);
  EXPECT_NE(errorWith(92 + 20, 0x7FFFFFFF).find("over the limit"), std::string::npos);
  std::vector<uint8_t> lod = good;
  lod[GetInt32(lod, 92 + 16)] ^= 0xFF;  // the zlib header
  EXPECT_NE(cli::ExtractLodEntry(lod, cli::ReadLodIndex(lod).entries.at(0), 1 << 20).error.find("damaged"),
            std::string::npos);
}

TEST(LodInputs, ExportOfAnEntryMatchesTheLooseFileByteForByte) {
  TempDir dir;
  const std::vector<uint8_t> def = BuildArchive(EightFrameSpec());
  WriteFile(dir.File("units.def"), def);
  WriteFile(dir.File("pack.lod"), BuildLod({{"Units.def", def, true}, {"x.txt", {1}, false}}));
  ASSERT_EQ(RunCli({"export", dir.File("units.def"), dir.File("loose")}).status, 0);
  const RunResult fromLod = RunCli({"export", dir.File("pack.lod") + ":UNITS.DEF", dir.File("lod")});
  ASSERT_EQ(fromLod.status, 0) << fromLod.err;
  ASSERT_EQ(FilesIn(dir.File("loose")), FilesIn(dir.File("lod")));
  for (const std::string& name : FilesIn(dir.File("loose")))
    EXPECT_EQ(ReadFile(dir.File("loose/" + name)), ReadFile(dir.File("lod/" + name))) << name;
  ASSERT_EQ(RunCli({"export", dir.File("pack.lod"), dir.File("all")}).status, 0);
  EXPECT_EQ(FilesIn(dir.File("all")), std::vector<std::string>{"Units"});
  std::filesystem::remove(dir.File("units.def"));
  ASSERT_EQ(RunCli({"export", "--lod", dir.path(), dir.File("folder")}).status, 0);
  EXPECT_EQ(FilesIn(dir.File("folder")), std::vector<std::string>{"Units"});
  const RunResult list = RunCli({"list", dir.File("pack.lod")});
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("stored"), std::string::npos);
}

// One damaged entry fails the run with an error naming it; the others are
// still converted, and listing an entry lists the DEF inside.
TEST(LodInputs, DamagedEntryFailsAloneAndEntriesListAsArchives) {
  TempDir dir;
  const std::vector<uint8_t> def = BuildArchive(EightFrameSpec());
  std::vector<uint8_t> lod = BuildLod({{"good.def", def, true}, {"bad.def", def, true}});
  const int32_t badData = GetInt32(lod, 92 + 32 + 16);
  lod[size_t(badData)] ^= 0xFF;  // its zlib header
  WriteFile(dir.File("game.lod"), lod);
  const RunResult r = RunCli({"export", dir.File("game.lod"), dir.File("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("game.lod:bad.def"), std::string::npos) << r.err;
  EXPECT_EQ(FilesIn(dir.File("out/good")).size(), 8u);
  const RunResult listed = RunCli({"list", dir.File("game.lod") + ":GOOD.def"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find("Frames:  8"), std::string::npos) << listed.out;
  const RunResult json = RunCli({"info", "--json", dir.File("game.lod")});
  EXPECT_NO_THROW(nlohmann::json::parse(json.out)) << json.out;
}

}  // namespace
}  // namespace dw::testing
