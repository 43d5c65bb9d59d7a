// The Qt widgets that show the layer's controls. Each knows the record it
// shows (ControlLink) and turns the widget's own events into the record's
// slots; the record is unlinked before the widget is deleted.
#pragma once

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/window_layer.h"

class QMenuBar;
class QPainter;

namespace dw::ui {

struct ControlLink {
  virtual ~ControlLink() = default;
  Control* control = nullptr;
};

template <class Base>
class Linked : public Base, public ControlLink {
 public:
  using Base::Base;
};

// A top-level window: the menu bar on top, the client area below it.
class FormWidget : public QWidget, public ControlLink {
 public:
  explicit FormWidget(Control& form);
  QWidget* client() const { return client_; }
  QMenuBar* menuBar() const { return menuBar_; }
  void SetMenuBar(QMenuBar* bar, int height);
  void PlaceParts();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* client_;
  QMenuBar* menuBar_ = nullptr;
  int menuBarHeight_ = 0;
};

// A label that reports clicks.
class LabelWidget : public QLabel, public ControlLink {
 public:
  using QLabel::QLabel;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A list box whose selection-change slot fires once per user action that
// changes the selection or the current item, and whose double click on an
// item fires the click slot.
class ListWidget : public QListWidget, public ControlLink {
 public:
  using QListWidget::QListWidget;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;

 private:
  struct State {
    std::vector<int> selected;
    int current = -1;
    bool operator==(const State&) const = default;
  };
  State Snapshot() const;
  void FireIfChanged(const State& before);
  std::optional<State> gestureStart_;
};

// A plain area its paint slot draws; drawings made outside a paint event are
// kept in a backing image until the next paint shows them. The backing covers
// only the part of the area that could be seen when it was drawn: an area as
// large as a big frame, scrolled in a small box, costs only the box's pixels.
class PaintAreaWidget : public QWidget, public ControlLink {
 public:
  struct Backing {
    QRect rect;  // in the area's coordinates
    // rect's rows, premultiplied 0xAARRGGBB, 0 where nothing was drawn. Plain
    // memory rather than a QImage, so that conversions write straight into it
    // and it is allocated like every other image of the program.
    std::vector<uint32_t> pixels;
  };

  using QWidget::QWidget;
  QPainter* activePainter() const { return activePainter_; }
  // The part of the area the running paint event repaints; empty outside it.
  QRect paintRect() const { return paintRect_; }
  Backing& backing() { return backing_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPainter* activePainter_ = nullptr;
  QRect paintRect_;
  Backing backing_;
};

}  // namespace dw::ui
