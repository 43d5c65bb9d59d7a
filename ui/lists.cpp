// List boxes. The program's changes to a list never fire its selection-change
// slot; only the user's do (see ListWidget).
#include <QItemSelectionModel>
#include <QListWidget>

#include "archive/text_encoding.h"
#include "ui/control_impl.h"
#include "ui/directory_listing.h"
#include "ui/widgets.h"

namespace dw::ui {

namespace {

QListWidget* ListOf(const Control& list) {
  return dynamic_cast<QListWidget*>(list.widget);
}

bool Multiple(const Control& list) {
  return list.impl && list.impl->multipleSelection;
}

bool ValidIndex(const QListWidget& widget, int index) {
  return index >= 0 && index < widget.count();
}

}  // namespace

int ItemCount(const Control& list) {
  QListWidget* widget = ListOf(list);
  return widget == nullptr ? 0 : widget->count();
}

int AddItem(Control& list, const std::string& text) {
  QListWidget* widget = ListOf(list);
  if (widget == nullptr) return -1;
  const bool wasEmpty = widget->count() == 0;
  widget->addItem(QString::fromStdString(text));
  const int index = widget->count() - 1;
  // The first item of a multiple-selection list is selected and has the focus.
  if (wasEmpty && Multiple(list)) {
    widget->selectionModel()->setCurrentIndex(widget->model()->index(0, 0),
                                              QItemSelectionModel::ClearAndSelect);
  }
  return index;
}

int AddItem(Control& list, const std::string& text, const std::string& data) {
  const int index = AddItem(list, text);
  if (index >= 0) {
    ListOf(list)->item(index)->setData(Qt::UserRole,
                                       QByteArray(data.data(), qsizetype(data.size())));
  }
  return index;
}

std::string ItemText(const Control& list, int index) {
  QListWidget* widget = ListOf(list);
  if (widget == nullptr || !ValidIndex(*widget, index)) return std::string();
  return widget->item(index)->text().toStdString();
}

std::string ItemData(const Control& list, int index) {
  QListWidget* widget = ListOf(list);
  if (widget == nullptr || !ValidIndex(*widget, index)) return std::string();
  const QVariant data = widget->item(index)->data(Qt::UserRole);
  if (!data.isValid()) return ItemText(list, index);
  const QByteArray bytes = data.toByteArray();
  return std::string(bytes.constData(), size_t(bytes.size()));
}

bool IsItemSelected(const Control& list, int index) {
  QListWidget* widget = ListOf(list);
  if (widget == nullptr || !ValidIndex(*widget, index)) return false;
  return widget->selectionModel()->isSelected(widget->model()->index(index, 0));
}

void SelectItem(Control& list, int index, bool selected) {
  QListWidget* widget = ListOf(list);
  if (widget == nullptr || !ValidIndex(*widget, index)) return;
  const QModelIndex item = widget->model()->index(index, 0);
  if (!Multiple(list)) {
    // A single-selection list holds at most one selected item.
    widget->selectionModel()->select(
        item, selected ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Deselect);
    return;
  }
  widget->selectionModel()->select(
      item, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int SelectedCount(const Control& list) {
  QListWidget* widget = ListOf(list);
  return widget == nullptr ? 0 : static_cast<int>(widget->selectionModel()->selectedRows().size());
}

int CurrentIndex(const Control& list) {
  QListWidget* widget = ListOf(list);
  if (widget == nullptr || widget->count() == 0) return -1;
  if (Multiple(list)) {
    // The item with the focus rectangle; the first one before any has had it.
    const int current = widget->currentRow();
    return current >= 0 ? current : 0;
  }
  const QModelIndexList selected = widget->selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void SetCurrentIndex(Control& list, int index) {
  QListWidget* widget = ListOf(list);
  if (widget == nullptr || Multiple(list)) return;
  if (!ValidIndex(*widget, index)) {
    widget->selectionModel()->clearSelection();
    return;
  }
  widget->selectionModel()->setCurrentIndex(widget->model()->index(index, 0),
                                            QItemSelectionModel::ClearAndSelect);
  widget->scrollToItem(widget->item(index));
}

void ClearItems(Control& list) {
  if (QListWidget* widget = ListOf(list)) widget->clear();
}

void AddDirectoryListing(Control& list, const std::string& mask) {
  for (const std::string& name : ListMatchingFiles(mask)) AddItem(list, FileNameAsUtf8(name), name);
}

}  // namespace dw::ui
