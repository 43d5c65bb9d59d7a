#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <tuple>

#include "image/bitmap.h"
#include "image/screen_image.h"
#include "tests/image/bitmap_bytes.h"

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
    const ScreenImage image = MakeScreenImage(*bitmap);
    EXPECT_EQ(std::tuple(image.width, image.height, image.pixels),
              std::tuple(c.plan.width, std::abs(c.plan.height), c.expected));
  }
}

TEST(ScreenImage, FollowsEveryChangeOfThePixels) {
  std::unique_ptr<Bitmap> bitmap =
      LoadBitmap(BuildBmp(Layout(2, 1, 8, {1, 2, 0, 0}, t::TestTable())));
  EXPECT_EQ(MakeScreenImage(*bitmap).pixels, (Pixels{Opaque(1), Opaque(2)}));

  LoadBitmap(BuildBmp(Layout(1, 1, 24, {7, 254, 1, 0})))->Draw(*bitmap->Canvas(), 1, 0);  // colour 1
  EXPECT_EQ(MakeScreenImage(*bitmap).pixels, (Pixels{Opaque(1), Opaque(1)}));

  bitmap->SetWidth(3);
  EXPECT_EQ(MakeScreenImage(*bitmap).pixels, (Pixels{Opaque(1), Opaque(1), Opaque(0)}));

  bitmap->mutableDibBits()[0] = 2;
  EXPECT_EQ(MakeScreenImage(*bitmap).pixels[0], Opaque(2));

  // Clearing releases everything.
  bitmap->Clear();
  EXPECT_EQ(std::tuple(MakeScreenImage(*bitmap).width, MakeScreenImage(*bitmap).pixels.empty(),
                       bitmap->Height(), bitmap->dibHeader() == nullptr, bitmap->Canvas() == nullptr),
            std::tuple(0, true, 0, true, true));
}

// Every format, both row orders, with rows that need padding: the pixel bytes
// are arbitrary, so every value a row can hold turns up somewhere.
struct RegionCase {
  std::string what;
  PixelFormat format;
  t::BmpSpec plan;
};

std::vector<RegionCase> RegionCases() {
  constexpr int kWidth = 13, kHeight = 5;
  struct Format {
    const char* what;
    PixelFormat format;
    uint16_t bits;
    uint32_t compression;
    std::vector<uint8_t> table;
  };
  const auto masks = [](uint32_t red, uint32_t green, uint32_t blue) {
    std::vector<uint8_t> bytes;
    for (uint32_t m : {red, green, blue}) {
      bytes.insert(bytes.end(), {uint8_t(m), uint8_t(m >> 8), uint8_t(m >> 16), uint8_t(m >> 24)});
    }
    return bytes;
  };
  const Format formats[] = {
      {"1 bit", PixelFormat::Bits1, 1, 0, t::ColourTable(2, [](int i) { return i ? 0x12AB34u : 0xFE0102u; })},
      {"4 bits", PixelFormat::Bits4, 4, 0, t::ColourTable(16, [](int i) { return uint32_t(i) * 0x0F1E2Du; })},
      {"8 bits", PixelFormat::Bits8, 8, 0, t::TestTable()},
      {"16 bits", PixelFormat::Bits16, 16, 0, {}},
      {"16-bit fields 4-4-4", PixelFormat::Bits16Masks, 16, 3, masks(0x0F00, 0x00F0, 0x000F)},
      {"16-bit fields 5-6-5", PixelFormat::Bits16Masks, 16, 3, masks(0xF800, 0x07E0, 0x001F)},
      {"24 bits", PixelFormat::Bits24, 24, 0, {}},
      {"32 bits", PixelFormat::Bits32, 32, 0, {}},
      {"32-bit fields", PixelFormat::Bits32, 32, 3, masks(0xFF000000, 0x00FF0000, 0x0000FF00)},
  };
  std::mt19937 random(7);
  std::vector<RegionCase> cases;
  for (const Format& f : formats) {
    const size_t rowBytes = (kWidth * f.bits + 31) / 32 * 4;
    std::vector<uint8_t> pixels(rowBytes * kHeight);
    for (uint8_t& b : pixels) b = static_cast<uint8_t>(random());
    for (int height : {kHeight, -kHeight}) {
      cases.push_back({std::string(f.what) + (height < 0 ? ", top row first" : ", bottom row first"),
                       f.format, Layout(kWidth, height, f.bits, pixels, f.table, f.compression)});
    }
  }
  return cases;
}

