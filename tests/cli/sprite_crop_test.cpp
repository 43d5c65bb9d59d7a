#include "cli/outputs/sprite_crop.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <tuple>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

IndexedImage Full(int32_t width, int32_t height) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  image.stride = StrideOf(width);
  image.pixels.resize(size_t(image.stride * height));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) image.TopRow(y)[x] = uint8_t(10 * y + x);
  return image;
}

TEST(Crop, CutsTheStoredRectangleClippedToTheImage) {
  const IndexedImage full = Full(7, 5);
  FrameHeader head{.width = 3, .height = 2, .leftMargin = 2, .topMargin = 1};
  const cli::CropBox box = cli::StoredRectangle(head, full);
  EXPECT_EQ((std::vector<int32_t>{box.left, box.top, box.width, box.height}),
            (std::vector<int32_t>{2, 1, 3, 2}));
  const IndexedImage cut = cli::Crop(full, box);
  EXPECT_EQ(std::tuple(cut.width, cut.stride, cut.pixels),  // bottom-up
            std::tuple(3, 4, std::vector<uint8_t>{22, 23, 24, 0, 12, 13, 14, 0}));

  head.leftMargin = 5;  // spills past the right edge; negative top counts as 0
  head.topMargin = -4;
  const cli::CropBox clipped = cli::StoredRectangle(head, full);
  EXPECT_EQ((std::vector<int32_t>{clipped.left, clipped.top, clipped.width, clipped.height}),
            (std::vector<int32_t>{5, 0, 2, 2}));
  head.width = 0;
  const cli::CropBox empty = cli::StoredRectangle(head, full);
  EXPECT_TRUE(empty.empty);
  const IndexedImage one = cli::Crop(full, empty);
  EXPECT_EQ(std::tuple(one.width, one.height, one.pixels), std::tuple(1, 1, std::vector<uint8_t>(4, 0)));
}

// The manifest records where each cut image lies in its frame; a frame
// without stored pixels is cut to one clear pixel that it marks empty, and
// pack builds the archive again from the cut images (the images of stored
// rectangles are the pack round trip's).
TEST(CropExport, ManifestPlacesEveryImageAndPackRebuildsTheArchive) {
  TempDir dir;
  ArchiveSpec plan = EightFrameSpec();
  plan.frames[2] = MakeFrame(1, 12, 9, 0, 0, 0, 0, {});  // no stored pixels
  const std::string archive = WriteArchive(dir, "units.def", plan);
  ASSERT_EQ(RunCli({"export", "--crop", "--manifest", "--keep-special", archive, dir.File("c")})
                .status,
            0);
  const nlohmann::json manifest = ReadJson(dir.File("c/units.json"));
  EXPECT_EQ(manifest["crop"], true);
  EXPECT_EQ(manifest["blocks"][1]["frames"][3]["crop"],  // walk04.pcx
            nlohmann::json({{"left", 2}, {"top", 1}, {"width", 12}, {"height", 6}}));
  const nlohmann::json& empty = manifest["blocks"][1]["frames"][2];
  EXPECT_EQ(nlohmann::json({empty["empty"], empty["file"]}), nlohmann::json({true, "walk03.bmp"}));
  EXPECT_EQ(PixelsOfBmp(ReadFile(dir.File("c/walk03.bmp"))).pixels, std::vector<uint8_t>{0});
  const RunResult packed = RunCli({"pack", dir.File("c/units.json"), dir.File("packed.def")});
  ASSERT_EQ(packed.status, 0) << packed.err;
  ASSERT_EQ(RunCli({"export", "--keep-special", dir.File("packed.def"), dir.File("again")}).status, 0);
  ASSERT_EQ(RunCli({"export", "--keep-special", archive, dir.File("first")}).status, 0);
  for (const std::string& file : FilesIn(dir.File("first")))
    EXPECT_EQ(ReadFile(dir.File("again/" + file)), ReadFile(dir.File("first/" + file))) << file;
}

}  // namespace
}  // namespace dw::testing
