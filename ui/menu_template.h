// Reading a menu template: a list of strings, each an item; "(" after an item
// opens that item's submenu up to the matching ")"; a lone "-" is a separator
// line; the empty string (or the end of the list) ends the template. Items are
// numbered from 0 in template order, brackets not counted. Plain data, so the
// numbering can be checked without widgets.
#pragma once

#include <string>
#include <vector>

namespace dw::ui {

struct MenuTemplateItem {
  std::string text;  // as given, "\t" and shortcut text included
  int parent = -1;   // number of the item whose submenu holds it; -1: the menu bar
  bool separator = false;
  bool hasSubmenu = false;
};

// Unbalanced brackets are forgiven: a "(" with no item before it on its level
// and a ")" with no open submenu are ignored.
std::vector<MenuTemplateItem> ReadMenuTemplate(const std::vector<std::string>& menuTemplate);

// The text shown as the item's name, and the shortcut text shown at its right.
std::string ItemCaption(const std::string& text);
std::string ItemShortcutText(const std::string& text);

}  // namespace dw::ui
