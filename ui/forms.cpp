// Top-level windows: creation, frame style, placement, showing and hiding,
// and what a close request does.
#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include "ui/control_impl.h"
#include "ui/docking.h"
#include "ui/widgets.h"

namespace dw::ui {

namespace {
constexpr int kExposureWaitMs = 1000;

// Every other window of the application belongs to its main window, as the
// application object owns them on the original platform: the window manager
// keeps them above it and minimises and restores them with it, so a
// minimised dialog never leaves a blocked main window with nothing to click.
void KeepWithMainForm(Control& form) {
  Control* application = ApplicationOf(form);
  Control* main = application != nullptr ? ImplOf(*application).mainForm : nullptr;
  if (main == nullptr || main == &form || main->widget == nullptr) return;
  // Both platform windows must exist before the owner can be named.
  main->widget->winId();
  form.widget->winId();
  QWindow* owner = main->widget->windowHandle();
  QWindow* handle = form.widget->windowHandle();
  if (owner != nullptr && handle != nullptr && handle->transientParent() != owner) {
    handle->setTransientParent(owner);
  }
}
}  // namespace

Control& CreateForm(Control& application, const std::string& caption) {
  auto owned = std::make_unique<Control>();
  Control& form = *owned;
  form.kind = ControlKind::Form;
  form.parent = &application;
  form.impl = std::make_unique<Control::Impl>();
  form.text = caption;
  form.font = application.font;
  form.background = application.background;
  form.gap = application.gap;
  form.style = kStyleOverlapped;
  form.bounds = {0, 0, 320 + kFrameWidth, 240 + kFrameHeight};
  form.impl->clientWidth = 320;
  form.impl->clientHeight = 240;
  application.children.push_back(std::move(owned));
  Control::Impl& app = ImplOf(application);
  if (app.mainForm == nullptr) app.mainForm = &form;

  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
    auto* widget = new FormWidget(form);
    form.widget = widget;
    form.impl->client = widget->client();
    widget->setWindowTitle(QString::fromStdString(caption));
    ApplyWindowFlags(form);
    ApplyFont(form);
    ApplyGeometry(form);
  }
  return form;
}

void FreeWithForm(Control& form, std::shared_ptr<void> object) {
  form.freeWithForm.push_back(std::move(object));
}
void FreeWithForm(Control&, Menu*) {}
void FreeWithForm(Control&, Timer*) {}
void FreeWithForm(Control&, FolderDialog*) {}
void FreeWithForm(Control&, FileDialog*) {}

void Realise(Control& form) {
  ImplOf(form).realised = true;
}

