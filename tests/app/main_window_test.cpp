#include "app/main_window.h"

#include "app/about_window.h"
#include "app/program_state.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using ui::Bounds;
using ui::Rect;

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, StartsEmptyWithTheSeparatorOptionChecked) {
  EXPECT_EQ(ui::Text(*window->pathEdit), "<не указан>");
  EXPECT_TRUE(ui::IsChecked(*window->separatorCheck));
  EXPECT_EQ(ui::ItemCount(*window->defList) + ui::ItemCount(*window->frameList), 0);
  EXPECT_FALSE(IsShownOnScreen(*aboutWindow->form));
  EXPECT_TRUE(ShowsHandCursor(*window->previewArea));
  EXPECT_EQ(Bounds(*window->previewArea).Width(), 0);  // nothing shown yet
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
  // Narrower than the two columns: they keep their widths, the preview gets none.
  ui::SetClientSize(*window->form, 250, 300);
  EXPECT_EQ(Bounds(*window->defPanel).Width(), 145);
  EXPECT_EQ(Bounds(*window->spritePanel), (Rect{149, 2, 309, 298}));
  EXPECT_EQ(Bounds(*window->previewBox).Width(), 0);
  EXPECT_EQ(WidgetGeometry(*window->previewBox).Width(), 0);
}

TEST_F(MainWindowTest, MenuFollowsTheTemplateNumbering) {
  std::string shown;  // caption, tab, shortcut, ">" for a submenu; "|" after each item
  for (int i = 0; i < ui::MenuItemCount(*window->mainMenu); ++i) {
    const MenuItemLook look = MenuItemLookOf(*window->mainMenu, i);
    shown += look.caption + "\t" + look.shortcutText +
             (ui::MenuItemHasSubmenu(*window->mainMenu, i) ? ">|" : "|");
  }
  EXPECT_EQ(shown,
            "Файл\t>|Выход\tAlt+X|Действия\t>|Отметить все спрайты\tCtrl+S|Сохранить выделенные "
            "спрайты...\tCtrl+C|Сохранить все спрайты...\tCtrl+A|О Программе...\t|");
  EXPECT_TRUE(ui::MenuItemHasSubmenu(*window->mainMenu, kFileMenu) &&
              ui::MenuItemHasSubmenu(*window->mainMenu, kActionsMenu));
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
  EXPECT_EQ(requests.size(), 1u);  // only the folder dialog of "..."
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 1);

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
  EXPECT_EQ(Bounds(*window->previewArea), (Rect{0, 0, 10, 12}));
}

}  // namespace
}  // namespace dw::testing
