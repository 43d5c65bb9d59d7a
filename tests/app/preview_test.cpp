#include "app/preview.h"

#include "tests/app/program_fixture.h"

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

}  // namespace
}  // namespace dw::testing
