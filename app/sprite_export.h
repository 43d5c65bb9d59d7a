// Writing images of the open archive as BMP files: the selected frames (or
// all of them) one file per frame into a chosen folder, and the shown image
// into one file chosen in the save dialog. Frames are always read from the
// archive loaded last, whatever the DEF list shows now. Nothing is reported:
// a file that cannot be written is skipped and the export goes on.
#pragma once

#include <string>

#include "app/main_window_record.h"

namespace dw {

// Asks for a folder and writes every selected frame, in list order, as
// folder/<name up to its first ".">.bmp. The folder becomes the dialog's
// initial folder. An empty frame list opens no dialog.
void SaveSelectedSprites(MainWindow& window, ui::Control& sender);
// Selects every frame (last to first); deselects nothing.
void MarkAllSprites(MainWindow& window, ui::Control& sender);
void SaveAllSprites(MainWindow& window, ui::Control& sender);
// Click handler of the preview: saves the shown image under the name chosen in
// the save dialog, its extension replaced by ".bmp". Nothing before anything
// was shown.
void SaveComposite(MainWindow& window, ui::Control& sender);

// The file the shown image goes to for the name chosen in the save dialog:
// its base name's part from the first "." on becomes ".bmp"
// ("/a/strip.png" -> "/a/strip.bmp", "/a/strip" -> "/a/strip.bmp").
std::string ShownImagePath(const std::string& chosen);

}  // namespace dw
