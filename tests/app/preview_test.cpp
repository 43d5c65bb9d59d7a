#include "app/preview.h"

#include "tests/app/program_fixture.h"
#include "tests/image/allocation_probe.h"

namespace dw::testing {
namespace {

using PreviewTest = ProgramTest;

// A frame deselected by Ctrl+click is still shown; of a Shift run only the
// current frame is.
TEST_F(PreviewTest, TheCurrentFrameIsShownWhateverIsSelected) {
  const ArchiveSpec plan = EightFrames();
  Open(plan);
  ClickItem(*window->frameList, 2);
  ClickItem(*window->frameList, 3, /*ctrl=*/true);
  ClickItem(*window->frameList, 3, /*ctrl=*/true);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 1);  // only frame 2
  ExpectFrame(plan.frames[3]);
  ClickItem(*window->frameList, 1);
  ClickItem(*window->frameList, 4, /*ctrl=*/false, /*shift=*/true);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 4);
  ExpectFrame(plan.frames[4]);
  SendKey(*window->frameList, ui::kKeyDown);
  ExpectFrame(plan.frames[5]);
}

TEST_F(PreviewTest, ALargeFrameIsShownAndPaintedHoldingOnlyWhatTheBoxShows) {
  ArchiveSpec big = EightFrames();
  big.frames[0] = MakeFrame(0, 4000, 4000, 2, 2, 3, 4, {9, 10, 11, 12});
  ui::SetClientSize(*window->form, 500, 300);
  Open(big, "big.def");
  ProcessEvents();
  ASSERT_EQ(ui::Bounds(*window->previewArea), (ui::Rect{0, 0, 4000, 4000}));
  int64_t peak = 0;
  {
    AllocationProbe probe;
    ShowShownImage(*window);
    ui::RepaintNow(*window->form);
    peak = probe.peakHeld();
  }
  // At most the client area (more than the box shows) once at 4 bytes a pixel,
  // and slack for the window system; the whole frame would be 64 MB.
  EXPECT_LT(peak, int64_t{500} * 300 * 4 + (int64_t{256} << 10));

  const ScreenImage shown = GrabControl(*window->form);
  const ui::Rect formAt = ScreenBounds(*window->form), areaAt = ScreenBounds(*window->previewArea);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const size_t at = static_cast<size_t>(areaAt.top - formAt.top + y) * shown.width +
                        (areaAt.left - formAt.left + x);
      ASSERT_LT(at, shown.pixels.size());
      EXPECT_EQ(shown.pixels[at] & 0xFFFFFF, TestColour(FrameIndexAt(big.frames[0], x, y)))
          << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace dw::testing
