#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenuBar>
#include <tuple>

#include "app/about_window.h"
#include "app/program_state.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using ui::Bounds;
using ui::Rect;

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, StartsEmptyWithTheSeparatorOptionChecked) {
  EXPECT_EQ(std::tuple(ui::Text(*window->pathEdit), ui::IsChecked(*window->separatorCheck),
                       ui::ItemCount(*window->defList) + ui::ItemCount(*window->frameList),
                       IsShownOnScreen(*aboutWindow->form), ShowsHandCursor(*window->previewArea),
                       Bounds(*window->previewArea).Width()),  // nothing shown yet
            std::tuple(std::string("<не указан>"), true, 0, false, true, 0));
}

// Bounds are the records'; the widgets Qt placed must agree with them.
TEST_F(MainWindowTest, ColumnsDivideTheClientAreaAndOnlyListsAndPreviewStretch) {
  for (auto [W, H] : {std::pair{600, 400}, {800, 500}}) {
    SCOPED_TRACE(W);
    ui::SetClientSize(*window->form, W, H);
    const std::pair<Control*, Rect> expected[] = {
        {window->defPanel, {2, 2, 147, H - 2}},       {window->spritePanel, {149, 2, 309, H - 2}},
        {window->previewBox, {311, 2, W - 2, H - 2}}, {window->pathPanel, {0, 0, 145, 41}},
        {window->defList, {0, 41, 145, H - 4}},       {window->saveGroup, {0, H - 93, 160, H - 4}},
        {window->spriteGroup, {0, 0, 160, H - 93}},   {window->frameList, {4, 18, 156, H - 97}}};
    for (const auto& [control, bounds] : expected) {
      EXPECT_EQ(Bounds(*control), bounds);
      EXPECT_EQ(WidgetGeometry(*control), bounds);
    }
  }
}

TEST_F(MainWindowTest, MenuFollowsTheTemplateNumbering) {
  std::string shown;  // caption, tab, shortcut, ">" for a submenu; "|" after each item
  const int count = ui::MenuItemCount(*window->mainMenu);
  for (int i = 0; i < count; ++i) {
    const MenuItemLook look = MenuItemLookOf(*window->mainMenu, i);
    shown += look.caption + "\t" + look.shortcutText +
             (ui::MenuItemHasSubmenu(*window->mainMenu, i) ? ">|" : "|");
    EXPECT_FALSE(look.hasQtShortcut) << i;  // keys are the accelerators' business
  }
  EXPECT_EQ(shown,
            "Файл\t>|Выход\tAlt+X|Действия\t>|Отметить все спрайты\tCtrl+S|Сохранить выделенные "
            "спрайты...\tCtrl+C|Сохранить все спрайты...\tCtrl+A|О Программе...\t|");
  EXPECT_TRUE(ui::MenuItemHasSubmenu(*window->mainMenu, kFileMenu) &&
              ui::MenuItemHasSubmenu(*window->mainMenu, kActionsMenu));
  EXPECT_EQ(ui::MenuItemText(*window->mainMenu, kSaveSelectedItem),
            "Сохранить выделенные спрайты...\tCtrl+C");
  EXPECT_EQ(ui::MenuItemText(*window->mainMenu, count), "");
}

TEST_F(MainWindowTest, FrameCommandsAreGreyedWhileThereAreNoFrames) {
  ui::Control& freshApplication = ui::CreateApplication("Larkspin");
  MainWindow& fresh = CreateMainWindow(freshApplication);
  EXPECT_TRUE(ui::IsItemEnabled(*fresh.mainMenu, kSaveAllItem));  // until the first tick
  EXPECT_EQ(ui::TimerInterval(*fresh.commandTimer), 50);
  FreeApplication(freshApplication);

  Tick();
  for (int item : {kMarkAllItem, kSaveSelectedItem, kSaveAllItem}) {
    EXPECT_TRUE(MenuItemLookOf(*window->mainMenu, item).greyed) << item;
  }
  EXPECT_TRUE(ui::IsItemEnabled(*window->mainMenu, kExitItem));
  Open(EightFrames());
  ClickItem(*window->frameList, 3);
  SendKey(*window->frameList, 'S', ui::kAccelControl);
  SendKey(*window->frameList, 'A', ui::kAccelControl);
  // Only the folder dialog of "..." ran.
  EXPECT_EQ(std::pair(requests.size(), ui::SelectedCount(*window->frameList)), std::pair(size_t{1}, 1));

  Tick();
  EXPECT_TRUE(ui::IsItemEnabled(*window->mainMenu, kSaveAllItem));
  SendKey(*window->frameList, 'S', ui::kAccelControl);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 8);
  SendKey(*window->frameList, 'C', ui::kAccelControl);  // cancelled
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].title, "Укажите путь для сохранения");
}

TEST_F(MainWindowTest, AltXEndsTheMessageLoopWithZero) {
  Open(EightFrames());
  ScheduleAfter(100, [this] { SendKey(*window->frameList, 'X', ui::kAccelAlt); });
  Control* running = application;
  application = nullptr;  // the loop frees it
  EXPECT_EQ(ui::RunMessageLoop(*running), 0);
}

TEST_F(MainWindowTest, ShowingTheWindowAgainKeepsThePreview) {
  Open(EightFrames());
  ui::SetVisible(*window->form, false);
  ui::SetVisible(*window->form, true);
  ProcessEvents();
  EXPECT_TRUE(ProgramState().hasComposite);
  ExpectFrame(EightFrames().frames[0]);
}

