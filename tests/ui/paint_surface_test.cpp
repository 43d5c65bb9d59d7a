// What a paint area shows: a bitmap drawn outside a paint event is on the
// screen at once; one drawn in the paint slot is what repaints show.
#include "tests/ui/layer_fixture.h"

namespace {

uint32_t Quadrants(int x, int y) {
  if (y < 2) return x < 3 ? 0xFF0000 : 0x00FF00;
  return x < 3 ? 0x0000FF : 0xFFFF00;
}

uint32_t Grey(int, int) {
  return 0x808080;
}

class PaintAreas : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    form = &MakeForm(200, 150);
    area = &ui::CreatePaintArea(*form);
    ui::PlaceAt(*area, 10, 10);
    ui::SizeTo(*area, 20, 20);
    dt::ShowWindows(*app);
  }
  ui::Control* form = nullptr;
  ui::Control* area = nullptr;
};

TEST_F(PaintAreas, DrawingOutsideAPaintEventShowsAtOnce) {
  auto bitmap = MakeBitmap(6, 4, Quadrants);
  ui::SurfaceOf(*area).DrawBitmap(*bitmap, 2, 3);
  // No event processing in between: the pixels are on the screen already.
  const dw::ScreenImage shown = dt::GrabControl(*area);
  ASSERT_EQ(shown.width, 20);
  ASSERT_EQ(shown.height, 20);
  const struct {
    int x, y;
    uint32_t rgb;
  } probes[] = {{2, 3, 0xFF0000}, {4, 4, 0xFF0000}, {5, 3, 0x00FF00},
                {7, 4, 0x00FF00}, {2, 5, 0x0000FF}, {7, 6, 0xFFFF00}};
  for (const auto& p : probes) EXPECT_EQ(RgbAt(shown, p.x, p.y), p.rgb) << p.x << "," << p.y;
  EXPECT_NE(RgbAt(shown, 8, 6), 0xFFFF00u);  // right of the image
  EXPECT_NE(RgbAt(shown, 7, 7), 0xFFFF00u);  // below it
}

TEST_F(PaintAreas, ThePaintSlotDrawsIntoThePaintEvent) {
  auto bitmap = MakeBitmap(6, 4, Quadrants);
  int paints = 0;
  ui::BindPaint(*area, [&](ui::Control& sender) {
    ++paints;
    ui::SurfaceOf(sender).DrawBitmap(*bitmap, 0, 0);
  });
  ui::RepaintNow(*area);
  EXPECT_GT(paints, 0);
  const dw::ScreenImage shown = dt::GrabControl(*area);
  EXPECT_EQ(RgbAt(shown, 0, 0), 0xFF0000u);
  EXPECT_EQ(RgbAt(shown, 5, 3), 0xFFFF00u);
  // A later repaint draws it again from the slot.
  ui::RepaintNow(*form);
  EXPECT_EQ(RgbAt(dt::GrabControl(*area), 3, 0), 0x00FF00u);
}

TEST_F(PaintAreas, ImagesAreClippedByTheArea) {
  auto bitmap = MakeBitmap(40, 40, Grey);
  ui::SurfaceOf(*area).DrawBitmap(*bitmap, 5, 5);
  const dw::ScreenImage shown = dt::GrabControl(*area);
  EXPECT_EQ(RgbAt(shown, 19, 19), 0x808080u);
  EXPECT_NE(RgbAt(shown, 4, 4), 0x808080u);
  // Nothing spilled onto the window around the area.
  const dw::ScreenImage window = dt::GrabControl(*form);
  const ui::Rect where = ui::Bounds(*area);
  EXPECT_NE(RgbAt(window, where.right + 1, where.bottom + 1), 0x808080u);
}

TEST_F(PaintAreas, AHiddenOrEmptyAreaShowsNothing) {
  auto bitmap = MakeBitmap(4, 4, Grey);
  ui::SetVisible(*area, false);
  ui::SurfaceOf(*area).DrawBitmap(*bitmap, 0, 0);
  ui::SetVisible(*area, true);
  dt::ProcessEvents();
  EXPECT_NE(RgbAt(dt::GrabControl(*area), 1, 1), 0x808080u);
  ui::SetControlWidth(*area, 0);
  ui::SurfaceOf(*area).DrawBitmap(*bitmap, 0, 0);
  EXPECT_EQ(dt::GrabControl(*area).width, 0);
}

TEST_F(PaintAreas, ClicksFireTheClickSlotAndTheHandCursorShowsOverTheArea) {
  int clicks = 0;
  ui::BindClick(*area, [&](ui::Control&) { ++clicks; });
  dt::ClickControl(*area);
  ui::PerformClick(*area);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(dt::ShowsHandCursor(*area));
  ui::SetMouseCursor(*area, ui::Cursor::Hand);
  EXPECT_TRUE(dt::ShowsHandCursor(*area));
}

}  // namespace
