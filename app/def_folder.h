// Choosing the folder of DEF files and listing its archives. The folder is
// not kept anywhere else: the DEF-folder dialog's last answer is the folder
// that archives are opened from.
#pragma once

#include <string>

#include "app/main_window_record.h"

namespace dw {

// Handler of the "..." button: asks for a folder and lists it; a cancelled
// dialog changes nothing.
void ChooseDefFolder(MainWindow& window, ui::Control& sender);

// Refills the DEF list from mask ("folder/*.def") and shows the mask,
// shortened, in the path field. The open archive and the frames stay.
void FillDefList(MainWindow& window, const std::string& mask);

// The listing mask of a folder.
std::string DefMask(const std::string& folder);

}  // namespace dw
