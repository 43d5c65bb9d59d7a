// Top-level windows: close requests, the main window ending the loop, modal
// runs, show slots, frame styles and placement.
#include <tuple>

#include "tests/ui/layer_fixture.h"

namespace {

using Forms = LayerTest;

TEST_F(Forms, MainWindowCloseEndsTheLoopWithExitCodeZeroAndTheLoopCanRunAgain) {
  for (bool byCloseBox : {false, true}) {
    if (app == nullptr) app = &ui::CreateApplication("Again");
    ui::Control& main = MakeForm(300, 200, "Main");
    MakeForm(100, 50, "Other");
    int shows = 0;
    ui::BindShow(main, [&](ui::Control&) { ++shows; });
    dt::ScheduleAfter(20, [&] { byCloseBox ? dt::ClickCloseBox(main) : ui::RequestClose(main); });
    ui::Control* application = app;
    app = nullptr;  // the loop frees it
    EXPECT_EQ(ui::RunMessageLoop(*application), 0);
    EXPECT_EQ(shows, 1);
  }
}

// A bound handler decides (its flag starts true) unless the application is
// ending; an accepted close of the main window ends the application, of
// another window closes it. RequestClose is posted: the loop handles it later.
TEST_F(Forms, CloseRequestsAskTheHandlerThenCloseTheWindowOrEndTheApplication) {
  ui::Control& main = MakeForm();
  ui::Control& second = MakeForm();
  ui::Control& refusing = MakeForm();
  bool acceptMain = false;
  int asked = 0;
  ui::BindCloseRequest(main, [&](ui::Control& sender, bool& accept) {
    EXPECT_EQ(&sender, &main);
    EXPECT_TRUE(accept);
    ++asked;
    accept = acceptMain;
  });
  ui::BindCloseRequest(refusing, [](ui::Control&, bool& accept) { accept = false; });
  dt::ShowWindows(*app);
  dt::ClickCloseBox(main);
  ui::RequestClose(main);
  ui::RequestClose(second);
  EXPECT_TRUE(dt::IsShownOnScreen(second));
  dt::ProcessEvents();
  EXPECT_EQ(std::tuple(asked, dt::IsShownOnScreen(main), dt::IsShownOnScreen(second), ui::IsVisible(second),
                       ui::IsEnding(*app)),
            std::tuple(2, true, false, false, false));
  acceptMain = true;
  dt::ClickCloseBox(main);
  EXPECT_EQ(std::pair(ui::IsEnding(*app), dt::IsShownOnScreen(main)), std::pair(true, false));
  dt::ClickCloseBox(refusing);
  EXPECT_FALSE(dt::IsShownOnScreen(refusing));
}

class Modal : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    main = &MakeForm(300, 200, "Main");
    list = &ui::CreateListBox(*main);
    ui::AddItem(*list, "a");
    about = &MakeForm(200, 100, "About");
    ui::SetVisible(*about, false);
    dt::ShowWindows(*app);
  }
  ui::Control* main = nullptr;
  ui::Control* list = nullptr;
  ui::Control* about = nullptr;
};

// A window shown for a moment while a handler works (the Wait window) takes
// the activation; hiding it must hand the keyboard back.
TEST_F(Modal, HidingTheActiveWindowActivatesTheOneItTookOverFrom) {
  dt::ClickItem(*list, 0);
  ASSERT_TRUE(dt::HasFocus(*list));
  ui::SetVisible(*about, true);
  dt::ProcessEvents();
  EXPECT_TRUE(dt::IsActiveWindow(*about));
  ui::SetVisible(*about, false);
  dt::ProcessEvents();
  EXPECT_TRUE(dt::IsActiveWindow(*main));
  EXPECT_TRUE(dt::HasFocus(*list));
}

