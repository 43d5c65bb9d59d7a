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

TEST(MenuTemplate, SeparatorsCountAndSubmenusNest) {
  EXPECT_EQ(Shape({"A", "(", "a1", "-", "a2", "(", "x", "y", ")", "a3", ")", "B", "(", "b1", ")"}),
            (std::vector<std::string>{"A@-1+", "a1@0", "-@0|", "a2@0+", "x@3", "y@3", "a3@0",
                                      "B@-1+", "b1@7"}));
}

TEST(MenuTemplate, TheEmptyStringEndsTheTemplate) {
  EXPECT_EQ(Shape({"A", "", "B", "C"}), std::vector<std::string>{"A@-1"});
  EXPECT_TRUE(Shape({}).empty());
}

TEST(MenuTemplate, UnbalancedBracketsAreIgnored) {
  EXPECT_EQ(Shape({"(", ")", "A", "(", "a", ")", ")", "-", "(", "B"}),
            (std::vector<std::string>{"A@-1+", "a@0", "-@-1|", "B@-1"}));
}

TEST(MenuTemplate, TabSeparatesCaptionAndShortcutText) {
  EXPECT_EQ(ItemCaption("Выход\tAlt+X"), "Выход");
  EXPECT_EQ(ItemShortcutText("Выход\tAlt+X"), "Alt+X");
  EXPECT_EQ(ItemCaption("About"), "About");
  EXPECT_EQ(ItemShortcutText("About"), "");
}

}  // namespace
