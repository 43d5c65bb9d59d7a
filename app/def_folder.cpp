#include "app/def_folder.h"

#include "app/cases.h"

namespace dw {

std::string DefMask(const std::string& folder) {
  return folder + "/" + "*.def";
}

void ChooseDefFolder(MainWindow& window, ui::Control& /*sender*/) {
  ui::FolderDialog& dialog = *window.defFolderDialog;
  if (!ui::RunFolderDialog(dialog)) return;
  const std::string folder = ui::ChosenFolder(dialog);
  FillDefList(window, DefMask(folder));
  ui::SetInitialFolder(dialog, folder);
}

void FillDefList(MainWindow& window, const std::string& mask) {
  ui::ClearItems(*window.defList);
  ui::AddDirectoryListing(*window.defList, mask);
  ui::SetText(*window.pathEdit, ShortenPath(mask));
}

}  // namespace dw
