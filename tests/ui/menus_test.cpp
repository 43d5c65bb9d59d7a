// Menu bars on real windows: handlers, greyed items, and accelerators that act
// before the focused control sees the key.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWidget>

#include "tests/ui/layer_fixture.h"

namespace {

using Ints = std::vector<int>;

class Menus : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    form = &MakeForm(400, 300, "Menus");
    menu = &ui::CreateMenuBar(
        *form, {"Файл", "(", "Выход\tAlt+X", ")", "Действия", "(", "Отметить все спрайты\tCtrl+S",
                "Сохранить выделенные спрайты...\tCtrl+C", "Сохранить все спрайты...\tCtrl+A", ")",
                "О Программе...", ""});
    for (int item : {1, 3, 4, 5, 6}) {
      ui::BindMenuItem(*menu, item, [this, item](ui::Control& sender) {
        ran.push_back(item);
        senders.push_back(&sender);
      });
    }
    for (auto [item, flag, key] : {std::tuple{1, ui::kAccelAlt, 'X'},
                                   {3, ui::kAccelControl, 'S'},
                                   {4, ui::kAccelControl, 'C'},
                                   {5, ui::kAccelControl, 'A'}}) {
      ui::SetItemAccelerator(*menu, item, ui::kAccelVirtualKey | flag, key);
    }
    list = &ui::CreateListBox(*form, {.multipleSelection = true});
    ui::PlaceAt(*list, 0, 0);
    ui::SizeTo(*list, 100, 100);
    ui::BindSelectionChange(*list, [this](ui::Control&) { ++selectionChanges; });
    for (const char* name : {"a", "b", "c"}) ui::AddItem(*list, name);
    edit = &ui::CreateEditBox(*form);
    ui::PlaceAt(*edit, 120, 0);
    ui::SetText(*edit, "hello");
    dt::ShowWindows(*app);
  }
  // Selects the edit box's whole text and presses Ctrl+C; the clipboard's text
  // afterwards.
  std::string CopyInEditBox() {
    QApplication::clipboard()->setText("before");
    dt::SendKey(*edit, ui::kKeyHome);
    dt::SendKey(*edit, ui::kKeyEnd, ui::kAccelShift);
    dt::SendKey(*edit, 'C', ui::kAccelControl);
    return QApplication::clipboard()->text().toStdString();
  }

  ui::Control* form = nullptr;
  ui::Menu* menu = nullptr;
  ui::Control* list = nullptr;
  ui::Control* edit = nullptr;
  Ints ran;
  std::vector<ui::Control*> senders;
  int selectionChanges = 0;
};

TEST_F(Menus, ItemsKeepTheirNumbersAndShowTheTextAfterATabAsShortcutText) {
  ASSERT_EQ(ui::MenuItemCount(*menu), 7);
  EXPECT_EQ(ui::MenuItemText(*menu, 4), "Сохранить выделенные спрайты...\tCtrl+C");
  EXPECT_TRUE(ui::MenuItemHasSubmenu(*menu, 2));
  EXPECT_FALSE(ui::MenuItemHasSubmenu(*menu, 6));
  EXPECT_EQ(ui::MenuItemText(*menu, 7), "");
  const dt::MenuItemLook exit = dt::MenuItemLookOf(*menu, 1);
  EXPECT_EQ(exit.caption, "Выход");
  EXPECT_EQ(exit.shortcutText, "Alt+X");
  EXPECT_FALSE(exit.hasQtShortcut);  // keys are the accelerators' business
  EXPECT_EQ(dt::MenuItemLookOf(*menu, 6).caption, "О Программе...");
  EXPECT_EQ(dt::MenuItemLookOf(*menu, 6).shortcutText, "");
}

TEST_F(Menus, ChoosingAnItemRunsItsHandlerWithTheFormAsSender) {
  ui::ChooseMenuItem(*menu, 3);
  ui::ChooseMenuItem(*menu, 0);  // opens a submenu: no handler
  EXPECT_EQ(ran, Ints{3});
  EXPECT_EQ(senders, std::vector<ui::Control*>{form});
  // A menu bar item without a submenu runs when clicked.
  auto* bar = form->widget->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  for (QAction* action : bar->actions()) {
    if (action->text() == QString::fromUtf8("О Программе...")) action->trigger();
  }
  EXPECT_EQ(ran, (Ints{3, 6}));
}

TEST_F(Menus, AcceleratorInAListBoxRunsTheItemAndLeavesTheSelection) {
  dt::SendKey(*list, 'A', ui::kAccelControl);
  EXPECT_EQ(ran, Ints{5});
  EXPECT_EQ(ui::SelectedCount(*list), 1);
  EXPECT_EQ(selectionChanges, 0);
  dt::SendKey(*list, 'S', ui::kAccelControl);
  dt::SendKey(*list, 'X', ui::kAccelAlt);
  EXPECT_EQ(ran, (Ints{5, 3, 1}));
}

TEST_F(Menus, AcceleratorInAnEditBoxRunsTheItemInsteadOfCopying) {
  EXPECT_EQ(CopyInEditBox(), "before");
  EXPECT_EQ(ran, Ints{4});
  EXPECT_EQ(ui::Text(*edit), "hello");
}

TEST_F(Menus, AcceleratorsDoNotDependOnTheKeyboardLayout) {
  // Ctrl+Ф and Alt+Ч: the Russian layout's letters on the keys of A and X.
  for (auto [key, modifier] : {std::pair{0x0424, Qt::ControlModifier}, {0x0427, Qt::AltModifier}}) {
    QKeyEvent offer(QEvent::ShortcutOverride, key, modifier);
    QCoreApplication::sendEvent(list->widget, &offer);
    QKeyEvent press(QEvent::KeyPress, key, modifier);
    QCoreApplication::sendEvent(list->widget, &press);
  }
  EXPECT_EQ(ran, (Ints{5, 1}));
  EXPECT_EQ(ui::SelectedCount(*list), 1);
}

TEST_F(Menus, ModifiersMustMatchExactlyAndTheKeyMustReachTheItemsWindow) {
  dt::SendKey(*list, 'A', ui::kAccelControl | ui::kAccelShift);
  dt::SendKey(*list, 'A', 0);
  dt::SendKey(*list, 'X', ui::kAccelControl);
  ui::Control& otherList = ui::CreateListBox(MakeForm(200, 100, "Other"));
  ui::AddItem(otherList, "x");
  dt::ShowWindows(*app);
  dt::SendKey(otherList, 'A', ui::kAccelControl);
  EXPECT_TRUE(ran.empty());
}

TEST_F(Menus, ADisabledItemIsGreyedAndNeitherItNorItsAcceleratorRuns) {
  ui::EnableItem(*menu, 5, false);
  ui::EnableItem(*menu, 4, false);
  EXPECT_FALSE(ui::IsItemEnabled(*menu, 5));
  EXPECT_TRUE(dt::MenuItemLookOf(*menu, 5).greyed);
  dt::SendKey(*list, 'A', ui::kAccelControl);
  ui::ChooseMenuItem(*menu, 5);
  // The key then reaches the edit box: a disabled accelerator holds nothing back.
  EXPECT_EQ(CopyInEditBox(), "hello");
  EXPECT_TRUE(ran.empty());
  ui::EnableItem(*menu, 5, true);
  EXPECT_FALSE(dt::MenuItemLookOf(*menu, 5).greyed);
  dt::SendKey(*list, 'A', ui::kAccelControl);
  EXPECT_EQ(ran, Ints{5});
}

}  // namespace
