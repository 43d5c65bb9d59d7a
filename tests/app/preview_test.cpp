#include "app/preview.h"

#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

class PreviewTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    Open(plan);
  }
  const ArchiveSpec plan = EightFrames();
};

TEST_F(PreviewTest, CtrlClickDeselectingAFrameStillShowsIt) {
  ClickItem(*window->frameList, 2);
  ClickItem(*window->frameList, 3, /*ctrl=*/true);
  ClickItem(*window->frameList, 3, /*ctrl=*/true);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 1);  // only frame 2
  ExpectFrame(plan.frames[3]);
}

TEST_F(PreviewTest, AShiftRunShowsOnlyTheCurrentFrame) {
  ClickItem(*window->frameList, 1);
  ClickItem(*window->frameList, 4, /*ctrl=*/false, /*shift=*/true);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 4);
  ExpectFrame(plan.frames[4]);
  SendKey(*window->frameList, ui::kKeyDown);
  ExpectFrame(plan.frames[5]);
}

TEST_F(PreviewTest, TheBoxScrollsOverAnImageLargerThanItself) {
  ArchiveSpec big = EightFrames();
  big.frames[0] = MakeFrame(0, 300, 250, 1, 1, 0, 0, {9});
  ui::SetClientSize(*window->form, 500, 200);
  EXPECT_FALSE(HorizontalScrollBar(*window->previewBox).visible);
  Open(big, "big.def");
  ProcessEvents();
  EXPECT_EQ(ui::Bounds(*window->previewArea), (ui::Rect{0, 0, 300, 250}));
  EXPECT_TRUE(HorizontalScrollBar(*window->previewBox).visible);
  EXPECT_TRUE(VerticalScrollBar(*window->previewBox).visible);
}

}  // namespace
}  // namespace dw::testing
