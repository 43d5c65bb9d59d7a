#include <gif_lib.h>
#include <gtest/gtest.h>
#include <webp/demux.h>

#include <tuple>

#include "cli/outputs/animation_writer.h"
#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

// Canvas 4 x 2, top row first.
const std::vector<std::vector<uint8_t>> kWalk = {{9, 0, 10, 0, 11, 12, 0, 0},
                                                 {9, 0, 10, 0, 11, 12, 0, 0},
                                                 {0, 1, 21, 0, 0, 0, 0, 0},
                                                 {9, 0, 10, 0, 11, 12, 0, 0}};

TEST(AnimCommand, GifHasEveryEntryInDirectoryOrderOnOneCanvas) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "hero.def", WalkAndIdleSpec());
  const RunResult r = RunCli({"anim", "--delay", "250", archive, dir.File("a")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FilesIn(dir.File("a")), (std::vector<std::string>{"hero-5.gif", "hero-8.gif"}));
  int error = 0;
  GifFileType* gif = DGifOpenFileName(dir.File("a/hero-5.gif").c_str(), &error);
  ASSERT_NE(gif, nullptr);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  ASSERT_EQ(std::tuple(gif->SWidth, gif->SHeight, gif->ImageCount), std::tuple(4, 2, 4));
  const ArchiveSpec plan = WalkAndIdleSpec();
  for (int i = 0; i < 4; ++i) {
    const SavedImage& frame = gif->SavedImages[i];
    EXPECT_EQ(std::vector<uint8_t>(frame.RasterBits, frame.RasterBits + 8), kWalk[size_t(i)]) << i;
    GraphicsControlBlock control;
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
    EXPECT_EQ(std::tuple(control.TransparentColor, control.DelayTime, control.DisposalMode),
              std::tuple(0, 25, DISPOSE_BACKGROUND));
  }
  const GifColorType c = gif->SColorMap->Colors[10];
  EXPECT_EQ((std::vector<int>{c.Red, c.Green, c.Blue}),
            (std::vector<int>{plan.palette[30], plan.palette[31], plan.palette[32]}));
  DGifCloseFile(gif, &error);
}

// --alpha: index 0 clear, the others by the colour rule.
TEST(AnimCommand, WebpFramesDecodeByTheColourRuleWithIndexZeroClear) {
  TempDir dir;
  const ArchiveSpec plan = WalkAndIdleSpec();
  const std::string archive = WriteArchive(dir, "hero.def", plan);
  ASSERT_EQ(RunCli({"anim", "--format", "webp", "--alpha", archive, dir.File("a")}).status, 0);
  const std::vector<uint8_t> file = ReadFile(dir.File("a/hero-5.webp"));
  WebPData data{file.data(), file.size()};
  WebPAnimDecoderOptions options;
  ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
  options.color_mode = MODE_RGBA;
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
  ASSERT_NE(decoder, nullptr);
  WebPAnimInfo info;
  ASSERT_TRUE(WebPAnimDecoderGetInfo(decoder, &info));
  EXPECT_EQ(std::pair(info.canvas_width, info.frame_count), std::pair(4u, 4u));
  for (int i = 0; WebPAnimDecoderHasMoreFrames(decoder); ++i) {
    uint8_t* rgba = nullptr;
    int timestamp = 0;
    ASSERT_TRUE(WebPAnimDecoderGetNext(decoder, &rgba, &timestamp));
    EXPECT_EQ(timestamp, 100 * (i + 1));
    for (int p = 0; p < 8; ++p) {
      const uint8_t index = kWalk[size_t(i)][size_t(p)];
      const uint8_t* px = rgba + 4 * p;
      const uint8_t* c = &plan.palette[3 * size_t(index)];
      std::vector<uint8_t> expected{c[0], c[1], c[2], 255};
      if (index == 1) expected = {0, 0, 0, 64};             // a shadow
      if (index == 0) expected = {px[0], px[1], px[2], 0};  // clear, of any colour
      EXPECT_EQ(std::vector<uint8_t>(px, px + 4), expected) << i << " " << p;
    }
  }
  WebPAnimDecoderDelete(decoder);
}

TEST(AnimCommand, GifDelaysRoundToHundredthsAndShortOnesAreRaisedWithAWarning) {
  for (const auto& [ms, hundredths] :
       std::vector<std::pair<int, int>>{{10, 2}, {19, 2}, {20, 2}, {24, 2}, {25, 3}, {104, 10}})
    EXPECT_EQ(cli::GifDelay(ms), hundredths) << ms;
  TempDir dir;
  const std::string archive = WriteArchive(dir, "hero.def", WalkAndIdleSpec());
  const RunResult r = RunCli({"anim", "--delay", "15", archive, dir.File("a")});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("warning: a GIF delay of 15 ms is raised to 20 ms"), std::string::npos)
      << r.err;
}

// Two inputs of one stem: the second's files are named stem~2, and the
// summary counts the files on disk.
TEST(AnimCommand, InputsOfOneStemKeepTheirOwnFilesInAnimAndSheet) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("x"));
  const std::string first = WriteArchive(dir, "hero.def", WalkAndIdleSpec());
  const std::string second = WriteArchive(dir, "x/hero.def", WalkAndIdleSpec());
  const struct {
    const char* command;
    std::vector<std::string> files;
    const char* summary;
  } cases[] = {
      {"anim", {"hero-5.gif", "hero-8.gif", "hero~2-5.gif", "hero~2-8.gif"}, "4 animations"},
      {"sheet", {"hero.json", "hero.png", "hero~2.json", "hero~2.png"}, "4 files"}};
  for (const auto& c : cases) {
    const std::string out = dir.File(c.command);
    const RunResult r = RunCli({c.command, first, second, out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FilesIn(out), c.files);
    EXPECT_EQ(r.err,
              "duskweave-convert: " + std::string(c.summary) + " written into " + out + "\n");
  }
}

}  // namespace
}  // namespace dw::testing
