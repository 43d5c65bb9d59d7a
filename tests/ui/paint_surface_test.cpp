// What a paint area shows: a bitmap drawn outside a paint event is on the
// screen at once; one drawn in the paint slot is what repaints show.
#include <QScrollArea>
#include <QScrollBar>

#include "tests/image/allocation_probe.h"
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
  ASSERT_EQ(std::pair(shown.width, shown.height), std::pair(20, 20));
  const struct {
    int x, y;
    uint32_t rgb;
  } probes[] = {{2, 3, 0xFF0000}, {4, 4, 0xFF0000}, {5, 3, 0x00FF00},
                {7, 4, 0x00FF00}, {2, 5, 0x0000FF}, {7, 6, 0xFFFF00}};
  for (const auto& p : probes) EXPECT_EQ(RgbAt(shown, p.x, p.y), p.rgb) << p.x << "," << p.y;
  EXPECT_TRUE(RgbAt(shown, 8, 6) != 0xFFFF00u && RgbAt(shown, 7, 7) != 0xFFFF00u);  // right of, below it
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
  EXPECT_EQ(std::pair(RgbAt(shown, 0, 0), RgbAt(shown, 5, 3)), std::pair(0xFF0000u, 0xFFFF00u));
  // A repaint of the window paints its descendants again, from the slot.
  const int before = paints;
  ui::RepaintNow(*form);
  EXPECT_EQ(std::pair(paints > before, RgbAt(dt::GrabControl(*area), 3, 0)), std::pair(true, 0x00FF00u));
}

// A hidden or empty area shows nothing; an image is clipped by the area.
TEST_F(PaintAreas, ImagesAreClippedByTheAreaAndAHiddenOrEmptyOneShowsNothing) {
  auto bitmap = MakeBitmap(40, 40, Grey);
  ui::SetVisible(*area, false);
  ui::SurfaceOf(*area).DrawBitmap(*bitmap, 0, 0);
  ui::SetVisible(*area, true);
  dt::ProcessEvents();
  EXPECT_NE(RgbAt(dt::GrabControl(*area), 1, 1), 0x808080u);
  ui::SurfaceOf(*area).DrawBitmap(*bitmap, 5, 5);
  const dw::ScreenImage shown = dt::GrabControl(*area);
  EXPECT_EQ(std::pair(RgbAt(shown, 19, 19), RgbAt(shown, 4, 4) != 0x808080u), std::pair(0x808080u, true));
  // Nothing spilled onto the window around the area.
  const dw::ScreenImage window = dt::GrabControl(*form);
  const ui::Rect where = ui::Bounds(*area);
  EXPECT_NE(RgbAt(window, where.right + 1, where.bottom + 1), 0x808080u);
  ui::SetControlWidth(*area, 0);
  ui::SurfaceOf(*area).DrawBitmap(*bitmap, 0, 0);
  EXPECT_EQ(dt::GrabControl(*area).width, 0);
}

TEST_F(PaintAreas, ClicksFireTheClickSlotAndTheHandCursorShowsOverTheArea) {
  int clicks = 0;
  ui::BindClick(*area, [&](ui::Control&) { ++clicks; });
  dt::ClickControl(*area);
  ui::PerformClick(*area);
  EXPECT_EQ(std::pair(clicks, dt::ShowsHandCursor(*area)), std::pair(2, false));
  ui::SetMouseCursor(*area, ui::Cursor::Hand);
  EXPECT_TRUE(dt::ShowsHandCursor(*area));
}

// A large frame shown in a small box: only what can be seen is converted for
// the screen, so showing and painting it hold little beyond the bitmap.
constexpr int kLarge = 4000;
constexpr int kScrollX = 1500, kScrollY = 2000;

uint32_t Stripes(int x, int y) {
  static constexpr uint32_t kColours[] = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF,
                                          0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808080,
                                          0x400000, 0x004000, 0x000040, 0xFFFFFF};
  return kColours[(x % 7 + 2 * (y % 5)) % 12];
}

class LargeImageInABox : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    form = &MakeForm(200, 150);
    box = &ui::CreateScrollArea(*form, ui::Edge::Sunken);
    ui::DockTo(*box, ui::Dock::Fill);
    area = &ui::CreatePaintArea(*box);
    ui::PlaceAt(*area, 0, 0);
    ui::SizeTo(*area, kLarge, kLarge);
    dt::ShowWindows(*app);
    auto* scroll = dynamic_cast<QScrollArea*>(ui::PlatformHandle(*box));
    ASSERT_NE(scroll, nullptr);
    scroll->horizontalScrollBar()->setValue(kScrollX);
    scroll->verticalScrollBar()->setValue(kScrollY);
    dt::ProcessEvents();
    bitmap = MakeBitmap(kLarge, kLarge, Stripes);
    ASSERT_EQ(bitmap->Width(), kLarge);
  }

  // What the box shows must be the bitmap's pixels under it.
  void ExpectBoxShowsTheBitmap() {
    const dw::ScreenImage window = dt::GrabControl(*form);
    const ui::Rect formAt = dt::ScreenBounds(*form), boxAt = dt::ScreenBounds(*box),
                   areaAt = dt::ScreenBounds(*area);
    EXPECT_EQ(areaAt.left, boxAt.left + 2 - kScrollX);
    EXPECT_EQ(areaAt.top, boxAt.top + 2 - kScrollY);
    int wrong = 0;
    for (int y = boxAt.top + 4; y < boxAt.top + 100; ++y) {
      for (int x = boxAt.left + 4; x < boxAt.left + 150; ++x) {
        const uint32_t expected = Stripes(x - areaAt.left, y - areaAt.top);
        const uint32_t shown = RgbAt(window, x - formAt.left, y - formAt.top);
        if (shown != expected && wrong++ < 3) {
          ADD_FAILURE() << "at " << x - areaAt.left << "," << y - areaAt.top << ": " << std::hex
                        << shown << " instead of " << expected;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  // The screen path may hold the visible part of the area once (4 bytes a
  // pixel) and some slack for the window system's own bookkeeping; a copy of
  // the whole image would be kLarge * kLarge * 4 = 64 MB.
  static constexpr int64_t kVisibleBytes = int64_t{200} * 150 * 4;
  static constexpr int64_t kSlack = int64_t{256} << 10;

  ui::Control* form = nullptr;
  ui::Control* box = nullptr;
  ui::Control* area = nullptr;
  std::unique_ptr<dw::Bitmap> bitmap;
};

// First shown outside a paint event, then painted by the slot as well.
TEST_F(LargeImageInABox, ShowingOrPaintingItHoldsOnlyTheVisiblePart) {
  for (bool painted : {false, true}) {
    SCOPED_TRACE(painted ? "painted" : "shown");
    if (painted) {
      ui::BindPaint(*area, [&](ui::Control& sender) { ui::SurfaceOf(sender).DrawBitmap(*bitmap, 0, 0); });
    }
    int64_t peak = 0;
    {
      dt::AllocationProbe probe;
      if (painted) ui::RepaintNow(*form);
      ui::SurfaceOf(*area).DrawBitmap(*bitmap, 0, 0);
      peak = probe.peakHeld();
    }
    EXPECT_LT(peak, kVisibleBytes + kSlack);
    ExpectBoxShowsTheBitmap();
  }
}

}  // namespace
