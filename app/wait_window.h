// The Wait window: a small fixed window that tells the user a long operation
// runs. Long handlers work without returning to the message loop, so
// ShowWaitMessage paints the window itself before it returns.
#pragma once

#include <string>

#include "ui/window_layer.h"

namespace dw {

struct WaitWindow {
  ui::Control* form = nullptr;
  ui::Control* messageLabel = nullptr;
};

// Builds the hidden window under application; its form owns the record.
WaitWindow& CreateWaitWindow(ui::Control& application);

// The program's Wait window; null while none exists (it is reset when the
// window is freed).
extern WaitWindow* waitWindow;

// Sets the message, shows the window and paints it at once. Both do nothing
// while the program has no Wait window.
void ShowWaitMessage(const std::string& text);
void HideWait();

// Close request of the Wait and About windows: they never close; the request
// ends a modal run with the result -1.
void RefuseClose(ui::Control& form, bool& accept);

}  // namespace dw
