// What the folder-browse and save dialogs keep between runs. Owned by the
// form's record; each run builds its Qt dialog afresh.
#pragma once

#include <string>

#include "ui/window_layer.h"

namespace dw::ui {

class FolderDialog {
 public:
  Control* form = nullptr;
  std::string title;
  FolderDialogOptions options;
  std::string initialFolder;
  std::string chosen;
};

class FileDialog {
 public:
  Control* form = nullptr;
  std::string filter;
  std::string defaultExtension;
  SaveDialogOptions options;
  std::string fileName;
  int filterIndex = 1;  // 1-based, as the platform counts filters
};

}  // namespace dw::ui
