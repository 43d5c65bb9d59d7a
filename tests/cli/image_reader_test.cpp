#include "cli/inputs/image_reader.h"

#include <gtest/gtest.h>

#include "cli/outputs/output_file.h"
#include "cli/outputs/png_writer.h"
#include "tests/cli/pack_test_support.h"

namespace dw::cli {
namespace {

using dw::testing::Bmp8;
using Bytes = std::vector<uint8_t>;

const std::array<uint8_t, 768> kPalette = dw::testing::ArchiveSpec::TestPalette();

TEST(DecodePalettedImage, ReadsBottomUpBmpRowsTopRowFirst) {
  const Bytes pixels{1, 2, 3, 4, 5, 6};
  std::string error;
  const auto image = DecodePalettedImage(Bmp8(3, 2, pixels, kPalette), error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(image->pixels, pixels);
  EXPECT_EQ(image->paletteSize, 256);
  EXPECT_EQ(image->palette, kPalette);
}

TEST(DecodePalettedImage, ReadsTopDownBmp) {
  Bytes bmp = Bmp8(1, 2, {7, 8}, kPalette);
  dw::testing::PutInt32(bmp, 22, -2);
  std::string error;
  const auto image = DecodePalettedImage(bmp, error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->pixels, (Bytes{8, 7}));
}

TEST(DecodePalettedImage, RefusesOtherBitDepthsAndShortFiles) {
  Bytes bmp = Bmp8(3, 2, Bytes(6, 1), kPalette);
  std::string error;
  Bytes deep = bmp;
  deep[28] = 24;
  EXPECT_FALSE(DecodePalettedImage(deep, error));
  EXPECT_EQ(error, "not an uncompressed 8-bit BMP image (24 bits per pixel)");
  Bytes rle = bmp;
  rle[30] = 1;
  EXPECT_FALSE(DecodePalettedImage(rle, error));
  Bytes tall = bmp;
  dw::testing::PutInt32(tall, 22, 1000000);
  EXPECT_FALSE(DecodePalettedImage(tall, error));
  EXPECT_EQ(error, "the BMP file is shorter than its colour table and rows");
  bmp.resize(1078 + 4);
  EXPECT_FALSE(DecodePalettedImage(bmp, error));
  EXPECT_FALSE(DecodePalettedImage(Bytes{'G', 'I', 'F'}, error));
  EXPECT_EQ(error, "neither a BMP nor a PNG image");
}

TEST(DecodePalettedImage, ReadsThePngsTheExporterWrites) {
  dw::testing::TempDir dir;
  const Bytes pixels{9, 8, 7, 6, 5, 4};
  const Bytes bmp = Bmp8(3, 2, pixels, kPalette);
  BmpView view;
  std::string error;
  ASSERT_TRUE(ViewBmp(bmp, view, error));
  ASSERT_TRUE(WriteOutputFile(dir.File("a.png"), [&](dw::AtomicFile& file) {
                return WritePng(file, view, false);
              }).ok());
  const auto image = ReadPalettedImage(dir.File("a.png"), error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->pixels, pixels);
  EXPECT_EQ(image->palette, kPalette);
  Bytes png = dw::testing::ReadFile(dir.File("a.png"));
  png.resize(png.size() - 20);
  EXPECT_FALSE(DecodePalettedImage(png, error));
  EXPECT_FALSE(ReadPalettedImage(dir.File("none.png"), error));
  EXPECT_EQ(error, "cannot be opened");
}

}  // namespace
}  // namespace dw::cli
