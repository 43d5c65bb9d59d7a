// Timers tick on the window thread while the loop runs.
#include "tests/ui/layer_fixture.h"

namespace {

using Timers = LayerTest;

// A timer ticks only while enabled, to its bound handler with the form as
// sender; an interval not above zero means one second.
TEST_F(Timers, TicksGoToTheBoundHandlerOnlyWhileEnabledAndZeroMeansOneSecond) {
  ui::Control& form = MakeForm();
  EXPECT_EQ(ui::TimerInterval(ui::CreateTimer(form, -5)), 1000);
  ui::Timer& timer = ui::CreateTimer(form, 10);
  std::vector<ui::Control*> senders;
  ui::BindTick(timer, [&](ui::Control& sender) { senders.push_back(&sender); });
  dt::ProcessEvents(50);
  EXPECT_TRUE(senders.empty());  // not enabled yet
  ui::EnableTimer(timer, true);
  for (int waited = 0; senders.size() < 2 && waited < 5000; waited += 20) dt::ProcessEvents(20);
  ASSERT_GE(senders.size(), 2u);
  EXPECT_EQ(senders[0], &form);
  ui::EnableTimer(timer, false);
  const size_t stopped = senders.size();
  dt::ProcessEvents(60);
  EXPECT_EQ(senders.size(), stopped);

  ui::Timer& slow = ui::CreateTimer(form, 0);
  EXPECT_EQ(ui::TimerInterval(slow), 1000);
  int ticks = 0;
  ui::BindTick(slow, [&](ui::Control&) { ++ticks; });
  ui::EnableTimer(slow, true);
  dt::ProcessEvents(500);
  EXPECT_EQ(ticks, 0);
  for (int waited = 0; ticks == 0 && waited < 5000; waited += 100) dt::ProcessEvents(100);
  EXPECT_EQ(ticks, 1);
}

TEST_F(Timers, ATimerDiesWithItsForm) {
  ui::Control& form = MakeForm();
  ui::Timer& timer = ui::CreateTimer(form, 1);
  int ticks = 0;
  ui::BindTick(timer, [&](ui::Control&) { ++ticks; });
  ui::EnableTimer(timer, true);
  dt::FreeApplication(*app);
  app = nullptr;
  dt::ProcessEvents(20);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
