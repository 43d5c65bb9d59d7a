#include <gtest/gtest.h>

#include "image/bitmap.h"
#include "tests/image/bitmap_bytes.h"

namespace dw {
namespace {

namespace t = dw::testing;
using t::BuildBmp;
using t::Grid;
using t::Indices;
using t::LoadBitmap;

// An 8-bit image of the given rows (top row first) with the given colour table.
std::unique_ptr<Bitmap> Indexed(const Grid& rows, std::vector<uint8_t> table = t::TestTable(),
                                bool topDown = false) {
  const int height = int(rows.size());
  t::BmpSpec plan = t::EightBit(int(rows[0].size()), height, [&](int x, int y) {
    return rows[topDown ? height - 1 - y : y][x];  // top-down: stored as they come
  });
  plan.table = std::move(table);
  if (topDown) plan.height = -height;
  return LoadBitmap(BuildBmp(plan));
}

TEST(BitmapCanvas, SharedPaletteKeepsIndicesAndClipsAtEveryEdgeOfTheTarget) {
  const Grid blank(3, {50, 50, 50, 50});
  std::unique_ptr<Bitmap> source = Indexed({{0, 255, 17}, {128, 5, 6}});
  struct Case {
    int x, y;
    Grid expected;
  };
  const Case cases[] = {
      {1, 0, {{50, 0, 255, 17}, {50, 128, 5, 6}, {50, 50, 50, 50}}},
      {-1, -1, {{5, 6, 50, 50}, {50, 50, 50, 50}, {50, 50, 50, 50}}},
      {2, 2, {{50, 50, 50, 50}, {50, 50, 50, 50}, {50, 50, 0, 255}}},
      {3, -1, {{50, 50, 50, 128}, {50, 50, 50, 50}, {50, 50, 50, 50}}},
      {4, 0, blank},
      {0, 3, blank},
      {-3, 0, blank},
      {0, -2, blank},
      {2147483647, 0, blank},
      {-2147483647 - 1, -2147483647 - 1, blank},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Bitmap> target = Indexed(blank);
    source->Draw(*target->Canvas(), c.x, c.y);
    EXPECT_EQ(Indices(*target), c.expected) << c.x << "," << c.y;
  }
}

TEST(BitmapCanvas, ColourHeldTwiceBecomesItsLowestIndex) {
  std::vector<uint8_t> table = t::TestTable();
  for (int i : {7, 12}) {  // entries 7 and 12 repeat entry 3's colour
    std::copy(table.begin() + 12, table.begin() + 16, table.begin() + 4 * i);
  }
  table[4 * 12 + 3] = 0x55;  // the reserved byte is not part of the colour
  std::unique_ptr<Bitmap> target = Indexed({{0, 0, 0, 0}}, table);
  Indexed({{7, 3, 12, 8}}, table)->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(Indices(*target), (Grid{{3, 3, 3, 8}}));
}

TEST(BitmapCanvas, AbsentColourBecomesTheNearestWithTheLowestIndexOnTies) {
  // Entry 1 is (10, 0, 0), entry 2 (0, 10, 0), entries from 3 on white.
  const uint32_t first[] = {0xC8C8C8, 0x0A0000, 0x000A00};
  std::unique_ptr<Bitmap> target = Indexed(
      {{0, 0, 0, 0}}, t::ColourTable(256, [&](int i) { return i < 3 ? first[i] : 0xFFFFFFu; }));
  // (5, 5, 0) is as near to entry 1 as to entry 2; (9, 1, 0) is nearest 1;
  // (0, 12, 0) nearest 2; (250, 250, 250) nearest the first white, entry 3.
  LoadBitmap(BuildBmp(t::Layout(4, 1, 24, {0, 5, 5, 0, 1, 9, 0, 12, 0, 250, 250, 250})))
      ->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(Indices(*target), (Grid{{1, 1, 2, 3}}));
}

TEST(BitmapCanvas, MappingFollowsEveryChangeOfEitherColourTable) {
  std::unique_ptr<Bitmap> target = Indexed({{0, 0, 0}});
  DrawingSurface& canvas = *target->Canvas();
  Indexed({{5}})->Draw(canvas, 0, 0);
  // The same index under a table shifted by one names the colour of index 6.
  const std::vector<uint8_t> shifted =
      t::ColourTable(256, [](int i) { return t::TestPaletteColour((i + 1) % 256); });
  Indexed({{5}}, shifted)->Draw(canvas, 1, 0);
  EXPECT_EQ(Indices(*target), (Grid{{5, 6, 0}}));

  // The target now takes the shifted table: the colour of index 5 is its 4.
  target->LoadFromStream(*t::MemoryStreamOf(BuildBmp(t::Layout(3, 1, 8, {0, 0, 0, 0}, shifted))));
  Indexed({{5}})->Draw(*target->Canvas(), 2, 0);
  EXPECT_EQ(target->PixelAt(2, 0), 4u);
}

TEST(BitmapCanvas, TopDownSourceAndTargetPaintAtTheirOwnCoordinates) {
  std::unique_ptr<Bitmap> target = Indexed(Grid(3, {0, 0, 0}), t::TestTable(), true);
  Indexed({{1, 2}, {3, 4}}, t::TestTable(), true)->Draw(*target->Canvas(), 1, 1);
  EXPECT_EQ(Indices(*target), (Grid{{0, 0, 0}, {0, 1, 2}, {0, 3, 4}}));
}

TEST(BitmapCanvas, DirectColourTargetsReceiveTheColours) {
  std::unique_ptr<Bitmap> target = LoadBitmap(BuildBmp(t::Layout(2, 1, 24, std::vector<uint8_t>(8))));
  Indexed({{1, 200}})->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(Indices(*target), (Grid{{t::TestPaletteColour(1), t::TestPaletteColour(200)}}));

  target = LoadBitmap(BuildBmp(t::Layout(2, 1, 16, {0, 0, 0, 0})));            // 5-5-5
  LoadBitmap(BuildBmp(t::Layout(2, 1, 24, {0, 0, 255, 255, 255, 255, 0, 0})))  // red, white
      ->Draw(*target->Canvas(), 0, 0);
  EXPECT_EQ(Indices(*target), (Grid{{0x7C00, 0x7FFF}}));
}

TEST(BitmapCanvas, PaintingABitmapIntoItselfReadsTheOldPixels) {
  std::unique_ptr<Bitmap> bitmap = Indexed({{1, 2, 3, 4}, {5, 6, 7, 8}});
  bitmap->Draw(*bitmap->Canvas(), 1, 1);
  EXPECT_EQ(Indices(*bitmap), (Grid{{1, 2, 3, 4}, {5, 1, 2, 3}}));
}

TEST(BitmapCanvas, NeverLoadedBitmapsPaintBlackAndTakePaintAsBlackIndices) {
  std::vector<uint8_t> table = t::TestTable();
  std::fill(table.begin() + 4 * 40, table.begin() + 4 * 41, 0);  // black at entry 40
  std::unique_ptr<Bitmap> target = Indexed({{9, 9, 9}}, table);
  CreateBitmap(2, 1)->Draw(*target->Canvas(), 1, 0);
  EXPECT_EQ(Indices(*target), (Grid{{9, 40, 40}}));

  std::unique_ptr<Bitmap> blank = CreateBitmap(3, 1);
  DrawingSurface* canvas = blank->Canvas();
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(blank->pixelFormat(), PixelFormat::Bits8);
  Indexed({{5}})->Draw(*canvas, 2, 0);
  EXPECT_EQ(Indices(*blank), (Grid{{0, 0, 0}}));  // every entry of its table is black
}

TEST(BitmapCanvas, EmptyBitmapsHaveNoCanvasAndAnOldCanvasPaintsNothing) {
  Bitmap empty;
  EXPECT_EQ(empty.Canvas(), nullptr);
  std::unique_ptr<Bitmap> target = Indexed({{9, 9}});
  DrawingSurface* canvas = target->Canvas();
  target->Clear();
  Indexed({{1, 2}})->Draw(*canvas, 0, 0);
  EXPECT_TRUE(target->Empty());
  empty.Draw(*Indexed({{9}})->Canvas(), 0, 0);  // nothing to paint
}

}  // namespace
}  // namespace dw
