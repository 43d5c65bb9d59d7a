#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/inputs/image_reader.h"
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

std::vector<int> Rect(const nlohmann::json& cell) {
  return {cell["page"], cell["x"], cell["y"], cell["w"], cell["h"]};
}

// Rows per block, padding between and around every cell, or cropped cells.
TEST(SheetCommand, CellsInDirectoryOrderOneRowPerBlockWithPadding) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", TwoBlocks());
  const RunResult r = RunCli({"sheet", "--padding", "2", archive, dir.File("s")});
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectMatchesSchema("sheet-atlas", dir.File("s/units.json"));
  const nlohmann::json atlas = ReadJson(dir.File("s/units.json"));
  EXPECT_EQ(atlas["pages"], nlohmann::json::parse(
                                R"([{"image": "units.png", "width": 13, "height": 13}])"));
  const std::vector<std::vector<int>> cells = {{0, 2, 2, 3, 2}, {0, 7, 2, 4, 3}, {0, 2, 7, 2, 4}};
  ASSERT_EQ(atlas["cells"].size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(Rect(atlas["cells"][k]), cells[k]) << k;
    EXPECT_EQ(atlas["frames"][k]["cell"], k);
  }
  EXPECT_EQ(atlas["frames"][2], nlohmann::json::parse(R"({"index": 2, "name": "b0",
      "block": {"identifier": 7, "position": 1}, "indexInBlock": 0, "offset": 939, "cell": 2})"));
  std::string error;
  const auto sheet = cli::ReadPalettedImage(dir.File("s/units.png"), error);
  ASSERT_TRUE(sheet) << error;
  ASSERT_EQ(sheet->width, 13);
  auto at = [&](int x, int y) { return sheet->pixels[size_t(y) * 13 + x]; };
  // Frame 1's rectangle lies at (1, 2) of its cell; padding is 0.
  EXPECT_EQ((std::vector<int>{at(2, 2), at(4, 3), at(8, 4), at(3, 10), at(1, 1)}),
            (std::vector<int>{1, 6, 7, 9, 0}));
  // A cropped cell records where its rectangle lies in the frame.
  ASSERT_EQ(RunCli({"sheet", "--crop", "--padding", "0", archive, dir.File("c")}).status, 0);
  const nlohmann::json cropped = ReadJson(dir.File("c/units.json"));
  const auto& f = cropped["cells"][1];
  EXPECT_EQ((std::vector<int>{f["x"], f["y"], f["w"], f["h"], f["left"], f["top"],
                              f["fullWidth"], f["fullHeight"]}),
            (std::vector<int>{3, 0, 2, 1, 1, 2, 4, 3}));
  EXPECT_EQ(cropped["pages"][0]["width"], 5);
}

// Entries naming one frame share its cell; rows wrap and pages open under
// --max-size; a 0-wide frame has an empty cell.
TEST(SheetCommand, SharedFramesShareACellAndPagesWrapUnderMaxSize) {
  TempDir dir;
  ArchiveSpec plan;
  for (int i = 0; i < 5; ++i)
    plan.frames.push_back(MakeFrame(0, 10, 10, 10, 10, 0, 0, std::vector<uint8_t>(100, uint8_t(20 + i))));
  plan.frames.push_back(MakeFrame(0, 0, 5, 0, 0, 0, 0, {}));
  Block a, b;
  a.identifier = 1;
  a.entries = {{"f0", 0, {}, {}}, {"f1", 1, {}, {}}, {"f2", 2, {}, {}}, {"f3", 3, {}, {}},
               {"f0again", 0, {}, {}}};
  b.identifier = 4;
  b.entries = {{"f4", 4, {}, {}}, {"none", 5, {}, {}}, {"f1again", 1, {}, {}}};
  plan.blocks = {a, b};
  const std::string archive = WriteArchive(dir, "u.def", plan);
  // Two cells to a row, two rows to a page.
  const RunResult r = RunCli({"sheet", "--max-size", "23", archive, dir.File("s")});
  ASSERT_EQ(r.status, 0) << r.err;
  ExpectMatchesSchema("sheet-atlas", dir.File("s/u.json"));
  const nlohmann::json atlas = ReadJson(dir.File("s/u.json"));
  EXPECT_EQ(FilesIn(dir.File("s")), (std::vector<std::string>{"u-1.png", "u.json", "u.png"}));
  const std::vector<std::vector<int>> cells = {{0, 1, 1, 10, 10},  {0, 12, 1, 10, 10},
                                               {0, 1, 12, 10, 10}, {0, 12, 12, 10, 10},
                                               {1, 1, 1, 10, 10},  {1, 12, 1, 0, 0}};
  ASSERT_EQ(atlas["cells"].size(), cells.size());
  for (size_t k = 0; k < cells.size(); ++k) EXPECT_EQ(Rect(atlas["cells"][k]), cells[k]) << k;
  EXPECT_EQ(atlas["cells"][5]["empty"], true);
  std::vector<int> cellOf;
  for (const auto& frame : atlas["frames"]) cellOf.push_back(frame["cell"]);
  EXPECT_EQ(cellOf, (std::vector<int>{0, 1, 2, 3, 0, 4, 5, 1}));
  EXPECT_EQ(atlas["pages"][1], nlohmann::json::parse(
                                   R"({"image": "u-1.png", "width": 13, "height": 12})"));
  std::string error;
  const auto first = cli::ReadPalettedImage(dir.File("s/u.png"), error);
  const auto second = cli::ReadPalettedImage(dir.File("s/u-1.png"), error);
  ASSERT_TRUE(first && second) << error;
  EXPECT_EQ(std::pair(first->pixels[size_t(12) * 23 + 12], second->pixels[size_t(1) * 13 + 1]),
            std::pair(uint8_t(23), uint8_t(24)));
  // Empty frames alone, without padding, still make an image.
  ArchiveSpec empty;
  empty.frames = {plan.frames[5]};
  empty.blocks = {Block{}};
  empty.blocks[0].entries = {{"none", 0, {}, {}}};
  ASSERT_EQ(RunCli({"sheet", "--padding", "0", WriteArchive(dir, "e.def", empty), dir.File("e")}).status, 0);
  EXPECT_EQ(ReadJson(dir.File("e/e.json"))["pages"][0]["width"], 1);
  // A frame no page can hold is refused by name, and nothing is written.
  const RunResult small =
      RunCli({"sheet", "--max-size", "16", "--padding", "4", archive, dir.File("t")});
  EXPECT_EQ(small.status, 1);
  EXPECT_NE(small.err.find("frame 0 (f0) is 10 x 10 pixels, more than a sheet page of --max-size "
                           "16 holds with --padding 4 (raise --max-size)"),
            std::string::npos)
      << small.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("t")));  // a failed run leaves no folder
}

}  // namespace
}  // namespace dw::testing
