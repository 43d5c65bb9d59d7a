#include "cli/outputs/sprite_colour_rule.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

using cli::Rgba;

struct RgbaImage {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;  // top row first, 4 bytes a pixel
  bool rgba = false;            // stored as RGBA, not through a palette
  Rgba At(uint32_t x, uint32_t y) const {
    const uint8_t* p = pixels.data() + 4 * (size_t(y) * width + x);
    return Rgba{p[0], p[1], p[2], p[3]};
  }
};

// A PNG file.
RgbaImage ReadRgba(const std::string& path) {
  RgbaImage out;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  out.rgba = image.format == PNG_FORMAT_RGBA;
  image.format = PNG_FORMAT_RGBA;
  out.width = image.width;
  out.height = image.height;
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) out.pixels.clear();
  return out;
}

// Indices 1 to 7 and 9 in a row of literals, then in a row of fill runs (9 a
// literal). The palette matches the special colours of 2 exactly, 3 and 5
// within 7, and misses 6 and 7 (7 by exactly 8); 1 and 4 match nothing.
ArchiveSpec SpecialCodes(int32_t type) {
  ArchiveSpec plan;
  plan.archiveType = type;
  const std::vector<std::array<uint8_t, 3>> colours = {
      {1, 2, 3}, {255, 100, 255}, {250, 55, 251}, {4, 5, 6}, {249, 255, 7}, {10, 20, 30}, {0, 247, 0}};
  for (size_t i = 0; i < colours.size(); ++i)
    for (size_t c = 0; c < 3; ++c) plan.palette[3 * (i + 1) + c] = colours[i][c];
  using DefRun = dw::testing::Run;
  SpriteFrame frame = MakeFrame(1, 8, 2, 8, 2, 0, 0, {});
  std::vector<RowRuns> rows = {{DefRun{0, 0, {1, 2, 3, 4, 5, 6, 7, 9}}}, {}};
  for (int code = 1; code <= 7; ++code) rows[1].push_back(DefRun{code, 1, {}});
  rows[1].push_back(DefRun{0, 0, {9}});
  frame.data = EncodeByteRuns(rows);
  plan.frames = {frame};
  Block block;
  block.entries = {{"f.pcx", 0, {}, {}}};
  plan.blocks = {block};
  return plan;
}

enum Colour { Clear, Own, Light, Dark, White };

struct RuleCase {
  const char* name;
  int32_t type;
  std::vector<std::string> command;  // before the archive and the output folder
  std::string file;                  // read back from the output folder
  std::array<Colour, 8> expected;    // indices 1 to 7, then 9
  std::vector<std::string> folder;   // every file written, when given
  bool palettised = false;           // stored through a palette, not as RGBA
};

// Test names carry the case; the parameter itself prints as its name.
void PrintTo(const RuleCase& c, std::ostream* out) { *out << c.name; }

class ColourRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(ColourRule, LiteralAndRunPixelsReadBackByTheRule) {
  const RuleCase& c = GetParam();
  TempDir dir;
  const ArchiveSpec plan = SpecialCodes(c.type);
  std::vector<std::string> args = c.command;
  args.push_back(WriteArchive(dir, "s.def", plan));
  args.push_back(dir.File("out"));
  const RunResult r = RunCli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  if (!c.folder.empty()) {
    EXPECT_EQ(FilesIn(dir.File("out")), c.folder);
  }
  const RgbaImage image = ReadRgba(dir.File("out/" + c.file));
  ASSERT_EQ(std::pair(image.width, image.height), std::pair(8u, 2u));
  EXPECT_EQ(image.rgba, !c.palettised);
  const uint8_t indices[8] = {1, 2, 3, 4, 5, 6, 7, 9};
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 8; ++x) {
      const uint8_t* p = &plan.palette[3 * size_t(indices[x])];
      const Rgba colours[] = {{}, {p[0], p[1], p[2], 255}, {0, 0, 0, 64}, {0, 0, 0, 128},
                              {255, 255, 255, 255}};
      EXPECT_EQ(image.At(x, y), colours[c.expected[x]]) << "index " << int(indices[x]) << " row " << y;
    }
  }
}

