// What the dialogs do with names, apart from showing a window: plain string
// rules, checked without widgets.
#pragma once

#include <string>
#include <vector>

namespace dw::ui {

// A chosen folder without its trailing "/" ("/" itself stays "/").
std::string NormaliseFolder(const std::string& folder);

// A chosen file name whose last part has no "." receives "." + extension.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

// "Bitmap (*.bmp)|*.bmp|All files|*.*" as Qt name filters:
// "Bitmap (*.bmp)", "All files (*.*)". Patterns separated by ";" are listed
// with spaces; a description that already ends in its patterns is kept.
std::vector<std::string> NameFilters(const std::string& filter);

// Folder and name of "folder/name" ("" and the whole text without "/").
std::string FolderPart(const std::string& path);
std::string NamePart(const std::string& path);

}  // namespace dw::ui
