#include "app/main_window.h"

#include <string>
#include <vector>

#include "app/about_window.h"
#include "app/archive_selection.h"
#include "app/composition.h"
#include "app/def_folder.h"
#include "app/preview.h"
#include "app/sprite_export.h"

namespace dw {
namespace {

const std::vector<std::string> kMenuTemplate = {
    "Файл",
    "(",
    "Выход\tAlt+X",
    ")",
    "Действия",
    "(",
    "Отметить все спрайты\tCtrl+S",
    "Сохранить выделенные спрайты...\tCtrl+C",
    "Сохранить все спрайты...\tCtrl+A",
    ")",
    "О Программе...",
    "",
};

void BuildMenu(MainWindow& window) {
  window.mainMenu = &ui::CreateMenuBar(*window.form, kMenuTemplate);
  ui::Menu& menu = *window.mainMenu;
  ui::BindMenuItem(menu, kExitItem, ui::MakeSlot(&ExitProgram, window));
  ui::SetItemAccelerator(menu, kExitItem, ui::kAccelVirtualKey | ui::kAccelAlt, 'X');
  ui::BindMenuItem(menu, kMarkAllItem, ui::MakeSlot(&MarkAllSprites, window));
  ui::SetItemAccelerator(menu, kMarkAllItem, ui::kAccelVirtualKey | ui::kAccelControl, 'S');
  ui::BindMenuItem(menu, kSaveSelectedItem, ui::MakeSlot(&SaveSelectedSprites, window));
  ui::SetItemAccelerator(menu, kSaveSelectedItem, ui::kAccelVirtualKey | ui::kAccelControl, 'C');
  ui::BindMenuItem(menu, kSaveAllItem, ui::MakeSlot(&SaveAllSprites, window));
  ui::SetItemAccelerator(menu, kSaveAllItem, ui::kAccelVirtualKey | ui::kAccelControl, 'A');
  ui::BindMenuItem(menu, kAboutItem, ui::MakeSlot(&ShowAbout, window));
}

void Place(ui::Control& control, int x, int y, int width, int height) {
  ui::PlaceAt(control, x, y);
  ui::SizeTo(control, width, height);
}

// The left column: where the DEF files are, and which of them there are.
void BuildDefColumn(MainWindow& window) {
  window.defPanel = &ui::CreatePanel(*window.form, ui::Edge::None);
  ui::Control& defPanel = *window.defPanel;
  ui::DockTo(defPanel, ui::Dock::Left);
  ui::SizeTo(defPanel, 145, 0);
  ui::SetGap(defPanel, 0);

  window.pathPanel = &ui::CreatePanel(defPanel, ui::Edge::None);
  ui::DockTo(*window.pathPanel, ui::Dock::Top);
  ui::SizeTo(*window.pathPanel, 0, 41);

  window.pathLabel = &ui::CreateLabel(*window.pathPanel, "Путь к изображениям DEF");
  Place(*window.pathLabel, 0, 0, 145, 17);
  window.browseButton = &ui::CreateButton(*window.pathPanel, "...");
  Place(*window.browseButton, 120, 18, 25, 22);
  ui::BindClick(*window.browseButton, ui::MakeSlot(&ChooseDefFolder, window));
  window.pathEdit = &ui::CreateEditBox(*window.pathPanel, {.readOnly = true});
  Place(*window.pathEdit, 1, 18, 120, 22);
  ui::SetText(*window.pathEdit, "<не указан>");

  window.defList =
      &ui::CreateListBox(defPanel, {.multipleSelection = false, .noIntegralHeight = true});
  ui::DockTo(*window.defList, ui::Dock::Fill);
  ui::BindSelectionChange(*window.defList, ui::MakeSlot(&SelectArchive, window));
  ui::BindClick(*window.defList, ui::MakeSlot(&SelectArchive, window));
}

// The middle column: the frames, and what to do with the selected ones.
void BuildSpriteColumn(MainWindow& window) {
  window.spritePanel = &ui::CreatePanel(*window.form, ui::Edge::None);
  ui::Control& spritePanel = *window.spritePanel;
  ui::DockTo(spritePanel, ui::Dock::Left);
  ui::SizeTo(spritePanel, 160, 0);
  ui::SetGap(spritePanel, 0);

  window.saveGroup = &ui::CreateGroupBox(spritePanel, " Сохранить ... ");
  ui::Control& saveGroup = *window.saveGroup;
  ui::DockTo(saveGroup, ui::Dock::Bottom);
  ui::SizeTo(saveGroup, 0, 89);
  ui::SetGap(saveGroup, 2);

  window.composeButton = &ui::CreateButton(saveGroup, "Скомпановать");
  Place(*window.composeButton, 8, 40, 145, 22);
  ui::BindClick(*window.composeButton, ui::MakeSlot(&ComposeSprites, window));
  window.saveSelectedButton = &ui::CreateButton(saveGroup, "Выделенное как BMP...");
  Place(*window.saveSelectedButton, 8, 16, 145, 22);
  ui::BindClick(*window.saveSelectedButton, ui::MakeSlot(&SaveSelectedSprites, window));
  window.separatorCheck = &ui::CreateCheckBox(saveGroup, "Столбец - разделитель");
  Place(*window.separatorCheck, 8, 64, 145, 22);
  ui::SetChecked(*window.separatorCheck, true);
  ui::BindClick(*window.separatorCheck, ui::MakeSlot(&RecomposeOnToggle, window));

  window.spriteGroup = &ui::CreateGroupBox(spritePanel, " Спрайты DEF ");
  ui::Control& spriteGroup = *window.spriteGroup;
  ui::DockTo(spriteGroup, ui::Dock::Fill);
  ui::SetGap(spriteGroup, 2);
  ui::SetMargin(spriteGroup, ui::Side::Top, 16);

  window.frameList = &ui::CreateListBox(spriteGroup, {.multipleSelection = true});
  ui::DockTo(*window.frameList, ui::Dock::Fill);
  ui::BindSelectionChange(*window.frameList, ui::MakeSlot(&PreviewCurrentFrame, window));
}

// The rest of the window: the shown image, scrolled when larger than the box.
void BuildPreview(MainWindow& window) {
  window.previewBox = &ui::CreateScrollArea(*window.form, ui::Edge::Sunken);
  ui::DockTo(*window.previewBox, ui::Dock::Fill);

  window.previewArea = &ui::CreatePaintArea(*window.previewBox);
  ui::Control& previewArea = *window.previewArea;
  Place(previewArea, 0, 0, 65, 65);
  ui::SetMouseCursor(previewArea, ui::Cursor::Hand);
  ui::BindClick(previewArea, ui::MakeSlot(&SaveComposite, window));
  ui::BindPaint(previewArea, ui::MakeSlot(&PaintPreview, window));
}

}  // namespace

MainWindow& CreateMainWindow(ui::Control& application) {
  auto* window = new MainWindow;
  window->form = &ui::CreateForm(application, "Duskweave (DEF) v1.21");
  ui::Control& form = *window->form;
  ui::SizeTo(form, 521, 439);
  ui::FreeWithForm(form, window);
  ui::SetFontHeight(form, -11);
  ui::BindShow(form, ui::MakeSlot(&PrepareConversion, *window));

  BuildMenu(*window);

  window->defFolderDialog = &ui::CreateFolderDialog(form, "Укажите путь к файлам DEF");
  window->saveFolderDialog = &ui::CreateFolderDialog(form, "Укажите путь для сохранения");
  window->bmpSaveDialog = &ui::CreateSaveDialog(form, "Bitmap (*.bmp)|*.bmp", "bmp");

  window->commandTimer = &ui::CreateTimer(form, 50);
  ui::BindTick(*window->commandTimer, ui::MakeSlot(&UpdateFrameCommands, *window));

  BuildDefColumn(*window);
  BuildSpriteColumn(*window);
  BuildPreview(*window);

  ui::EnableTimer(*window->commandTimer, true);
  ui::CentreOnScreen(form);
  return *window;
}

void ExitProgram(MainWindow& window, ui::Control& /*sender*/) {
  ui::RequestClose(*window.form);
}

void ShowAbout(MainWindow& /*window*/, ui::Control& /*sender*/) {
  if (aboutWindow == nullptr) return;
  ui::RunModal(*aboutWindow->form);
  ui::SetVisible(*aboutWindow->form, false);
}

void RecomposeOnToggle(MainWindow& window, ui::Control& /*sender*/) {
  ui::PerformClick(*window.composeButton);
}

void UpdateFrameCommands(MainWindow& window, ui::Control& /*sender*/) {
  ui::Menu& menu = *window.mainMenu;
  if (ui::ItemCount(*window.frameList) == 0) {
    ui::EnableItem(menu, kMarkAllItem, false);
    ui::EnableItem(menu, kSaveSelectedItem, false);
    ui::EnableItem(menu, kSaveAllItem, false);
  } else {
    ui::EnableItem(menu, kMarkAllItem, true);
    ui::EnableItem(menu, kSaveAllItem, true);
    ui::EnableItem(menu, kSaveSelectedItem, true);
  }
}

}  // namespace dw
