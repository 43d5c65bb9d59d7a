// The folder-browse and save dialogs, shown as Qt file dialogs, or answered
// through the seam while tests have set an answerer.
#include <QFileDialog>
#include <QStringList>

#include "ui/control_impl.h"
#include "ui/dialog_rules.h"
#include "ui/dialog_state.h"

namespace dw::ui {

namespace {

DialogAnswerer& Answerer() {
  static DialogAnswerer answerer;
  return answerer;
}

// Dialogs belong to the application's main window when there is one.
QWidget* OwnerWidget(Control* form) {
  if (Control* application = form != nullptr ? ApplicationOf(*form) : CurrentApplication()) {
    if (Control* main = ImplOf(*application).mainForm) return main->widget;
  }
  return form != nullptr ? form->widget : nullptr;
}

std::optional<std::string> ShowFolderDialog(const FolderDialog& dialog) {
  QFileDialog window(OwnerWidget(dialog.form), QString::fromStdString(dialog.title));
  window.setFileMode(QFileDialog::Directory);
  window.setOption(QFileDialog::ShowDirsOnly, true);
  const std::string initial = NormaliseFolder(dialog.initialFolder);
  const std::string parent = NormaliseFolder(FolderPart(initial));
  if (initial == "/" || parent.empty()) {
    if (!initial.empty()) window.setDirectory(QString::fromStdString(initial));
  } else {
    // Open the folder's parent with the folder itself selected.
    window.setDirectory(QString::fromStdString(parent));
    window.selectFile(QString::fromStdString(initial));
  }
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = window.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.first().toStdString();
}

std::optional<std::string> ShowSaveDialog(FileDialog& dialog, int& filterIndex) {
  QFileDialog window(OwnerWidget(dialog.form));
  window.setAcceptMode(QFileDialog::AcceptSave);
  window.setFileMode(QFileDialog::AnyFile);
  window.setOption(QFileDialog::DontConfirmOverwrite, !dialog.options.overwritePrompt);
  QStringList filters;
  for (const std::string& filter : NameFilters(dialog.filter)) {
    filters << QString::fromStdString(filter);
  }
  if (!filters.isEmpty()) {
    window.setNameFilters(filters);
    if (dialog.filterIndex >= 1 && dialog.filterIndex <= filters.size()) {
      window.selectNameFilter(filters[dialog.filterIndex - 1]);
    }
  }
  window.setDefaultSuffix(QString::fromStdString(dialog.defaultExtension));
  // The initial name carries its folder.
  const std::string folder = FolderPart(dialog.fileName);
  if (!folder.empty()) window.setDirectory(QString::fromStdString(folder));
  const std::string name = NamePart(dialog.fileName);
  if (!name.empty()) window.selectFile(QString::fromStdString(name));
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = window.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  const int index = static_cast<int>(filters.indexOf(window.selectedNameFilter()));
  if (index >= 0) filterIndex = index + 1;
  return chosen.first().toStdString();
}

}  // namespace

void SetDialogAnswerer(DialogAnswerer answerer) {
  Answerer() = std::move(answerer);
}

FolderDialog& CreateFolderDialog(Control& form, const std::string& title,
                                 FolderDialogOptions options) {
  auto owned = std::make_unique<FolderDialog>();
  FolderDialog& dialog = *owned;
  dialog.form = &form;
  dialog.title = title;
  dialog.options = options;
  ImplOf(form).folderDialogs.push_back(std::move(owned));
  return dialog;
}

bool RunFolderDialog(FolderDialog& dialog) {
  std::optional<std::string> answer;
  if (Answerer()) {
    DialogRequest request;
    request.kind = DialogRequest::Kind::Folder;
    request.title = dialog.title;
    request.initialFolder = dialog.initialFolder;
    answer = Answerer()(request);
  } else {
    answer = ShowFolderDialog(dialog);
  }
  if (!answer) return false;
  dialog.chosen = NormaliseFolder(*answer);
  return true;
}

std::string ChosenFolder(const FolderDialog& dialog) {
  return dialog.chosen;
}

void SetChosenFolder(FolderDialog& dialog, const std::string& folder) {
  dialog.chosen = NormaliseFolder(folder);
}

void SetInitialFolder(FolderDialog& dialog, const std::string& folder) {
  dialog.initialFolder = folder;
}

std::string InitialFolder(const FolderDialog& dialog) {
  return dialog.initialFolder;
}

FileDialog& CreateSaveDialog(Control& form, const std::string& filter,
                             const std::string& defaultExtension, SaveDialogOptions options) {
  auto owned = std::make_unique<FileDialog>();
  FileDialog& dialog = *owned;
  dialog.form = &form;
  dialog.filter = filter;
  dialog.defaultExtension = defaultExtension;
  dialog.options = options;
  ImplOf(form).fileDialogs.push_back(std::move(owned));
  return dialog;
}

void SetFileName(FileDialog& dialog, const std::string& name) {
  dialog.fileName = name;
}
std::string FileName(const FileDialog& dialog) {
  return dialog.fileName;
}
int FilterIndex(const FileDialog& dialog) {
  return dialog.filterIndex;
}

bool RunFileDialog(FileDialog& dialog) {
  std::optional<std::string> answer;
  int filterIndex = dialog.filterIndex;
  if (Answerer()) {
    DialogRequest request;
    request.kind = DialogRequest::Kind::Save;
    request.initialFileName = dialog.fileName;
    request.filter = dialog.filter;
    request.defaultExtension = dialog.defaultExtension;
    request.filterIndex = dialog.filterIndex;
    answer = Answerer()(request);
    if (request.chosenFilterIndex > 0) filterIndex = request.chosenFilterIndex;
  } else {
    // A name that does not exist yet is always accepted: this is a save.
    answer = ShowSaveDialog(dialog, filterIndex);
  }
  if (!answer) {
    dialog.fileName.clear();
    return false;
  }
  dialog.fileName = WithDefaultExtension(*answer, dialog.defaultExtension);
  const int filterCount = static_cast<int>(NameFilters(dialog.filter).size());
  if (filterIndex >= 1 && filterIndex <= filterCount) dialog.filterIndex = filterIndex;
  return true;
}

}  // namespace dw::ui
