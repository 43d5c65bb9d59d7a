// Timers owned by a window, ticking on the window thread.
#include "ui/control_impl.h"
#include "ui/timer_impl.h"

namespace dw::ui {

Timer& CreateTimer(Control& form, int intervalMs) {
  auto owned = std::make_unique<Timer>();
  Timer& timer = *owned;
  timer.form = &form;
  timer.interval = intervalMs > 0 ? intervalMs : 1000;
  timer.timer.setInterval(timer.interval);
  QObject::connect(&timer.timer, &QTimer::timeout, &timer.timer, [&timer] {
    if (timer.form != nullptr) Fire(timer.slot, *timer.form);
  });
  ImplOf(form).timers.push_back(std::move(owned));
  return timer;
}

int TimerInterval(const Timer& timer) {
  return timer.interval;
}

void EnableTimer(Timer& timer, bool enabled) {
  if (enabled) {
    timer.timer.start();
  } else {
    timer.timer.stop();
  }
}

void BindTick(Timer& timer, Slot slot) {
  timer.slot = std::move(slot);
}

}  // namespace dw::ui
