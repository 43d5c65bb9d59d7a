#include "app/sprite_export.h"

#include <cstdint>
#include <vector>

#include "app/cases.h"
#include "app/frame_selection.h"
#include "app/program_state.h"
#include "app/wait_window.h"
#include "archive/frame_export.h"

namespace dw {

void SaveSelectedSprites(MainWindow& window, ui::Control& /*sender*/) {
  if (ui::ItemCount(*window.frameList) == 0) return;
  ui::FolderDialog& dialog = *window.saveFolderDialog;
  if (!ui::RunFolderDialog(dialog)) return;
  ShowWaitMessage("Сохраняем спрайты...");
  const std::string folder = ui::ChosenFolder(dialog);
  ui::SetInitialFolder(dialog, folder);

  // One budget for the whole export: when it runs out the export stops and
  // the files written so far stay.
  ConversionState& state = ProgramState();
  DecodeBudget budget = OperationBudget(state);
  FrameSource source(state.archive, CurrentBytes(state), budget);
  // No frame replaces another: names taken by a different frame get ~2, ~3.
  const std::vector<int32_t> frames = SelectedItems(*window.frameList);
  const ExportNames names = PlanExportNames(state.archive, frames, "bmp");
  std::vector<bool> written(size_t(names.fileCount));
  for (size_t k = 0; k < frames.size(); ++k) {
    if (written[size_t(names.fileSlot[k])]) continue;  // one stored frame, one file
    written[size_t(names.fileSlot[k])] = true;
    if (ExportFrame(source, frames[k], folder + "/" + names.files[k]).budgetExhausted()) break;
  }
  HideWait();
}

void MarkAllSprites(MainWindow& window, ui::Control& /*sender*/) {
  ui::Control& list = *window.frameList;
  for (int i = ui::ItemCount(list) - 1; i >= 0; --i) ui::SelectItem(list, i, true);
}

void SaveAllSprites(MainWindow& window, ui::Control& sender) {
  if (ui::ItemCount(*window.frameList) == 0) return;
  MarkAllSprites(window, sender);
  SaveSelectedSprites(window, sender);
}

void SaveComposite(MainWindow& window, ui::Control& /*sender*/) {
  ConversionState& state = ProgramState();
  if (!state.hasComposite) return;
  ui::FileDialog& dialog = *window.bmpSaveDialog;
  const int defItem = ui::CurrentIndex(*window.defList);
  ui::SetFileName(dialog,
                  state.saveFolder + (defItem >= 0 ? ui::ItemText(*window.defList, defItem) : ""));
  if (!ui::RunFileDialog(dialog)) return;

  const std::string chosen = ui::FileName(dialog);
  ShownImage().SaveToFile(ShownImagePath(chosen));
  state.saveFolder = ExtractFolder(chosen);
}

std::string ShownImagePath(const std::string& chosen) {
  const std::string folder = ExtractFolder(chosen);
  std::string base = chosen.substr(folder.size());
  const size_t dot = CharPos(base, '.');
  if (dot != 0) base.resize(dot - 1);
  return folder + base + ".bmp";
}

}  // namespace dw
