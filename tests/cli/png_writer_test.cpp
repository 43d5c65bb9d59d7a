#include "cli/outputs/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "cli/outputs/output_file.h"
#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

struct PngContents {
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  std::vector<png_color> palette;
  std::vector<uint8_t> transparency;  // tRNS entries; empty without the chunk
  std::vector<uint8_t> pixels;        // top row first
};

// Only plain data lives in this frame: libpng leaves it by longjmp on errors.
bool ReadPngInto(std::FILE* file, PngContents& contents) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  contents.width = png_get_image_width(png, info);
  contents.height = png_get_image_height(png, info);
  contents.bitDepth = png_get_bit_depth(png, info);
  contents.colourType = png_get_color_type(png, info);
  png_colorp palette = nullptr;
  png_bytep alpha = nullptr;
  int paletteSize = 0, alphaCount = 0;
  if (png_get_PLTE(png, info, &palette, &paletteSize)) {
    contents.palette.assign(palette, palette + paletteSize);
  }
  if (png_get_tRNS(png, info, &alpha, &alphaCount, nullptr)) {
    contents.transparency.assign(alpha, alpha + alphaCount);
  }
  png_bytepp rows = png_get_rows(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  for (uint32_t y = 0; y < contents.height; ++y) {
    contents.pixels.insert(contents.pixels.end(), rows[y], rows[y] + rowBytes);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

PngContents ReadPng(const std::string& path) {
  PngContents contents;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  EXPECT_NE(file, nullptr) << path;
  if (file != nullptr) {
    EXPECT_TRUE(ReadPngInto(file, contents)) << path;
    std::fclose(file);
  }
  return contents;
}

void ExpectSameImage(const PngContents& png, const std::vector<uint8_t>& bmp,
                     const ArchiveSpec& plan) {
  const IndexedPixels expected = PixelsOfBmp(bmp);
  std::vector<uint8_t> rgb;
  for (const png_color& c : png.palette) rgb.insert(rgb.end(), {c.red, c.green, c.blue});
  EXPECT_EQ(std::tuple(png.width, png.height, png.bitDepth, png.colourType, rgb, png.pixels),
            std::tuple(uint32_t(expected.width), uint32_t(expected.height), 8,
                       PNG_COLOR_TYPE_PALETTE,
                       std::vector<uint8_t>(plan.palette.begin(), plan.palette.end()),
                       expected.pixels));
}

// --transparent adds a tRNS chunk that marks index 0 alone; nothing else changes.
using PngExport = EightFrameArchive;

TEST_F(PngExport, SamePaletteAndIndicesAsTheBmpAndTransparentMarksOnlyIndexZero) {
  for (const bool transparent : {false, true}) {
    std::vector<std::string> args = {"export", "--format", "png", archive, dir.File("png")};
    if (transparent) args.insert(args.begin() + 1, "--transparent");
    const RunResult r = RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    for (int i = 0; i < 8; ++i) {
      const PngContents png = ReadPng(dir.File("png/walk0" + std::to_string(i + 1) + ".png"));
      ExpectSameImage(png, ExpectedBmp(plan, plan.frames[i]), plan);
      EXPECT_EQ(png.transparency, transparent ? std::vector<uint8_t>{0} : std::vector<uint8_t>{});
    }
  }
}

TEST_F(PngExport, EmptyImageCannotBeStoredAndFailsTheRun) {
  ArchiveSpec empty = plan;
  empty.frames[3] = MakeFrame(0, 0, 0, 0, 0, 0, 0, {});
  const RunResult r =
      RunCli({"export", "--format", "png", WriteArchive(dir, "e.def", empty), dir.File("png")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("walk04.png: frame 3 (walk04.pcx): an image of 0 x 0 pixels"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("png/walk04.png")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("png/walk05.png")));
}

// Every kind of image the encoder writes, small (deflated whole) and past
// 16 MiB of rows (deflated a row at a time into several IDAT chunks): a strict
// reader accepts the file, and it holds the pixels it was given.
struct EncodedCase {
  const char* name;
  int kind;  // 0 palettised, 1 RGBA, 2 RGB
  int32_t width, height;
};

class PngEncoding : public ::testing::TestWithParam<EncodedCase> {};

TEST_P(PngEncoding, PassesPngcheckAndDecodesToThePixelsGiven) {
  const EncodedCase& c = GetParam();
  const int channels = c.kind == 0 ? 1 : c.kind == 1 ? 4 : 3;
  // Runs of index 0 between runs of noise.
  const int64_t stride = c.kind == 2 ? int64_t{c.width} * 3 : (int64_t{c.width} + 3) / 4 * 4;
  std::vector<uint8_t> pixels(size_t(stride * c.height));
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = (i / 7) % 4 == 0 ? uint8_t(i * 2654435761u >> 24) : 0;
  std::vector<uint8_t> table(256 * 4);
  std::array<cli::Rgba, 256> colours{};
  for (int i = 0; i < 256; ++i) {
    table[4 * i] = uint8_t(i), table[4 * i + 1] = uint8_t(255 - i), table[4 * i + 2] = uint8_t(i / 2);
    colours[size_t(i)] = {uint8_t(i / 2), uint8_t(255 - i), uint8_t(i), uint8_t(i == 0 ? 0 : 255)};
  }
  cli::BmpView view{c.width, c.height, stride, table.data(), pixels.data()};
  TempDir dir;
  const std::string path = dir.File("x.png");
  const cli::WriteOutcome written = cli::WriteOutputFile(path, [&](AtomicFile& file) {
    return c.kind == 0   ? cli::WritePng(file, view, true)
           : c.kind == 1 ? cli::WriteRgbaPng(file, view, colours)
                         : cli::WriteRgbPng(file, c.width, c.height, pixels.data());
  });
  ASSERT_TRUE(written.ok());
  if (std::system("command -v pngcheck >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("pngcheck -q " + path + " >/dev/null").c_str()), 0);
  }
  const PngContents png = ReadPng(path);
  ASSERT_EQ(png.pixels.size(), size_t(c.width) * size_t(c.height) * size_t(channels));
  for (int32_t y = 0; y < c.height; ++y) {
    // Palettised and RGBA images come from bottom-up rows, RGB from top-down ones.
    const uint8_t* source = pixels.data() + (c.kind == 2 ? y : c.height - 1 - y) * stride;
    const uint8_t* row = png.pixels.data() + size_t(y) * size_t(c.width) * size_t(channels);
    for (int32_t x = 0; x < c.width * (c.kind == 1 ? 1 : channels); ++x) {
      const bool same = c.kind == 1 ? std::memcmp(row + 4 * x, &colours[source[x]], 4) == 0
                                    : row[x] == source[x];
      ASSERT_TRUE(same) << "row " << y << ", byte " << x;
    }
  }
  EXPECT_EQ(png.transparency, c.kind == 0 ? std::vector<uint8_t>{0} : std::vector<uint8_t>{});
}

INSTANTIATE_TEST_SUITE_P(Kinds, PngEncoding,
                         ::testing::Values(EncodedCase{"Palettised", 0, 33, 17},
                                           EncodedCase{"PalettisedPast16MiB", 0, 4099, 4099},
                                           EncodedCase{"Rgba", 1, 31, 9},
                                           EncodedCase{"RgbaPast16MiB", 1, 2050, 2050},
                                           EncodedCase{"Rgb", 2, 5, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dw::testing
