// Helpers for tests of code built on the window layer: they drive the real
// widgets with synthetic input through Qt's ordinary event path (so the
// accelerator filter and the modal blocking see it, as they would a person's
// input) and read back what the windows show. Signatures use the standard
// library only, so tests need no Qt headers.
//
// Tests run on Qt's offscreen platform: set QT_QPA_PLATFORM=offscreen before
// the first CreateApplication (the test mains do).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "image/bitmap.h"
#include "image/screen_image.h"
#include "ui/keys.h"
#include "ui/window_layer.h"

namespace dw::testing {

using ui::Control;

// What RunMessageLoop does before it loops: makes the platform windows and
// shows the visible ones (firing their show slots); then lets the windows
// reach the screen.
void ShowWindows(Control& application);
// Runs the event loop for about ms milliseconds (at least one pass), so that
// posted requests, timers and paints happen.
void ProcessEvents(int ms = 0);
// Frees the application object and every window, as the end of
// RunMessageLoop does. The QApplication stays for the next application.
void FreeApplication(Control& application);
// Runs callback from the event loop after ms milliseconds: the way to act
// while a test is inside RunModal or RunMessageLoop.
void ScheduleAfter(int ms, std::function<void()> callback);

// A key pressed and released with the focus on target. key is a virtual-key
// code ('A'..'Z', '0'..'9', ui::kKeyDown, ...); flags combine ui::kAccelShift,
// ui::kAccelControl and ui::kAccelAlt. Input to a window that a modal run
// blocks is dropped, as the platform would drop it.
void SendKey(Control& target, int key, uint8_t flags = 0);
// A left click on item index of a list, with Ctrl and/or Shift held.
void ClickItem(Control& list, int index, bool ctrl = false, bool shift = false);
// A left double click on item index of a list.
void DoubleClickItem(Control& list, int index);
// A left click at the centre of the control.
void ClickControl(Control& control);
// The close box of a top-level window, as the platform reports it.
void ClickCloseBox(Control& form);

// Whether the window takes input now (not disabled, not blocked by a modal run).
bool IsWindowEnabledOnScreen(Control& form);
// Whether the window is the active one, and whether the control has the focus.
bool IsActiveWindow(Control& form);
bool HasFocus(Control& control);
// Whether the control's widget is shown (it and its window visible).
bool IsShownOnScreen(Control& control);

// What the control shows on the screen now, read from its window's screen
// pixels (offscreen: the window's backing store); a control that is not on
// the screen is rendered instead.
ScreenImage GrabControl(Control& control);
// A screenshot of the window (its client area and menu bar) as a PNG file.
bool SavePng(Control& form, const std::string& path);
// The control's rectangle in screen coordinates (a window: its client area
// including the menu bar, without the platform's frame).
ui::Rect ScreenBounds(Control& control);

// The size of the primary screen, the one CentreOnScreen centres on.
struct ScreenSize {
  int width = 0;
  int height = 0;
};
ScreenSize PrimaryScreenSize();

// How the platform shows a window's frame.
struct FrameLook {
  bool minimiseBox = false;
  bool maximiseBox = false;
  bool closeBox = false;
  bool resizable = false;  // the user can change its size
  // The window of the application that the window manager keeps this one
  // with (its transient parent); nullptr for none.
  Control* owner = nullptr;
  std::string title;
};
FrameLook FrameLookOf(Control& form);

// How a control's text is shown.
struct TextLook {
  std::string text;    // as the widget shows it
  int pixelSize = 0;   // character height of the font
  int lineHeight = 0;  // height of one line (the cell)
  bool bold = false;
  ui::Colour colour;   // text colour
  bool wraps = false;  // labels: long text wraps
  ui::Align align = ui::Align::Left;
  ui::VerticalAlign verticalAlign = ui::VerticalAlign::Top;
};
TextLook TextLookOf(Control& control);
// Whether the control shows the hand cursor.
bool ShowsHandCursor(Control& control);

// A menu item as its menu shows it: caption, the shortcut text at its right,
// whether it is greyed, and whether a key binding of Qt's own is attached to
// it (there never is: keys are the accelerator filter's business).
struct MenuItemLook {
  std::string caption;
  std::string shortcutText;
  bool greyed = false;
  bool hasQtShortcut = false;
};
MenuItemLook MenuItemLookOf(const ui::Menu& menu, int index);

// The horizontal or vertical scroll bar of a scrolling container.
struct ScrollBarLook {
  bool visible = false;
  int maximum = 0;  // range beyond the page
  int page = 0;
};
ScrollBarLook ScrollBarOf(Control& scrollArea, bool horizontal);
// The widget rectangle of a control relative to its parent's client area on
// the screen (what Qt placed, for checking against Bounds()).
ui::Rect WidgetGeometry(Control& control);

}  // namespace dw::testing
