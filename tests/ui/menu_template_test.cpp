// Numbering of menu templates, without widgets.
#include "ui/menu_template.h"

#include <gtest/gtest.h>

namespace {

using dw::ui::ItemCaption;
using dw::ui::ItemShortcutText;
using dw::ui::ReadMenuTemplate;

// Each item as "text@parent", then "+" for a submenu and "|" for a separator.
std::vector<std::string> Shape(const std::vector<std::string>& menuTemplate) {
  std::vector<std::string> shape;
  for (const auto& item : ReadMenuTemplate(menuTemplate)) {
    shape.push_back(item.text + "@" + std::to_string(item.parent) + (item.hasSubmenu ? "+" : "") +
                    (item.separator ? "|" : ""));
  }
  return shape;
}

// Separators count and submenus nest; the empty string ends the template;
// unbalanced brackets are ignored.
TEST(MenuTemplate, ItemsNumberAndNest) {
  using Strings = std::vector<std::string>;
  const std::pair<Strings, Strings> rows[] = {
      {{"A", "(", "a1", "-", "a2", "(", "x", "y", ")", "a3", ")", "B", "(", "b1", ")"},
       {"A@-1+", "a1@0", "-@0|", "a2@0+", "x@3", "y@3", "a3@0", "B@-1+", "b1@7"}},
      {{"A", "", "B", "C"}, {"A@-1"}},
      {{}, {}},
      {{"(", ")", "A", "(", "a", ")", ")", "-", "(", "B"}, {"A@-1+", "a@0", "-@-1|", "B@-1"}}};
  for (const auto& [menuTemplate, shape] : rows) EXPECT_EQ(Shape(menuTemplate), shape);
}

TEST(MenuTemplate, TabSeparatesCaptionAndShortcutText) {
  EXPECT_EQ((std::vector<std::string>{ItemCaption("Выход\tAlt+X"), ItemShortcutText("Выход\tAlt+X"),
                                      ItemCaption("About"), ItemShortcutText("About")}),
            (std::vector<std::string>{"Выход", "Alt+X", "About", ""}));
}

}  // namespace
