#include "app/composition.h"

#include "app/program_state.h"
#include "app/wait_window.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

class CompositionTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Open(plan);
  }
  // The strip of frames, in that order, one empty column apart with separator.
  void ExpectStrip(const std::vector<int>& frames, bool separator) {
    const int gap = separator ? 1 : 0;
    int width = -gap;
    for (int k : frames) width += plan.frames[k].fullWidth + gap;
    ExpectPreview(width, plan.frames[frames[0]].fullHeight, [&](int x, int y) {
      for (int k : frames) {  // a negative x is a separator column
        if (x < plan.frames[k].fullWidth) return FrameIndexAt(plan.frames[k], x, y);
        x -= plan.frames[k].fullWidth + gap;
      }
      return 0;
    });
  }
  const ArchiveSpec plan = EightFrames();
};

TEST_F(CompositionTest, JoinsTheSelectedFramesInListOrder) {
  ClickItem(*window->frameList, 3);
  ClickItem(*window->frameList, 2, /*ctrl=*/true);
  ClickItem(*window->frameList, 1, /*ctrl=*/true);
  ui::PerformClick(*window->composeButton);
  ExpectStrip({1, 2, 3}, /*separator=*/true);  // frame 2 is taller, 3 shorter than 1
  EXPECT_EQ(ui::Text(*waitWindow->messageLabel), "Компануем спрайты...");
  EXPECT_FALSE(IsShownOnScreen(*waitWindow->form));

  ClickControl(*window->separatorCheck);
  ExpectStrip({1, 2, 3}, /*separator=*/false);
  ClickControl(*window->separatorCheck);
  ExpectStrip({1, 2, 3}, /*separator=*/true);
}

TEST_F(CompositionTest, NothingSelectedLeavesEverythingAsItWas) {
  ClickItem(*window->frameList, 0, /*ctrl=*/true);
  ClickControl(*window->separatorCheck);
  EXPECT_FALSE(ui::IsChecked(*window->separatorCheck));
  EXPECT_EQ(ui::Text(*waitWindow->messageLabel), "<none>");
  ExpectStrip({0}, false);
}

}  // namespace
}  // namespace dw::testing
