#include "cli/manifest/manifest_writer.h"

#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

using Manifest = EightFrameArchive;

TEST_F(Manifest, DescribesHeadPaletteBlocksAndFramesInDirectoryOrder) {
  ArchiveSpec named = plan;
  named.blocks[0].entries[1].name = "\xE4\xEE\xEC.pcx";  // frame 5, "дом.pcx"
  WriteArchive(dir, "units.def", named);
  const RunResult r = RunCli({"export", "--manifest", archive, out});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json m = ReadJson(dir.File("out/units.json"));
  ASSERT_EQ(m["blocks"].size(), 2u);
  EXPECT_EQ(nlohmann::json({m["archive"], m["type"], m["blockCount"], m["palette"].size(),
                            m["palette"][3], m["blocks"][0]["identifier"],
                            m["blocks"][0]["reserved"], m["blocks"][1]["identifier"]}),
            nlohmann::json({"units.def", plan.archiveType, 2, 256, {3, 252, 21}, 7,
                            "0102030405060708", 9}));
  EXPECT_EQ(m["blocks"][0]["frames"][0], nlohmann::json::parse(R"({"index": 4,
      "name": "walk05.pcx", "nameHex": "77616c6b30352e706378", "offset": 1681, "dataSize": 155,
      "compression": 1, "fullWidth": 16, "fullHeight": 10, "width": 13, "height": 7,
      "leftMargin": 1, "topMargin": 2, "file": "walk05.bmp", "fill": []})"));
  const nlohmann::json& cyrillic = m["blocks"][0]["frames"][1];
  EXPECT_EQ(nlohmann::json({cyrillic["name"], cyrillic["nameHex"], cyrillic["file"]}),
            nlohmann::json({"дом.pcx", "e4eeec2e706378", "дом.bmp"}));
}

TEST_F(Manifest, FramesNotExportedHaveNoFile) {
  ASSERT_EQ(RunCli({"export", "--manifest", "--frames", "0", archive, out}).status, 0);
  const nlohmann::json m = ReadJson(dir.File("out/units.json"));
  EXPECT_EQ(m["blocks"][1]["frames"][0]["file"], "walk01.bmp");
  EXPECT_TRUE(m["blocks"][1]["frames"][1]["file"].is_null());
}

// Fill runs are recorded apart from literal pixels of the same index.
TEST_F(Manifest, RecordsFillRunsOfCodesAboveZeroInTheStoredRectangle) {
  ArchiveSpec one = plan;
  SpriteFrame& f = one.frames[4];
  f = MakeFrame(1, 8, 3, 6, 2, 1, 1, std::vector<uint8_t>(12, 3));
  using R = dw::testing::Run;
  f.data = EncodeByteRuns({{R{3, 2, {}}, R{0, 2, {3, 9}}, R{0, 2, {}}},
                           {R{0, 1, {}}, R{4, 5, {}}}});
  WriteArchive(dir, "units.def", one);
  for (const char* mode : {"--keep-special", "--crop"}) {
    ASSERT_EQ(RunCli({"export", "--manifest", "-q", mode, archive, out}).status, 0);
    const nlohmann::json m = ReadJson(dir.File("out/units.json"));
    EXPECT_EQ(m["blocks"][0]["frames"][0]["fill"],
              nlohmann::json::parse("[[0, 0, 2, 3], [1, 1, 5, 4]]"));
    EXPECT_EQ(m["blocks"][0]["frames"][2]["fill"], nlohmann::json::array());
  }
}

}  // namespace
}  // namespace dw::testing
