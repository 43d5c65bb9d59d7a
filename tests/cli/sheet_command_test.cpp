#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/image_reader.h"
#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

ArchiveSpec TwoBlocks() {
  ArchiveSpec plan;
  plan.frames = {MakeFrame(0, 3, 2, 3, 2, 0, 0, {1, 2, 3, 4, 5, 6}),
                 MakeFrame(0, 4, 3, 2, 1, 1, 2, {7, 8}),
                 MakeFrame(0, 2, 4, 2, 4, 0, 0, {9, 9, 9, 9, 9, 9, 9, 9})};
  Block a;
  a.identifier = 3;
  a.entries = {{"a0", 0, {}, {}}, {"a1", 1, {}, {}}};
  Block b;
  b.identifier = 7;
  b.entries = {{"b0", 2, {}, {}}};
  plan.blocks = {a, b};
  return plan;
}

// Rows per block, padding between and around every cell.
TEST(SheetCommand, CellsInDirectoryOrderOneRowPerBlockWithPadding) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", TwoBlocks());
  const RunResult r = RunCli({"sheet", "--padding", "2", archive, dir.File("s")});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json atlas = ReadJson(dir.File("s/units.json"));
  EXPECT_EQ(atlas["width"], 2 + 3 + 2 + 4 + 2);
  EXPECT_EQ(atlas["height"], 2 + 3 + 2 + 4 + 2);
  const std::vector<std::vector<int>> cells = {{2, 2, 3, 2}, {7, 2, 4, 3}, {2, 7, 2, 4}};
  ASSERT_EQ(atlas["frames"].size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    const auto& f = atlas["frames"][k];
    EXPECT_EQ((std::vector<int>{f["x"], f["y"], f["w"], f["h"]}), cells[k]) << k;
    EXPECT_EQ(f["left"], 0);
  }
  EXPECT_EQ(atlas["frames"][1]["name"], "a1");
  EXPECT_EQ(atlas["frames"][2]["block"]["identifier"], 7);
  EXPECT_EQ(atlas["frames"][2]["index"], 0);
  std::string error;
  const auto sheet = cli::ReadPalettedImage(dir.File("s/units.png"), error);
  ASSERT_TRUE(sheet) << error;
  ASSERT_EQ(sheet->width, 13);
  auto at = [&](int x, int y) { return sheet->pixels[size_t(y) * 13 + x]; };
  EXPECT_EQ(at(2, 2), 1);
  EXPECT_EQ(at(4, 3), 6);
  EXPECT_EQ(at(8, 4), 7);  // frame 1's rectangle at (1, 2) of its cell
  EXPECT_EQ(at(3, 10), 9);
  EXPECT_EQ(at(1, 1), 0);
}

TEST(SheetCommand, CroppedCellsRecordTheirOffsets) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", TwoBlocks());
  ASSERT_EQ(RunCli({"sheet", "--crop", "--padding", "0", archive, dir.File("s")}).status, 0);
  const nlohmann::json atlas = ReadJson(dir.File("s/units.json"));
  const auto& f = atlas["frames"][1];
  EXPECT_EQ((std::vector<int>{f["x"], f["y"], f["w"], f["h"], f["left"], f["top"],
                              f["fullWidth"], f["fullHeight"]}),
            (std::vector<int>{3, 0, 2, 1, 1, 2, 4, 3}));
  EXPECT_EQ(atlas["width"], 5);
}

TEST(SheetCommand, SheetOverTheLimitIsRefused) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", TwoBlocks());
  const RunResult r = RunCli({"sheet", "--max-output", "60", archive, dir.File("s")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("raise it with --max-output"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("s/units.png")));
}

}  // namespace
}  // namespace dw::testing
