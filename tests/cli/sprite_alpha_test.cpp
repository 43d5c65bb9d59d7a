#include "cli/sprite_alpha.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

struct RgbaImage {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;  // top row first, 4 bytes a pixel
  bool rgba = false;            // stored as RGBA, not through a palette
  cli::Rgba At(uint32_t x, uint32_t y) const {
    const uint8_t* p = pixels.data() + 4 * (size_t(y) * width + x);
    return cli::Rgba{p[0], p[1], p[2], p[3]};
  }
};

RgbaImage ReadRgba(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  RgbaImage out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  out.rgba = image.format == PNG_FORMAT_RGBA;
  image.format = PNG_FORMAT_RGBA;
  out.width = image.width;
  out.height = image.height;
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) out.pixels.clear();
  return out;
}

TEST(AlphaColours, EachSpecialIndexHasItsRule) {
  Palette palette;
  for (int i = 0; i < 256; ++i) palette[size_t(i)] = ColourQuad{uint8_t(i), uint8_t(i + 1), uint8_t(i + 2), 0};
  const auto plain = cli::AlphaColours(palette, false);
  const cli::Rgba clear{}, border{0, 0, 0, 64}, body{0, 0, 0, 128};
  const std::array<cli::Rgba, 8> expected = {clear, border, clear, clear, body, clear, body, border};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(plain[i], expected[i]) << i;
  EXPECT_EQ(plain[8], (cli::Rgba{10, 9, 8, 255}));
  EXPECT_EQ(plain[255], (cli::Rgba{1, 0, 255, 255}));  // blue, green, red wrap
  const auto outlined = cli::AlphaColours(palette, true);
  EXPECT_EQ(outlined[5], (cli::Rgba{7, 6, 5, 255}));
  EXPECT_EQ(outlined[4], body);
}

// A frame of compression 1 whose fill runs carry the shadow codes and whose
// literals hold special indices too: both map by the same rule.
TEST(AlphaExport, FillRunsAndLiteralsMapToRgbaExactly) {
  TempDir dir;
  ArchiveSpec plan;
  SpriteFrame frame = MakeFrame(1, 6, 2, 6, 2, 0, 0, {});
  // Row 0: fill code 1 x2, fill code 4 x2, literal {5, 9}; row 1: fill code 0 x6.
  using DefRun = dw::testing::Run;
  frame.data = EncodeByteRuns(
      {{DefRun{1, 2, {}}, DefRun{4, 2, {}}, DefRun{0, 0, {5, 9}}}, {DefRun{0, 6, {}}}});
  plan.frames = {frame};
  Block block;
  block.entries = {{"shadow.pcx", 0, {}, {}}};
  plan.blocks = {block};
  const std::string archive = WriteArchive(dir, "s.def", plan);
  const RunResult r = RunCli({"export", "--alpha", archive, dir.File("a")});
  ASSERT_EQ(r.status, 0) << r.err;
  const RgbaImage image = ReadRgba(dir.File("a/shadow.png"));
  ASSERT_EQ(image.width, 6u);
  ASSERT_EQ(image.height, 2u);
  EXPECT_TRUE(image.rgba);
  const auto& p = plan.palette;
  const std::vector<cli::Rgba> row0 = {{0, 0, 0, 64},  {0, 0, 0, 64}, {0, 0, 0, 128},
                                       {0, 0, 0, 128}, {0, 0, 0, 0},  {p[27], p[28], p[29], 255}};
  for (uint32_t x = 0; x < 6; ++x) {
    EXPECT_EQ(image.At(x, 0), row0[x]) << x;
    EXPECT_EQ(image.At(x, 1), (cli::Rgba{0, 0, 0, 0})) << x;
  }
  ASSERT_EQ(RunCli({"export", "--alpha", "--outline", archive, dir.File("o")}).status, 0);
  EXPECT_EQ(ReadRgba(dir.File("o/shadow.png")).At(4, 0), (cli::Rgba{p[15], p[16], p[17], 255}));
  EXPECT_EQ(RunCli({"export", "--outline", archive, dir.File("x")}).status, 2);
  EXPECT_EQ(RunCli({"export", "--alpha", "--format", "bmp", archive, dir.File("x")}).status, 2);
}

TEST(AlphaExport, HelpStatesTheMapping) {
  std::string help = RunCli({"export", "--help"}).out;
  std::replace(help.begin(), help.end(), '\n', ' ');
  EXPECT_NE(help.find(cli::kAlphaMappingText), std::string::npos) << help;
}

}  // namespace
}  // namespace dw::testing
