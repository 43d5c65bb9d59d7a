// Numbering of menu templates, without widgets.
#include "ui/menu_template.h"

#include <gtest/gtest.h>

namespace {

using dw::ui::ItemCaption;
using dw::ui::ItemShortcutText;
using dw::ui::ReadMenuTemplate;

TEST(MenuTemplate, ItemsAreNumberedInTemplateOrderWithoutBrackets) {
  const auto items = ReadMenuTemplate({"Файл", "(", "Выход\tAlt+X", ")", "Действия", "(",
                                       "Отметить все спрайты\tCtrl+S", "Сохранить...\tCtrl+C",
                                       "Сохранить все...\tCtrl+A", ")", "О Программе...", ""});
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(items[0].text, "Файл");
  EXPECT_TRUE(items[0].hasSubmenu);
  EXPECT_EQ(items[0].parent, -1);
  EXPECT_EQ(items[1].text, "Выход\tAlt+X");
  EXPECT_EQ(items[1].parent, 0);
  EXPECT_EQ(items[2].text, "Действия");
  EXPECT_EQ(items[2].parent, -1);
  EXPECT_TRUE(items[2].hasSubmenu);
  for (int i = 3; i <= 5; ++i) EXPECT_EQ(items[i].parent, 2);
  EXPECT_EQ(items[6].text, "О Программе...");
  EXPECT_FALSE(items[6].hasSubmenu);
  EXPECT_EQ(items[6].parent, -1);
}

TEST(MenuTemplate, SeparatorsCountAndSubmenusNest) {
  const auto items = ReadMenuTemplate(
      {"A", "(", "a1", "-", "a2", "(", "x", "y", ")", "a3", ")", "B", "(", "b1", ")"});
  ASSERT_EQ(items.size(), 9u);
  EXPECT_TRUE(items[2].separator);
  EXPECT_EQ(items[2].parent, 0);
  EXPECT_TRUE(items[3].hasSubmenu);  // a2
  EXPECT_EQ(items[4].parent, 3);     // x
  EXPECT_EQ(items[5].parent, 3);     // y
  EXPECT_EQ(items[6].text, "a3");
  EXPECT_EQ(items[6].parent, 0);
  EXPECT_EQ(items[7].text, "B");
  EXPECT_EQ(items[8].parent, 7);
}

TEST(MenuTemplate, TheEmptyStringEndsTheTemplate) {
  const auto items = ReadMenuTemplate({"A", "", "B", "C"});
  ASSERT_EQ(items.size(), 1u);
  EXPECT_TRUE(ReadMenuTemplate({}).empty());
}

TEST(MenuTemplate, UnbalancedBracketsAreIgnored) {
  const auto items = ReadMenuTemplate({"(", ")", "A", "(", "a", ")", ")", "-", "(", "B"});
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[1].parent, 0);
  EXPECT_TRUE(items[2].separator);
  EXPECT_FALSE(items[2].hasSubmenu);
  EXPECT_EQ(items[3].text, "B");
  EXPECT_EQ(items[3].parent, -1);
}

TEST(MenuTemplate, TabSeparatesCaptionAndShortcutText) {
  EXPECT_EQ(ItemCaption("Выход\tAlt+X"), "Выход");
  EXPECT_EQ(ItemShortcutText("Выход\tAlt+X"), "Alt+X");
  EXPECT_EQ(ItemCaption("About"), "About");
  EXPECT_EQ(ItemShortcutText("About"), "");
}

}  // namespace