void ApplyWindowFlags(Control& form) {
  QWidget* widget = form.widget;
  if (widget == nullptr) return;
  const uint32_t bits = form.style;
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
  if (bits & kStyleCaption) flags |= Qt::WindowTitleHint;
  if (bits & kStyleSystemMenu) flags |= Qt::WindowSystemMenuHint;
  if (bits & kStyleMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (bits & kStyleMaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  if ((bits & kStyleSystemMenu) && ImplOf(form).closeCommand) flags |= Qt::WindowCloseButtonHint;
  if (widget->windowFlags() == flags) return;
  // Replacing the flags hides the window; it comes back at once, and the
  // show slot does not take that for a new showing.
  Control::Impl& impl = ImplOf(form);
  const bool wasVisible = widget->isVisible();
  impl.restyling = true;
  widget->setWindowFlags(flags);
  if (wasVisible) widget->show();
  impl.restyling = false;
}

void SetStyle(Control& form, uint32_t bits) {
  form.style = bits;
  if (form.kind != ControlKind::Form) return;
  ApplyWindowFlags(form);
  ApplyGeometry(form);  // a frame without sizing border fixes the size
}

uint32_t StyleOf(const Control& form) {
  return form.style;
}

void RemoveCloseCommand(Control& form) {
  ImplOf(form).closeCommand = false;
  ApplyWindowFlags(form);
}

bool HasCloseCommand(const Control& form) {
  return !form.impl || form.impl->closeCommand;
}

void FixSize(Control& form) {
  ImplOf(form).fixedSize = true;
  ApplyGeometry(form);
}

QWidget* PlatformHandle(Control& control) {
  if (Control* form = FormOf(control)) Realise(*form);
  return control.widget;
}

void CentreOnScreen(Control& form) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QSize size = screen->geometry().size();
  const int width = form.bounds.Width(), height = form.bounds.Height();
  // Halved by an arithmetic shift: a window larger than the screen rounds down.
  const int left = (size.width() - width) >> 1;
  const int top = (size.height() - height) >> 1;
  form.bounds = {left, top, left + width, top + height};
  ApplyGeometry(form);
}

void SetVisible(Control& control, bool visible) {
  const bool changed = control.visible != visible;
  control.visible = visible;
  QWidget* widget = control.widget;
  if (control.kind == ControlKind::Form) {
    if (widget == nullptr || !ImplOf(control).realised) return;
    Control::Impl& impl = ImplOf(control);
    if (visible) {
      if (QWidget* active = QApplication::activeWindow(); active != widget) {
        impl.activatedFrom = active;
      }
      KeepWithMainForm(control);
      widget->show();
      widget->raise();
      widget->activateWindow();
    } else {
      // As the platform does when the active window disappears: the window it
      // took over from is active again, with its focused control.
      const bool wasActive = widget->isActiveWindow();
      widget->hide();
      QWidget* previous = impl.activatedFrom;
      impl.activatedFrom = nullptr;
      if (wasActive && previous != nullptr && previous->isVisible()) previous->activateWindow();
    }
    return;
  }
  if (widget != nullptr) widget->setVisible(visible);
  if (changed && control.parent != nullptr) {
    if (control.dock != Dock::None) LayOut(*control.parent);
    UpdateScrollRange(*control.parent);
  }
}

bool IsVisible(const Control& control) {
  return control.visible;
}

namespace {

// A window shown a moment ago is not on the screen yet (X11 maps windows
// asynchronously) and would swallow a repaint. Wait briefly for the platform
// to put it there. Meanwhile events are handled, but no user input: a timer
// tick or a posted request may run. A minimised window is not waited for.
void AwaitExposure(Control& form) {
  Control::Impl& impl = ImplOf(form);
  if (form.widget == nullptr || form.widget->isMinimized()) return;
  QElapsedTimer waited;
  waited.start();
  while (!impl.exposedSinceShow && waited.elapsed() < kExposureWaitMs) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!impl.exposedSinceShow) QThread::msleep(2);
  }
}

}  // namespace

void RepaintNow(Control& control) {
  QWidget* widget = control.widget;
  if (widget == nullptr || !widget->isVisible()) return;
  if (Control* form = FormOf(control)) AwaitExposure(*form);
  // A repaint of a widget paints its descendants in the same pass and puts
  // the result on the screen before returning.
  widget->repaint();
}

void RequestClose(Control& form) {
  if (form.widget == nullptr) return;
  // Queued on the widget: a request for a window that is gone by then lapses.
  QMetaObject::invokeMethod(
      form.widget, [&form] { DeliverCloseRequest(form, /*fromPlatform=*/false); },
      Qt::QueuedConnection);
}

void FormShown(Control& form) {
  Control::Impl& impl = ImplOf(form);
  impl.exposedSinceShow = false;
  if (impl.restyling || impl.showReported) return;
  impl.showReported = true;
  Fire(form.onShow, form);
}

void FormHidden(Control& form) {
  Control::Impl& impl = ImplOf(form);
  impl.exposedSinceShow = false;
  if (impl.restyling) return;
  impl.showReported = false;
}

void DeliverCloseRequest(Control& form, bool fromPlatform) {
  Control::Impl& impl = ImplOf(form);
  // A window that a modal run blocks takes no commands from its frame.
  if (fromPlatform && IsBlockedByModalRun(form)) return;
  if (impl.inModalRun) {
    SetModalResult(form, -1);
    return;
  }
  Control* application = ApplicationOf(form);
  const bool ending = application != nullptr && ImplOf(*application).ending;
  if (form.onCloseRequest) {
    bool accept = true;
    CloseSlot handler = form.onCloseRequest;
    handler(form, accept);
    if (!accept && !ending) return;
  }
  if (application != nullptr && ImplOf(*application).mainForm == &form) {
    EndApplication(*application, 0);
  }
  form.visible = false;
  if (form.widget != nullptr) form.widget->hide();
}

}  // namespace dw::ui
