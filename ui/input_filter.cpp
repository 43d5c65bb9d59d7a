// One application-wide event filter, ahead of every widget:
//  - keyboard and mouse input for a window that a modal run blocks is dropped;
//  - a key that is the accelerator of an enabled menu item of the window runs
//    the item and goes no further, as an accelerator table acts before the
//    focused control sees the key (Ctrl+A in a list, Ctrl+C in an edit box).
// Qt first offers a key as a ShortcutOverride; claiming it there makes Qt
// deliver the key press itself, where the item runs once.
// It also notes when a window reaches the screen (see RepaintNow).
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "ui/control_impl.h"

namespace dw::ui {

namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

// The window's exposed flag lags behind a hide until the platform's events
// are processed; the record's flag says whether the window has reached the
// screen since it was last shown.
void NoteExposure(QWindow* handle) {
  Control* application = CurrentApplication();
  if (application == nullptr) return;
  for (auto& form : application->children) {
    if (form->widget != nullptr && form->widget->windowHandle() == handle) {
      ImplOf(*form).exposedSinceShow = handle->isExposed();
      return;
    }
  }
}

class InputFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && watched->isWindowType()) {
      NoteExposure(static_cast<QWindow*>(watched));
      return false;
    }
    if (!IsInput(event->type()) || !watched->isWidgetType()) return false;
    Control* form = ControlOfWidget(static_cast<QWidget*>(watched)->window());
    if (form == nullptr || form->kind != ControlKind::Form) return false;
    if (IsBlockedByModalRun(*form)) return true;
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
      return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool run = event->type() == QEvent::KeyPress;
    if (!RunAccelerator(*form, key->key(), key->modifiers(), run)) return false;
    event->accept();
    return true;
  }
};

}  // namespace

void InstallInputFilter() {
  static InputFilter* filter = nullptr;
  if (filter != nullptr) return;
  filter = new InputFilter(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(filter);
}

}  // namespace dw::ui