TEST(ScreenRegion, EveryRectangleGivesThePixelsOfTheWholeImage) {
  for (const RegionCase& c : RegionCases()) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(c.plan));
    ASSERT_EQ(bitmap->Width(), 13);
    ASSERT_EQ(bitmap->pixelFormat(), c.format);
    ASSERT_EQ(bitmap->topDown(), c.plan.height < 0);
    const ScreenImage whole = MakeScreenImage(*bitmap);
    const int width = whole.width, height = whole.height;
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
      for (int h = 1; y + h <= height; ++h) {
        for (int x = 0; x < width; ++x) {
          for (int w = 1; x + w <= width; ++w) {
            // Rows further apart than the rectangle is wide; the gaps stay untouched.
            const int stride = w + 3;
            constexpr uint32_t kUntouched = 0x12345678;
            Pixels out(static_cast<size_t>(stride) * h, kUntouched);
            ASSERT_TRUE(ConvertToScreen(*bitmap, x, y, w, h, out.data(), stride));
            for (int r = 0; r < h; ++r) {
              for (int i = 0; i < stride; ++i) {
                const uint32_t expected =
                    i < w ? whole.pixels[static_cast<size_t>(y + r) * width + x + i] : kUntouched;
                if (out[static_cast<size_t>(r) * stride + i] != expected && wrong++ < 3) {
                  ADD_FAILURE() << "rectangle " << x << "," << y << " " << w << "x" << h
                                << ": pixel " << i << "," << r;
                }
              }
            }
          }
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(ScreenRegion, ANeverLoadedBitmapShowsBlackWholeOrInPart) {
  std::unique_ptr<Bitmap> placeholder = CreateBitmap(4, 3);
  const ScreenImage image = MakeScreenImage(*placeholder);
  Pixels out(6, 0);
  ASSERT_TRUE(ConvertToScreen(*placeholder, 1, 1, 3, 2, out.data(), 3));
  EXPECT_EQ(std::tuple(image.width, image.height, image.pixels, out),
            std::tuple(4, 3, Pixels(12, kBlack), Pixels(6, kBlack)));
}

TEST(ScreenRegion, RectanglesReachingOutsideTheImageWriteNothing) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(t::EightBit(4, 3, [](int, int) { return 1; })));
  const struct {
    int x, y, w, h;
  } outside[] = {{-1, 0, 2, 2}, {0, -1, 2, 2}, {3, 0, 2, 1}, {0, 2, 1, 2},  {0, 0, 0, 1},
                 {0, 0, 1, 0},  {0, 0, -1, 1}, {4, 0, 1, 1}, {0, 0, 5, 3}, {2, 1, 0x7FFFFFFF, 1}};
  for (const auto& r : outside) {
    Pixels out(16, 7);
    EXPECT_FALSE(ConvertToScreen(*bitmap, r.x, r.y, r.w, r.h, out.data(), 4))
        << r.x << "," << r.y << " " << r.w << "x" << r.h;
    EXPECT_EQ(out, Pixels(16, 7));
  }
  Pixels out(1, 7);
  EXPECT_FALSE(ConvertToScreen(*CreateBitmap(0, 0), 0, 0, 1, 1, out.data(), 1));
  EXPECT_FALSE(ConvertToScreen(*bitmap, 0, 0, 1, 1, nullptr, 1));
  EXPECT_EQ(out, Pixels(1, 7));
}

}  // namespace
}  // namespace dw
