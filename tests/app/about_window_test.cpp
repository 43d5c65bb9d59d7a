#include "app/about_window.h"

#include <tuple>

#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using AboutWindowTest = ProgramTest;

TEST_F(AboutWindowTest, HasAFixedFrameWithoutCloseMinimiseOrMaximise) {
  const FrameLook look = FrameLookOf(*aboutWindow->form);
  EXPECT_FALSE(look.closeBox || look.minimiseBox || look.maximiseBox || look.resizable);
  EXPECT_EQ(look.title, "О Программе...");
  const TextLook title = TextLookOf(*aboutWindow->titleLabel);
  EXPECT_EQ(std::tuple(title.bold, title.colour, title.align, title.verticalAlign,
                       TextLookOf(*aboutWindow->dateLabel).colour, TextLookOf(*aboutWindow->dateCaption).colour),
            std::tuple(true, kDarkBlue, ui::Align::Centre, ui::VerticalAlign::Centre, kDarkBlue,
                       ui::SystemWindowTextColour()));
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
    EXPECT_EQ(std::tuple(aboutWindow->form->modalResult, IsShownOnScreen(*aboutWindow->form),
                         IsWindowEnabledOnScreen(*window->form)),
              std::tuple(1, false, true));
  }
  EXPECT_EQ(std::tuple(runs, ui::IsEnding(*application), ui::SelectedCount(*window->frameList)),
            std::tuple(2, false, 1));
  SendKey(*window->frameList, 'S', ui::kAccelControl);  // the keys work again
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 8);
}

}  // namespace
}  // namespace dw::testing
