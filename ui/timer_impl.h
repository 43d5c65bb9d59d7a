// A window's timer: owned by the form's record, ticking on the window thread.
#pragma once

#include <QTimer>

#include "ui/window_layer.h"

namespace dw::ui {

class Timer {
 public:
  Control* form = nullptr;
  QTimer timer;
  int interval = 1000;
  Slot slot;
};

}  // namespace dw::ui
