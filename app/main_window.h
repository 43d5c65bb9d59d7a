// The main window: the DEF folder column, the frame column with its save
// group, and the scrolling preview, with the menu, its accelerators, the
// dialogs and the timer that greys the frame commands while there are no
// frames. Handlers are plain functions that take this record and the control
// that fired; the form owns the record.
#pragma once

#include <string>

#include "ui/window_layer.h"

namespace dw {

struct MainWindow {
  ui::Control* form = nullptr;
  ui::Menu* mainMenu = nullptr;
  ui::FolderDialog* defFolderDialog = nullptr;
  ui::FolderDialog* saveFolderDialog = nullptr;
  ui::FileDialog* bmpSaveDialog = nullptr;
  ui::Timer* commandTimer = nullptr;
  ui::Control* defPanel = nullptr;
  ui::Control* pathPanel = nullptr;
  ui::Control* pathLabel = nullptr;
  ui::Control* browseButton = nullptr;
  ui::Control* pathEdit = nullptr;
  ui::Control* defList = nullptr;
  ui::Control* spritePanel = nullptr;
  ui::Control* saveGroup = nullptr;
  ui::Control* composeButton = nullptr;
  ui::Control* saveSelectedButton = nullptr;
  ui::Control* separatorCheck = nullptr;
  ui::Control* spriteGroup = nullptr;
  ui::Control* frameList = nullptr;
  ui::Control* previewBox = nullptr;
  ui::Control* previewArea = nullptr;
  // The conversion state is set up once, at the first showing; restoring the
  // window from minimised must not empty the preview again.
  bool conversionPrepared = false;
  // The DEF file named on the command line, opened once the window is
  // prepared (OpenStartArchive); empty for none.
  std::string startArchive;
};

// Menu item numbers, in template order.
enum MainMenuItem {
  kFileMenu = 0,
  kExitItem = 1,
  kActionsMenu = 2,
  kMarkAllItem = 3,
  kSaveSelectedItem = 4,
  kSaveAllItem = 5,
  kAboutItem = 6,
};

MainWindow& CreateMainWindow(ui::Control& application);

void ExitProgram(MainWindow& window, ui::Control& sender);
// Runs the About window modally and hides it afterwards.
void ShowAbout(MainWindow& window, ui::Control& sender);
// The separator option changed: compose the selection again with it.
void RecomposeOnToggle(MainWindow& window, ui::Control& sender);
// Timer tick: the "Действия" items are usable only while there are frames.
void UpdateFrameCommands(MainWindow& window, ui::Control& sender);

}  // namespace dw
