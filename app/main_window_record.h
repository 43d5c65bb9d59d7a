// The main window's record: its controls, dialogs and timer, and the state
// that belongs to the window itself. The handlers take it; only
// main_window.cpp builds it.
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

}  // namespace dw