constexpr std::array<Colour, 8> kWhole = {Light, Light, Dark, Dark, Clear, Own, Own, Own};
constexpr std::array<Colour, 8> kPlain = {Own, Own, Own, Own, Own, Own, Own, Own};
const std::vector<std::string> kLayerFiles = {"f-overlay.png", "f-shadow.png", "f.png"};

INSTANTIATE_TEST_SUITE_P(
    Cases, ColourRule,
    ::testing::Values(
        RuleCase{"Alpha", 0x42, {"export", "--alpha"}, "f.png", kWhole, {}},
        RuleCase{"AlphaOutline", 0x42, {"export", "--alpha", "--outline"}, "f.png",
                 {Light, Light, Dark, Dark, Own, Own, Own, Own}, {}},
        RuleCase{"Body", 0x42, {"export", "--layers"}, "f.png",
                 {Clear, Clear, Clear, Clear, Clear, Own, Own, Own}, kLayerFiles},
        RuleCase{"Shadow", 0x42, {"export", "--layers"}, "f-shadow.png",
                 {Light, Light, Dark, Dark, Clear, Clear, Clear, Clear}, {}},
        RuleCase{"Overlay", 0x42, {"export", "--layers"}, "f-overlay.png",
                 {Clear, Clear, Clear, Clear, White, Clear, Clear, Clear}, {}},
        RuleCase{"Sheet", 0x42, {"sheet", "--alpha", "--padding", "0"}, "s.png", kWhole, {}},
        RuleCase{"NoShadowAlpha", 0x47, {"export", "--alpha"}, "f.png", kPlain, {}},
        RuleCase{"NoShadowLayers", 0x40, {"export", "--layers"}, "f.png", kPlain, {"f.png"}},
        RuleCase{"NoShadowSheet", 0x46, {"sheet", "--alpha", "--padding", "0"}, "s.png", kPlain, {}},
        // Fill runs written as their code (the decoder's option) show its colour.
        RuleCase{"KeepSpecial", 0x42, {"export", "--keep-special", "--format", "png"}, "f.png",
                 kPlain, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColourRule, ALayerNamedLikeAnotherFramesImageIsWarnedOf) {
  TempDir dir;
  ArchiveSpec plan = SpecialCodes(0x42);
  plan.blocks[0].entries.push_back({"f-shadow.pcx", 0, {}, {}});
  const RunResult r = RunCli({"export", "--layers", WriteArchive(dir, "s.def", plan), dir.File("o")});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("the image of 1 frame has the name of another frame's shadow or overlay "
                       "file; whichever is written later replaces the other"),
            std::string::npos)
      << r.err;
}

TEST(ColourRule, PixelsOfTheWholeImageReadBackToTheirSpecialIndex) {
  EXPECT_EQ(cli::SpecialIndexFor(Rgba{9, 9, 9, 0}), 0);
  EXPECT_EQ(cli::SpecialIndexFor(Rgba{0, 0, 0, 64}), 1);
  EXPECT_EQ(cli::SpecialIndexFor(Rgba{0, 0, 0, 128}), 4);
  EXPECT_EQ(cli::SpecialIndexFor(Rgba{0, 0, 0, 255}), std::nullopt);
  EXPECT_EQ(cli::SpecialIndexFor(Rgba{1, 0, 0, 64}), std::nullopt);
}

TEST(ColourRule, TheHelpTextStatesTheRule) {
  std::string help = RunCli({"export", "--help"}).out;
  std::replace(help.begin(), help.end(), '\n', ' ');
  EXPECT_NE(help.find(cli::kColourRuleText), std::string::npos) << help;
}

}  // namespace
}  // namespace dw::testing
