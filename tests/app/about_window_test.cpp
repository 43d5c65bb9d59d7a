#include "app/about_window.h"

#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using AboutWindowTest = ProgramTest;

TEST_F(AboutWindowTest, HasAFixedFrameWithoutCloseMinimiseOrMaximise) {
  const FrameLook look = FrameLookOf(*aboutWindow->form);
  EXPECT_FALSE(look.closeBox || look.minimiseBox || look.maximiseBox || look.resizable);
  EXPECT_EQ(WindowTitle(*aboutWindow->form), "О Программе...");
  const TextLook title = TextLookOf(*aboutWindow->titleLabel);
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(title.colour, kDarkBlue);
  EXPECT_EQ(title.align, ui::Align::Centre);
  EXPECT_EQ(title.verticalAlign, ui::VerticalAlign::Centre);
  EXPECT_EQ(TextLookOf(*aboutWindow->dateLabel).colour, kDarkBlue);
  EXPECT_EQ(TextLookOf(*aboutWindow->dateCaption).colour, ui::SystemWindowTextColour());
}

TEST_F(AboutWindowTest, RunsModallyAboveTheMainWindowUntilClosedByItsButtonAndShowsAgain) {
  Open(EightFrames());
  ui::Rect firstPlace;
  int runs = 0;
  auto inspectAndClose = [&] {
    if (++runs == 1) firstPlace = ScreenBounds(*aboutWindow->form);
    EXPECT_EQ(ScreenBounds(*aboutWindow->form), firstPlace);
    EXPECT_EQ(FrameLookOf(*aboutWindow->form).owner, window->form);
    EXPECT_FALSE(IsWindowEnabledOnScreen(*window->form));
    // The main window takes no input meanwhile: neither keys nor its close box.
    SendKey(*window->frameList, 'S', ui::kAccelControl);
    ClickCloseBox(*window->form);
    ClickCloseBox(*aboutWindow->form);  // refused: the run goes on
    ProcessEvents();
    EXPECT_TRUE(IsShownOnScreen(*aboutWindow->form));
    ClickControl(*aboutWindow->closeButton);
  };
  for (int run = 0; run < 2; ++run) {
    ScheduleAfter(50, inspectAndClose);
    ui::ChooseMenuItem(*window->mainMenu, kAboutItem);
    EXPECT_EQ(aboutWindow->form->modalResult, 1);
    EXPECT_FALSE(IsShownOnScreen(*aboutWindow->form));
    EXPECT_TRUE(IsWindowEnabledOnScreen(*window->form));
  }
  EXPECT_EQ(runs, 2);
  EXPECT_FALSE(ui::IsEnding(*application));
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 1);
  SendKey(*window->frameList, 'S', ui::kAccelControl);  // the keys work again
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 8);
}

}  // namespace
}  // namespace dw::testing
