// Connecting the conversion state to the main window: its preparation when
// the window first shows, the opening of the DEF file selected in the DEF
// list, and of the one named on the command line.
#pragma once

#include <string>

#include "app/main_window_record.h"

namespace dw {

// Show handler of the main window. Runs once per window: a fresh shown image,
// the folders of the state, and the start folder in both folder dialogs;
// then the DEF file named on the command line, if any, is opened.
void PrepareConversion(MainWindow& window, ui::Control& sender);

// Selection-change and double-click handler of the DEF list: loads the
// current item's archive from the DEF folder, lists its frames in table
// order, and shows frame 0. With no current item nothing changes.
void SelectArchive(MainWindow& window, ui::Control& sender);

// Lists the folder of path in the DEF list, as "..." does, and opens path as
// a click on its item does. A file the list does not show (no ".def" name, or
// missing) leaves the folder listed and nothing opened.
void OpenStartArchive(MainWindow& window, const std::string& path);

}  // namespace dw
