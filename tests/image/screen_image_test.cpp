#include <gtest/gtest.h>

#include "image/bitmap.h"
#include "tests/image/bmp_bytes.h"

namespace dw {
namespace {

using testing::BmpSpec;
using testing::BuildBmp;
using testing::LoadBitmap;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

std::vector<uint32_t> Screen(const std::vector<uint8_t>& bmp, int width, int height) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(bmp);
  const ScreenImage& image = bitmap->ToScreenImage();
  EXPECT_EQ(image.width, width);
  EXPECT_EQ(image.height, height);
  return image.pixels;
}

BmpSpec Spec(int width, int height, uint16_t bits, std::vector<uint8_t> pixels) {
  BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.bitCount = bits;
  spec.pixels = std::move(pixels);
  return spec;
}

std::vector<uint8_t> Masks(uint32_t red, uint32_t green, uint32_t blue) {
  std::vector<uint8_t> out;
  for (uint32_t m : {red, green, blue}) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(m >> (8 * i)));
  }
  return out;
}

TEST(ScreenImage, EightBitRowsComeTopRowFirstThroughTheColourTable) {
  BmpSpec spec = Spec(2, 2, 8, {3, 4, 0, 0, 1, 2, 0, 0});  // bottom row first
  spec.table = testing::ColourTable(256, testing::TestPaletteColour);
  const std::vector<uint32_t> pixels = Screen(BuildBmp(spec), 2, 2);
  const std::vector<uint32_t> expected = {
      0xFF000000 | testing::TestPaletteColour(1), 0xFF000000 | testing::TestPaletteColour(2),
      0xFF000000 | testing::TestPaletteColour(3), 0xFF000000 | testing::TestPaletteColour(4)};
  EXPECT_EQ(pixels, expected);

  spec.height = -2;  // the same bytes, now the top row first
  const std::vector<uint32_t> topDown = Screen(BuildBmp(spec), 2, 2);
  EXPECT_EQ(topDown, (std::vector<uint32_t>{expected[2], expected[3], expected[0], expected[1]}));
}

TEST(ScreenImage, OneAndFourBitValuesGoThroughTheirTables) {
  BmpSpec mono = Spec(10, 1, 1, {0xA0, 0x40, 0, 0});  // 1 0 1 0 0 0 0 0 | 0 1
  mono.table = {0, 0, 255, 0, 0, 255, 0, 0};          // red, green
  EXPECT_EQ(Screen(BuildBmp(mono), 10, 1), (std::vector<uint32_t>{kGreen, kRed, kGreen, kRed, kRed,
                                                                  kRed, kRed, kRed, kRed, kGreen}));

  BmpSpec nibbles = Spec(3, 1, 4, {0x12, 0xF0, 0, 0});
  nibbles.table = testing::ColourTable(16, [](int i) { return uint32_t(i) * 0x111111u; });
  EXPECT_EQ(Screen(BuildBmp(nibbles), 3, 1),
            (std::vector<uint32_t>{0xFF111111, 0xFF222222, kWhite}));
}

TEST(ScreenImage, SixteenBitWithoutCompressionIsFiveFiveFive) {
  BmpSpec spec = Spec(5, 1, 16, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F, 0x21, 0x04, 0, 0});
  EXPECT_EQ(Screen(BuildBmp(spec), 5, 1),
            (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite, 0xFF080808}));
}

TEST(ScreenImage, SixteenBitFieldsFollowTheirMasks) {
  BmpSpec spec = Spec(3, 1, 16, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0});
  spec.compression = 3;
  spec.table = Masks(0xF800, 0x07E0, 0x001F);
  EXPECT_EQ(Screen(BuildBmp(spec), 3, 1), (std::vector<uint32_t>{kRed, kGreen, kBlue}));

  // Without masks in the file, bit fields mean 5-6-5.
  spec.table.clear();
  EXPECT_EQ(Screen(BuildBmp(spec), 3, 1), (std::vector<uint32_t>{kRed, kGreen, kBlue}));
}

TEST(ScreenImage, TwentyFourBitRowsAreBlueGreenRedWithPadding) {
  BmpSpec spec = Spec(2, 2, 24,
                      {0xFF, 0, 0, 0, 0xFF, 0, 0xEE, 0xEE,          // bottom: blue, green
                       0, 0, 0xFF, 0x10, 0x20, 0x30, 0xEE, 0xEE});  // top: red, (0x30,0x20,0x10)
  EXPECT_EQ(Screen(BuildBmp(spec), 2, 2), (std::vector<uint32_t>{kRed, 0xFF302010, kBlue, kGreen}));
}

TEST(ScreenImage, ThirtyTwoBitIgnoresTheFourthByteUnlessMasksSayOtherwise) {
  BmpSpec spec = Spec(2, 1, 32, {0x01, 0x02, 0x03, 0x99, 0, 0, 0xFF, 0x00});
  EXPECT_EQ(Screen(BuildBmp(spec), 2, 1), (std::vector<uint32_t>{0xFF030201, kRed}));

  spec.compression = 3;
  spec.table = Masks(0xFF000000, 0x00FF0000, 0x0000FF00);  // red in the top byte
  EXPECT_EQ(Screen(BuildBmp(spec), 2, 1), (std::vector<uint32_t>{0xFF990302, 0xFF00FF00}));
}

TEST(ScreenImage, NeverLoadedBitmapShowsBlack) {
  std::unique_ptr<Bitmap> placeholder = CreateBitmap(2, 3);
  const ScreenImage& image = placeholder->ToScreenImage();
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 3);
  EXPECT_EQ(image.pixels, std::vector<uint32_t>(6, kBlack));
}

TEST(ScreenImage, FollowsEveryChangeOfThePixels) {
  BmpSpec spec = Spec(2, 1, 8, {1, 2, 0, 0});
  spec.table = testing::ColourTable(256, testing::TestPaletteColour);
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
  const uint32_t colour1 = 0xFF000000 | testing::TestPaletteColour(1);
  const uint32_t colour2 = 0xFF000000 | testing::TestPaletteColour(2);
  EXPECT_EQ(bitmap->ToScreenImage().pixels, (std::vector<uint32_t>{colour1, colour2}));

  std::unique_ptr<Bitmap> dot = LoadBitmap(BuildBmp(Spec(1, 1, 24, {7, 254, 1, 0})));  // colour 1
  dot->Draw(*bitmap->Canvas(), 1, 0);
  EXPECT_EQ(bitmap->ToScreenImage().pixels, (std::vector<uint32_t>{colour1, colour1}));

  bitmap->SetWidth(3);
  EXPECT_EQ(bitmap->ToScreenImage().width, 3);
  EXPECT_EQ(bitmap->ToScreenImage().pixels[2], 0xFF000000 | testing::TestPaletteColour(0));

  bitmap->mutableDibBits()[0] = 2;
  EXPECT_EQ(bitmap->ToScreenImage().pixels[0], colour2);

  bitmap->Clear();
  EXPECT_EQ(bitmap->ToScreenImage().width, 0);
  EXPECT_TRUE(bitmap->ToScreenImage().pixels.empty());
}

}  // namespace
}  // namespace dw
