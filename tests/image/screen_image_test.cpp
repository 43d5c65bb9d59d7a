#include <gtest/gtest.h>

#include <cstdlib>

#include "image/bitmap.h"
#include "tests/image/bmp_bytes.h"

namespace dw {
namespace {

namespace t = dw::testing;
using t::BuildBmp;
using t::LoadBitmap;
using t::Layout;
using Pixels = std::vector<uint32_t>;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

uint32_t Opaque(int testColour) {
  return 0xFF000000 | t::TestPaletteColour(testColour);
}

TEST(ScreenImage, EveryPixelLayoutGivesTopRowFirstColours) {
  struct Case {
    const char* what;
    t::BmpSpec plan;
    Pixels expected;
  };
  const Case cases[] = {
      {"8 bits, bottom row first",
       Layout(2, 2, 8, {3, 4, 0, 0, 1, 2, 0, 0}, t::TestTable()),
       {Opaque(1), Opaque(2), Opaque(3), Opaque(4)}},
      {"8 bits, top row first",
       Layout(2, -2, 8, {3, 4, 0, 0, 1, 2, 0, 0}, t::TestTable()),
       {Opaque(3), Opaque(4), Opaque(1), Opaque(2)}},
      {"1 bit",
       Layout(10, 1, 1, {0xA0, 0x40, 0, 0}, {0, 0, 255, 0, 0, 255, 0, 0}),  // red, green
       {kGreen, kRed, kGreen, kRed, kRed, kRed, kRed, kRed, kRed, kGreen}},
      {"4 bits",
       Layout(3, 1, 4, {0x12, 0xF0, 0, 0},
            t::ColourTable(16, [](int i) { return uint32_t(i) * 0x111111u; })),
       {0xFF111111, 0xFF222222, kWhite}},
      {"16 bits without compression: 5-5-5",
       Layout(5, 1, 16, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F, 0x21, 0x04, 0, 0}),
       {kRed, kGreen, kBlue, kWhite, 0xFF080808}},
      {"16-bit fields",
       Layout(3, 1, 16, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0},
            {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}, 3),
       {kRed, kGreen, kBlue}},
      {"16-bit fields without masks: 5-6-5",
       Layout(3, 1, 16, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0}, {}, 3),
       {kRed, kGreen, kBlue}},
      {"24 bits: blue, green, red with padding",
       Layout(2, 2, 24,
            {0xFF, 0, 0, 0, 0xFF, 0, 0xEE, 0xEE,          // bottom: blue, green
             0, 0, 0xFF, 0x10, 0x20, 0x30, 0xEE, 0xEE}),  // top: red, (0x30,0x20,0x10)
       {kRed, 0xFF302010, kBlue, kGreen}},
      {"32 bits ignore the fourth byte",
       Layout(2, 1, 32, {0x01, 0x02, 0x03, 0x99, 0, 0, 0xFF, 0}),
       {0xFF030201, kRed}},
      {"32-bit fields, red in the top byte",
       Layout(2, 1, 32, {0x01, 0x02, 0x03, 0x99, 0, 0, 0xFF, 0},
            {0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0}, 3),
       {0xFF990302, 0xFF00FF00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(c.plan));
    const ScreenImage& image = bitmap->ToScreenImage();
    EXPECT_EQ(image.width, c.plan.width);
    EXPECT_EQ(image.height, std::abs(c.plan.height));
    EXPECT_EQ(image.pixels, c.expected);
  }
}

TEST(ScreenImage, NeverLoadedBitmapShowsBlack) {
  std::unique_ptr<Bitmap> placeholder = CreateBitmap(2, 3);
  const ScreenImage& image = placeholder->ToScreenImage();
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 3);
  EXPECT_EQ(image.pixels, Pixels(6, kBlack));
}

TEST(ScreenImage, FollowsEveryChangeOfThePixels) {
  std::unique_ptr<Bitmap> bitmap =
      LoadBitmap(BuildBmp(Layout(2, 1, 8, {1, 2, 0, 0}, t::TestTable())));
  EXPECT_EQ(bitmap->ToScreenImage().pixels, (Pixels{Opaque(1), Opaque(2)}));

  LoadBitmap(BuildBmp(Layout(1, 1, 24, {7, 254, 1, 0})))->Draw(*bitmap->Canvas(), 1, 0);  // colour 1
  EXPECT_EQ(bitmap->ToScreenImage().pixels, (Pixels{Opaque(1), Opaque(1)}));

  bitmap->SetWidth(3);
  EXPECT_EQ(bitmap->ToScreenImage().pixels, (Pixels{Opaque(1), Opaque(1), Opaque(0)}));

  bitmap->mutableDibBits()[0] = 2;
  EXPECT_EQ(bitmap->ToScreenImage().pixels[0], Opaque(2));

  // Clearing releases everything.
  bitmap->Clear();
  EXPECT_EQ(bitmap->ToScreenImage().width, 0);
  EXPECT_TRUE(bitmap->ToScreenImage().pixels.empty());
  EXPECT_EQ(bitmap->Height(), 0);
  EXPECT_EQ(bitmap->dibHeader(), nullptr);
  EXPECT_EQ(bitmap->Canvas(), nullptr);
}

}  // namespace
}  // namespace dw
