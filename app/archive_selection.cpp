#include "app/archive_selection.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "app/def_folder.h"
#include "app/preview.h"
#include "app/program_state.h"
#include "archive/text_encoding.h"

namespace dw {

void PrepareConversion(MainWindow& window, ui::Control& /*sender*/) {
  if (window.conversionPrepared) return;
  window.conversionPrepared = true;
  ConversionState& state = ProgramState();
  state.composite = CreateBitmap(1, 1);
  InitConversionState(state);
  ui::SetInitialFolder(*window.defFolderDialog, state.startFolder);
  ui::SetInitialFolder(*window.saveFolderDialog, state.startFolder);
  state.hasComposite = false;
  if (!window.startArchive.empty()) OpenStartArchive(window, std::exchange(window.startArchive, {}));
}

void SelectArchive(MainWindow& window, ui::Control& sender) {
  const int item = ui::CurrentIndex(*window.defList);
  if (item < 0) return;
  // The item's bytes, not its text: a name that is not UTF-8 is shown in its
  // Windows-1251 reading but opened by its real bytes.
  const std::string path =
      ui::ChosenFolder(*window.defFolderDialog) + "/" + ui::ItemData(*window.defList, item);

  ConversionState& state = ProgramState();
  LoadArchive(state, path);  // a damaged archive lists what could be read

  ui::Control& frameList = *window.frameList;
  ui::ClearItems(frameList);
  for (const FrameEntry& frame : state.archive.frames) ui::AddItem(frameList, Cp1251ToUtf8(frame.name));
  ui::SetCurrentIndex(frameList, 0);
  PreviewCurrentFrame(window, sender);
}

void OpenStartArchive(MainWindow& window, const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path absolute = fs::absolute(fs::path(path), error).lexically_normal();
  if (error) return;
  const std::string folder = absolute.parent_path().string();
  const std::string name = absolute.filename().string();
  ui::SetChosenFolder(*window.defFolderDialog, folder);
  FillDefList(window, DefMask(ui::ChosenFolder(*window.defFolderDialog)));
  ui::SetInitialFolder(*window.defFolderDialog, ui::ChosenFolder(*window.defFolderDialog));
  for (int item = 0; item < ui::ItemCount(*window.defList); ++item) {
    if (ui::ItemData(*window.defList, item) != name) continue;
    ui::SetCurrentIndex(*window.defList, item);
    SelectArchive(window, *window.defList);
    return;
  }
}

}  // namespace dw
