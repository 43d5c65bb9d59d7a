#include "ui/widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "ui/control_impl.h"

namespace dw::ui {

namespace {

bool InsideWidget(const QWidget& widget, const QMouseEvent& event) {
  return widget.rect().contains(event.position().toPoint());
}

}  // namespace

FormWidget::FormWidget(Control& form) : QWidget(nullptr, Qt::Window), client_(new QWidget(this)) {
  control = &form;
}

void FormWidget::SetMenuBar(QMenuBar* bar, int height) {
  menuBar_ = bar;
  menuBarHeight_ = height;
  PlaceParts();
}

void FormWidget::PlaceParts() {
  if (menuBar_ != nullptr) menuBar_->setGeometry(0, 0, width(), menuBarHeight_);
  client_->setGeometry(0, menuBarHeight_, width(), std::max(0, height() - menuBarHeight_));
}

void FormWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceParts();
  if (control != nullptr) {
    ClientSizeChangedOnScreen(*control, width(), std::max(0, height() - menuBarHeight_));
  }
}

void FormWidget::closeEvent(QCloseEvent* event) {
  // Whether the window really closes is the layer's decision (close slot,
  // main window, modal run); it hides the window itself when it does.
  event->ignore();
  if (control != nullptr) DeliverCloseRequest(*control, event->spontaneous());
}

void FormWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (control != nullptr) FormShown(*control);
}

void FormWidget::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (control != nullptr) FormHidden(*control);
}

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (control != nullptr && event->button() == Qt::LeftButton && InsideWidget(*this, *event)) {
    Fire(control->onClick, *control);
  }
}

ListWidget::State ListWidget::Snapshot() const {
  State state;
  const QModelIndexList rows = selectionModel()->selectedIndexes();
  state.selected.reserve(rows.size());
  for (const QModelIndex& index : rows) state.selected.push_back(index.row());
  std::sort(state.selected.begin(), state.selected.end());
  state.current = currentRow();
  return state;
}

void ListWidget::FireIfChanged(const State& before) {
  if (control == nullptr || !control->onSelectionChange) return;
  if (Snapshot() == before) return;
  Fire(control->onSelectionChange, *control);
}

void ListWidget::mousePressEvent(QMouseEvent* event) {
  if (!gestureStart_) gestureStart_ = Snapshot();
  QListWidget::mousePressEvent(event);
}

void ListWidget::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  if (event->buttons() != Qt::NoButton || !gestureStart_) return;
  const State before = *gestureStart_;
  gestureStart_.reset();
  FireIfChanged(before);
}

void ListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!gestureStart_) gestureStart_ = Snapshot();
  QListWidget::mouseDoubleClickEvent(event);
  if (control == nullptr || event->button() != Qt::LeftButton) return;
  if (!indexAt(event->position().toPoint()).isValid()) return;
  // The click slot may fire before the release that ends the gesture; the
  // selection it sees is already the one the double click made.
  if (gestureStart_) {
    const State before = *gestureStart_;
    gestureStart_ = Snapshot();
    if (!(*gestureStart_ == before)) Fire(control->onSelectionChange, *control);
  }
  if (control != nullptr) Fire(control->onClick, *control);
}

void ListWidget::keyPressEvent(QKeyEvent* event) {
  // A list box has no select-all key.
  if (event->matches(QKeySequence::SelectAll)) {
    event->ignore();
    return;
  }
  const State before = Snapshot();
  QListWidget::keyPressEvent(event);
  FireIfChanged(before);
}

QItemSelectionModel::SelectionFlags ListWidget::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
  // A click on the empty area below the items leaves the selection alone.
  if (!index.isValid()) return QItemSelectionModel::NoUpdate;
  QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
  // A single-selection list keeps its selected item under Ctrl+click.
  if (selectionMode() == QAbstractItemView::SingleSelection && index.isValid() &&
      (flags & QItemSelectionModel::Deselect)) {
    flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
  }
  return flags;
}

void PaintAreaWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!backing_.pixels.empty()) {
    const QImage image(reinterpret_cast<const uchar*>(backing_.pixels.data()),
                       backing_.rect.width(), backing_.rect.height(),
                       static_cast<qsizetype>(backing_.rect.width()) * 4,
                       QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(backing_.rect.topLeft(), image);
  }
  // Shown once; later paints are the slot's. Released before the slot runs, so
  // that its own conversion is the only screen copy held.
  backing_ = Backing{};
  if (control == nullptr || !control->onPaint) return;
  paintRect_ = event->rect() & rect();
  activePainter_ = &painter;
  Fire(control->onPaint, *control);
  activePainter_ = nullptr;
  paintRect_ = QRect();
}

void PaintAreaWidget::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (control != nullptr && event->button() == Qt::LeftButton && InsideWidget(*this, *event)) {
    Fire(control->onClick, *control);
  }
}

}  // namespace dw::ui
