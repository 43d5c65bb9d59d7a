// A window's menu bar as the layer keeps it: one entry per template item, in
// template order, with its action, handler, accelerator and enabled state.
// Owned by the form's record; the Qt objects belong to the form's widget.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/window_layer.h"

class QAction;
class QMenu;
class QMenuBar;

namespace dw::ui {

class Menu {
 public:
  struct Item {
    std::string text;
    int parent = -1;
    bool separator = false;
    bool hasSubmenu = false;
    QAction* action = nullptr;  // a submenu's own action for items with a submenu
    QMenu* submenu = nullptr;
    Slot slot;
    uint8_t accelFlags = 0;
    int accelKey = 0;
    bool enabled = true;
  };

  Control* form = nullptr;
  QMenuBar* bar = nullptr;
  std::vector<Item> items;
};

}  // namespace dw::ui