// The menu layer on the main window's own menu, list and edit box, its
// handlers replaced by ones that record what ran and the timer stopped.
class MainMenuTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ui::EnableTimer(*window->commandTimer, false);
    menu = window->mainMenu;
    for (int item : {kExitItem, kMarkAllItem, kSaveSelectedItem, kSaveAllItem, kAboutItem}) {
      ui::BindMenuItem(*menu, item, [this, item](Control& sender) {
        ran.push_back(item);
        senders.push_back(&sender);
      });
    }
    list = window->frameList;
    ui::BindSelectionChange(*list, [this](Control&) { ++selectionChanges; });
    for (const char* name : {"a", "b", "c"}) ui::AddItem(*list, name);
    // The stopped timer may have greyed the frame commands while the list was
    // still empty; with frames listed they are on.
    for (int item : {kMarkAllItem, kSaveSelectedItem, kSaveAllItem}) ui::EnableItem(*menu, item, true);
  }
  // Selects the path box's whole text and presses Ctrl+C; the clipboard's text
  // afterwards.
  std::string CopyInEditBox() {
    QApplication::clipboard()->setText("before");
    SendKey(*window->pathEdit, ui::kKeyHome);
    SendKey(*window->pathEdit, ui::kKeyEnd, ui::kAccelShift);
    SendKey(*window->pathEdit, 'C', ui::kAccelControl);
    return QApplication::clipboard()->text().toStdString();
  }

  ui::Menu* menu = nullptr;
  Control* list = nullptr;
  std::vector<int> ran;
  std::vector<Control*> senders;
  int selectionChanges = 0;
};

TEST_F(MainMenuTest, ChoosingAnItemRunsItsHandlerWithTheFormAsSender) {
  ui::ChooseMenuItem(*menu, kMarkAllItem);
  ui::ChooseMenuItem(*menu, kFileMenu);  // opens a submenu: no handler
  EXPECT_EQ(ran, std::vector<int>{kMarkAllItem});
  EXPECT_EQ(senders, std::vector<Control*>{window->form});
  // A menu bar item without a submenu runs when clicked.
  auto* bar = window->form->widget->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  for (QAction* action : bar->actions()) {
    if (action->text() == QString::fromUtf8("О Программе...")) action->trigger();
  }
  EXPECT_EQ(ran, (std::vector<int>{kMarkAllItem, kAboutItem}));
}

// In a list box the key selects nothing; in an edit box Ctrl+C copies nothing.
// Modifiers must match exactly, and the key must reach the item's window.
TEST_F(MainMenuTest, AnAcceleratorRunsItsItemAheadOfTheFocusedControl) {
  SendKey(*list, 'A', ui::kAccelControl);
  EXPECT_EQ(std::tuple(ran, ui::SelectedCount(*list), selectionChanges),
            std::tuple(std::vector<int>{kSaveAllItem}, 1, 0));
  SendKey(*list, 'S', ui::kAccelControl);
  SendKey(*list, 'X', ui::kAccelAlt);
  EXPECT_EQ(CopyInEditBox(), "before");
  SendKey(*list, 'A', ui::kAccelControl | ui::kAccelShift);
  SendKey(*list, 'A', 0);
  SendKey(*list, 'X', ui::kAccelControl);
  Control& other = ui::CreateForm(*application, "Other");
  Control& otherList = ui::CreateListBox(other);
  ui::AddItem(otherList, "x");
  ShowWindows(*application);
  SendKey(otherList, 'A', ui::kAccelControl);
  EXPECT_EQ(ran, (std::vector<int>{kSaveAllItem, kMarkAllItem, kExitItem, kSaveSelectedItem}));
}

TEST_F(MainMenuTest, AcceleratorsDoNotDependOnTheKeyboardLayout) {
  // Ctrl+Ф and Alt+Ч: the Russian layout's letters on the keys of A and X.
  for (auto [key, modifier] : {std::pair{0x0424, Qt::ControlModifier}, {0x0427, Qt::AltModifier}}) {
    QKeyEvent offer(QEvent::ShortcutOverride, key, modifier);
    QCoreApplication::sendEvent(list->widget, &offer);
    QKeyEvent press(QEvent::KeyPress, key, modifier);
    QCoreApplication::sendEvent(list->widget, &press);
  }
  EXPECT_EQ(ran, (std::vector<int>{kSaveAllItem, kExitItem}));
  EXPECT_EQ(ui::SelectedCount(*list), 1);
}

TEST_F(MainMenuTest, ADisabledItemIsGreyedAndNeitherItNorItsAcceleratorRuns) {
  ui::EnableItem(*menu, kSaveAllItem, false);
  ui::EnableItem(*menu, kSaveSelectedItem, false);
  EXPECT_FALSE(ui::IsItemEnabled(*menu, kSaveAllItem));
  EXPECT_TRUE(MenuItemLookOf(*menu, kSaveAllItem).greyed);
  SendKey(*list, 'A', ui::kAccelControl);
  ui::ChooseMenuItem(*menu, kSaveAllItem);
  // The key then reaches the edit box: a disabled accelerator holds nothing back.
  EXPECT_EQ(CopyInEditBox(), "<не указан>");
  EXPECT_TRUE(ran.empty());
  ui::EnableItem(*menu, kSaveAllItem, true);
  EXPECT_FALSE(MenuItemLookOf(*menu, kSaveAllItem).greyed);
  SendKey(*list, 'A', ui::kAccelControl);
  EXPECT_EQ(ran, std::vector<int>{kSaveAllItem});
}

}  // namespace
}  // namespace dw::testing
