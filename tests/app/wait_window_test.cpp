#include "app/wait_window.h"

#include <algorithm>
#include <tuple>

#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using WaitWindowTest = ProgramTest;

TEST_F(WaitWindowTest, ShowsEachTextPaintedAboveTheMainWindowAndHidesAgain) {
  ui::Control& form = *waitWindow->form;
  const FrameLook look = FrameLookOf(form);
  EXPECT_EQ(std::tuple(look.minimiseBox, look.maximiseBox, look.title, TextLookOf(*waitWindow->messageLabel).align,
                       IsShownOnScreen(form)),
            std::tuple(false, false, std::string("Пожалуйста, подождите..."), ui::Align::Centre, false));

  std::vector<uint32_t> before;
  for (const std::string text : {"Компануем спрайты...", "Сохраняем спрайты..."}) {
    ShowWaitMessage(text);  // no event processing: it must be on screen already
    EXPECT_TRUE(IsShownOnScreen(form));
    EXPECT_EQ(FrameLookOf(form).owner, window->form);
    EXPECT_EQ(TextLookOf(*waitWindow->messageLabel).text, text);
    const ScreenImage label = GrabControl(*waitWindow->messageLabel);
    const size_t inked = std::count_if(label.pixels.begin(), label.pixels.end(), [&](uint32_t p) {
      return (p & 0xFFFFFF) != (label.pixels[0] & 0xFFFFFF);
    });
    EXPECT_GT(inked, 20u);
    EXPECT_NE(label.pixels, before);  // the new text, not the old one
    before = label.pixels;
    HideWait();
    EXPECT_FALSE(IsShownOnScreen(form));
  }
  ShowWaitMessage("x");
  ClickCloseBox(form);  // only HideWait hides it
  ProcessEvents();
  EXPECT_TRUE(IsShownOnScreen(form));
}

}  // namespace
}  // namespace dw::testing
