#include <gtest/gtest.h>

#include <array>

#include "image/bitmap.h"
#include "tests/image/bmp_bytes.h"

namespace dw {
namespace {

using testing::BmpSpec;
using testing::BuildBmp;
using testing::LoadBitmap;

// An 8-bit image of the given rows (top row first) with the given colour table.
std::unique_ptr<Bitmap> Indexed(const std::vector<std::vector<uint8_t>>& rows,
                                const std::vector<uint8_t>& table, bool topDown = false) {
  BmpSpec spec;
  spec.width = int(rows[0].size());
  spec.height = topDown ? -int(rows.size()) : int(rows.size());
  spec.table = table;
  const int stride = (spec.width + 3) / 4 * 4;
  for (size_t r = 0; r < rows.size(); ++r) {
    const auto& row = rows[topDown ? r : rows.size() - 1 - r];
    spec.pixels.insert(spec.pixels.end(), row.begin(), row.end());
    spec.pixels.resize(spec.pixels.size() + stride - row.size(), 0);
  }
  return LoadBitmap(BuildBmp(spec));
}

std::vector<uint8_t> TestTable() {
  return testing::ColourTable(256, testing::TestPaletteColour);
}

std::vector<std::vector<uint32_t>> Indices(const Bitmap& bitmap) {
  std::vector<std::vector<uint32_t>> rows(bitmap.Height());
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) rows[y].push_back(bitmap.PixelAt(x, y));
  }
  return rows;
}

using Grid = std::vector<std::vector<uint32_t>>;

TEST(BitmapCanvas, KeepsIndicesWhenBothShareAPaletteOfDistinctColours) {
  std::unique_ptr<Bitmap> target = Indexed({{9, 9, 9, 9}, {9, 9, 9, 9}}, TestTable());
  std::unique_ptr<Bitmap> source = Indexed({{0, 255}, {17, 128}}, TestTable());
  source->Draw(*target->Canvas(), 1, 0);
  EXPECT_EQ(Indices(*target), (Grid{{9, 0, 255, 9}, {9, 17, 128, 9}}));
}

TEST(BitmapCanvas, ColourHeldTwiceBecomesItsLowestIndex) {
  std::vector<uint8_t> table = TestTable();
  for (int i : {7, 12}) {  // entries 7 and 12 repeat entry 3's colour
    std::copy(table.begin() + 12, table.begin() + 16, table.begin() + 4 * i);
  }
  table[4 * 12 + 3] = 0x55;  // the reserved byte is not part of the colour
  std::unique_ptr<Bitmap> target = Indexed({{0, 0, 0, 0}}, table);
  std::unique_ptr<Bitmap> source = Indexed({{7, 3, 12, 8}}, table);
  source->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(Indices(*target), (Grid{{3, 3, 3, 8}}));
}

TEST(BitmapCanvas, AbsentColourBecomesTheNearestWithTheLowestIndexOnTies) {
  std::vector<uint8_t> table = testing::ColourTable(256, [](int i) -> uint32_t {
    switch (i) {
      case 0:
        return 0xC8C8C8;
      case 1:
        return 0x0A0000;  // (10, 0, 0)
      case 2:
        return 0x000A00;  // (0, 10, 0)
      default:
        return 0xFFFFFF;
    }
  });
  std::unique_ptr<Bitmap> target = Indexed({{0, 0, 0, 0}}, table);
  BmpSpec spec;
  spec.width = 4;
  spec.bitCount = 24;
  // (5, 5, 0) is as near to entry 1 as to entry 2; (9, 1, 0) is nearest 1;
  // (0, 12, 0) nearest 2; (250, 250, 250) nearest the first white, entry 3.
  spec.pixels = {0, 5, 5, 0, 1, 9, 0, 12, 0, 250, 250, 250};
  std::unique_ptr<Bitmap> source = LoadBitmap(BuildBmp(spec));
  source->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(Indices(*target), (Grid{{1, 1, 2, 3}}));
}

TEST(BitmapCanvas, MappingFollowsEveryChangeOfEitherColourTable) {
  std::unique_ptr<Bitmap> target = Indexed({{0, 0, 0}}, TestTable());
  DrawingSurface& canvas = *target->Canvas();
  Indexed({{5}}, TestTable())->Draw(canvas, 0, 0);
  // The same index under a table shifted by one names the colour of index 6.
  std::vector<uint8_t> shifted =
      testing::ColourTable(256, [](int i) { return testing::TestPaletteColour((i + 1) % 256); });
  Indexed({{5}}, shifted)->Draw(canvas, 1, 0);
  EXPECT_EQ(Indices(*target), (Grid{{5, 6, 0}}));

  // The target now takes the shifted table: the colour of index 5 is its 4.
  target->LoadFromStream(*testing::MemoryStreamOf(BuildBmp([&] {
    BmpSpec spec;
    spec.width = 3;
    spec.table = shifted;
    spec.pixels = {0, 0, 0, 0};
    return spec;
  }())));
  Indexed({{5}}, TestTable())->Draw(*target->Canvas(), 2, 0);
  EXPECT_EQ(target->PixelAt(2, 0), 4u);
}

