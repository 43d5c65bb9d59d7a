#include "ui/menu_template.h"

namespace dw::ui {

std::vector<MenuTemplateItem> ReadMenuTemplate(const std::vector<std::string>& menuTemplate) {
  std::vector<MenuTemplateItem> items;
  std::vector<int> open;  // items whose submenus are being filled
  int lastOnLevel = -1;   // the item a "(" would open
  for (const std::string& entry : menuTemplate) {
    if (entry.empty()) break;
    if (entry == "(") {
      if (lastOnLevel < 0) continue;
      items[lastOnLevel].hasSubmenu = true;
      open.push_back(lastOnLevel);
      lastOnLevel = -1;
      continue;
    }
    if (entry == ")") {
      if (open.empty()) continue;
      lastOnLevel = open.back();
      open.pop_back();
      continue;
    }
    MenuTemplateItem item;
    item.text = entry;
    item.parent = open.empty() ? -1 : open.back();
    item.separator = entry == "-";
    items.push_back(item);
    lastOnLevel = item.separator ? -1 : static_cast<int>(items.size()) - 1;
  }
  return items;
}

std::string ItemCaption(const std::string& text) {
  return text.substr(0, text.find('\t'));
}

std::string ItemShortcutText(const std::string& text) {
  const size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

}  // namespace dw::ui
