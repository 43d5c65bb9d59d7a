// The main window: the DEF folder column, the frame column with its save
// group, and the scrolling preview, with the menu, its accelerators, the
// dialogs and the timer that greys the frame commands while there are no
// frames. Handlers are plain functions that take the record
// (main_window_record.h) and the control that fired; the form owns the record.
#pragma once

#include "app/main_window_record.h"
#include "ui/window_layer.h"

namespace dw {

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