TEST(BitmapCanvas, ClipsAtEveryEdgeOfTheTarget) {
  const Grid blank{{50, 50, 50, 50}, {50, 50, 50, 50}, {50, 50, 50, 50}};
  std::unique_ptr<Bitmap> source = Indexed({{1, 2, 3}, {4, 5, 6}}, TestTable());
  struct Case {
    int x, y;
    Grid expected;
  };
  const Case cases[] = {
      {-1, -1, {{5, 6, 50, 50}, {50, 50, 50, 50}, {50, 50, 50, 50}}},
      {2, 2, {{50, 50, 50, 50}, {50, 50, 50, 50}, {50, 50, 1, 2}}},
      {3, -1, {{50, 50, 50, 4}, {50, 50, 50, 50}, {50, 50, 50, 50}}},
      {4, 0, blank},
      {0, 3, blank},
      {-3, 0, blank},
      {0, -2, blank},
      {2147483647, 0, blank},
      {-2147483647 - 1, -2147483647 - 1, blank},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Bitmap> target =
        Indexed({{50, 50, 50, 50}, {50, 50, 50, 50}, {50, 50, 50, 50}}, TestTable());
    source->Draw(*target->Canvas(), c.x, c.y);
    EXPECT_EQ(Indices(*target), c.expected) << c.x << "," << c.y;
  }
}

TEST(BitmapCanvas, TopDownSourceAndTargetPaintAtTheirOwnCoordinates) {
  std::unique_ptr<Bitmap> target = Indexed({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, TestTable(), true);
  std::unique_ptr<Bitmap> source = Indexed({{1, 2}, {3, 4}}, TestTable(), true);
  source->Draw(*target->Canvas(), 1, 1);
  EXPECT_EQ(Indices(*target), (Grid{{0, 0, 0}, {0, 1, 2}, {0, 3, 4}}));
}

TEST(BitmapCanvas, DirectColourTargetsReceiveTheColours) {
  BmpSpec spec;
  spec.width = 2;
  spec.bitCount = 24;
  spec.pixels = {0, 0, 0, 0, 0, 0, 0, 0};
  std::unique_ptr<Bitmap> target = LoadBitmap(BuildBmp(spec));
  std::unique_ptr<Bitmap> source = Indexed({{1, 200}}, TestTable());
  source->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(target->PixelAt(0, 0), testing::TestPaletteColour(1));
  EXPECT_EQ(target->PixelAt(1, 0), testing::TestPaletteColour(200));

  spec.bitCount = 16;  // 5-5-5
  spec.pixels = {0, 0, 0, 0};
  target = LoadBitmap(BuildBmp(spec));
  BmpSpec colours;
  colours.width = 2;
  colours.bitCount = 24;
  colours.pixels = {0, 0, 255, 255, 255, 255, 0, 0};  // red, white
  LoadBitmap(BuildBmp(colours))->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(target->PixelAt(0, 0), 0x7C00u);
  EXPECT_EQ(target->PixelAt(1, 0), 0x7FFFu);
}

TEST(BitmapCanvas, PaintingABitmapIntoItselfReadsTheOldPixels) {
  std::unique_ptr<Bitmap> bitmap = Indexed({{1, 2, 3, 4}, {5, 6, 7, 8}}, TestTable());
  bitmap->Draw(*bitmap->Canvas(), 1, 1);
  EXPECT_EQ(Indices(*bitmap), (Grid{{1, 2, 3, 4}, {5, 1, 2, 3}}));
}

TEST(BitmapCanvas, NeverLoadedBitmapsPaintBlackAndTakePaintAsBlackIndices) {
  std::vector<uint8_t> table = TestTable();
  std::fill(table.begin() + 4 * 40, table.begin() + 4 * 41, 0);  // black at entry 40
  std::unique_ptr<Bitmap> target = Indexed({{9, 9, 9}}, table);
  std::unique_ptr<Bitmap> placeholder = CreateBitmap(2, 1);
  placeholder->Draw(*target->Canvas(), 1, 0);
  EXPECT_EQ(Indices(*target), (Grid{{9, 40, 40}}));

  std::unique_ptr<Bitmap> blank = CreateBitmap(3, 1);
  DrawingSurface* canvas = blank->Canvas();
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(blank->pixelFormat(), PixelFormat::Bits8);
  Indexed({{5}}, TestTable())->Draw(*canvas, 2, 0);
  EXPECT_EQ(Indices(*blank), (Grid{{0, 0, 0}}));  // every entry of its table is black
}

TEST(BitmapCanvas, EmptyBitmapsHaveNoCanvasAndAnOldCanvasPaintsNothing) {
  Bitmap empty;
  EXPECT_EQ(empty.Canvas(), nullptr);
  std::unique_ptr<Bitmap> target = Indexed({{9, 9}}, TestTable());
  DrawingSurface* canvas = target->Canvas();
  target->Clear();
  Indexed({{1, 2}}, TestTable())->Draw(*canvas, 0, 0);
  EXPECT_TRUE(target->Empty());
  empty.Draw(*Indexed({{9}}, TestTable())->Canvas(), 0, 0);  // nothing to paint
}

}  // namespace
}  // namespace dw