// A close request to the window ends the run with -1, past its slot; a posted
// close of the main window ends the application, and with it the run, with 0.
TEST_F(Modal, ACloseRequestEndsTheRunWithMinusOneAndAnEndingApplicationWithZero) {
  int slotCalls = 0;
  ui::BindCloseRequest(*about, [&](ui::Control&, bool& accept) {
    ++slotCalls;
    accept = false;
  });
  dt::ScheduleAfter(10, [&] { dt::ClickCloseBox(*about); });
  EXPECT_EQ(ui::RunModal(*about), -1);
  EXPECT_EQ(slotCalls, 0);
  EXPECT_TRUE(dt::IsWindowEnabledOnScreen(*main));
  dt::ProcessEvents();
  EXPECT_TRUE(dt::IsActiveWindow(*main));  // the window active before the run
  ui::SetVisible(*about, false);
  dt::ScheduleAfter(10, [&] { ui::RequestClose(*about); });
  EXPECT_EQ(ui::RunModal(*about), -1);
  // The main window is blocked for the user, but a posted request still closes it.
  dt::ScheduleAfter(10, [&] { ui::RequestClose(*main); });
  EXPECT_EQ(ui::RunModal(*about), 0);
  EXPECT_TRUE(ui::IsEnding(*app));
}

// Hidden windows stay hidden when the loop starts; RaiseToTop shows one.
TEST_F(Forms, ShowSlotFiresOnEachChangeFromHiddenToVisible) {
  ui::Control& form = MakeForm();
  ui::Control& hidden = MakeForm();
  ui::SetVisible(hidden, false);
  int shows = 0;
  ui::BindShow(form, [&](ui::Control&) { ++shows; });
  ui::SetVisible(form, true);  // no platform window yet: only recorded
  EXPECT_EQ(shows, 0);
  dt::ShowWindows(*app);
  ui::SetVisible(form, true);
  EXPECT_EQ(std::tuple(shows, dt::IsShownOnScreen(form), dt::IsShownOnScreen(hidden)), std::tuple(1, true, false));
  // Replacing the frame style while shown is no new showing.
  ui::SetStyle(form, ui::StyleOf(form) & ~ui::kStyleMaximizeBox);
  EXPECT_TRUE(dt::IsShownOnScreen(form));
  EXPECT_EQ(shows, 1);
  ui::SetVisible(form, false);
  ui::SetVisible(form, true);
  EXPECT_EQ(shows, 2);
  ui::RaiseToTop(hidden);
  EXPECT_TRUE(dt::IsShownOnScreen(hidden));
}

TEST_F(Forms, FrameStyleDecidesTheBoxes) {
  ui::Control& form = MakeForm();
  dt::FrameLook look = dt::FrameLookOf(form);
  EXPECT_TRUE(look.minimiseBox && look.maximiseBox && look.closeBox && look.resizable);
  ui::SetStyle(form, ui::StyleOf(form) & ~(ui::kStyleMinimizeBox | ui::kStyleMaximizeBox));
  look = dt::FrameLookOf(form);
  EXPECT_TRUE(!look.minimiseBox && !look.maximiseBox && look.closeBox);
  EXPECT_EQ(ui::StyleOf(form), ui::kStyleCaption | ui::kStyleSystemMenu | ui::kStyleSizingFrame);
}

TEST_F(Forms, CentreOnScreenHalvesWithAnArithmeticShift) {
  ui::Control& form = ui::CreateForm(*app, "Centred");
  const dt::ScreenSize screen = dt::PrimaryScreenSize();
  // The second size is larger than the screen: -3 / 2 rounds down to -2.
  for (auto [w, h] : {std::pair{321, 65}, {screen.width + 3, screen.height + 5}}) {
    ui::SizeTo(form, w, h);
    ui::CentreOnScreen(form);
    EXPECT_EQ(ui::Bounds(form),
              (ui::Rect{(screen.width - w) >> 1, (screen.height - h) >> 1,
                        ((screen.width - w) >> 1) + w, ((screen.height - h) >> 1) + h}));
  }
  EXPECT_EQ(ui::Bounds(form).left, -2);
}

}  // namespace
