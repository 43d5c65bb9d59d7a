// The layer's private state behind a control record, and the helpers the
// layer's files share. Nothing outside ui/ includes this header.
//
// Widgets belong to Qt's parent chain of the form they sit in; a record only
// points at its widget and deletes it when the record is destroyed (children
// first). Menus, timers and dialogs belong to their form's record.
#pragma once

#include <QFlags>
#include <QPointer>
#include <Qt>
#include <memory>
#include <vector>

#include "ui/window_layer.h"

class QEventLoop;
class QFont;
class QWidget;

namespace dw::ui {

class PaintSurface;

struct Control::Impl {
  Impl();
  ~Impl();

  // The widget children's widgets are placed in: a form's area below its menu
  // bar, a scrolling container's content; otherwise the control's own widget.
  QWidget* client = nullptr;

  // Top-level windows.
  bool realised = false;  // "platform window created": SetVisible acts at once
  bool closeCommand = true;
  bool fixedSize = false;
  bool showReported = false;  // a show slot call is owed only after a hide
  // The platform has put the window on the screen since it was last shown
  // (its own exposed flag lags behind a hide until events are processed).
  bool exposedSinceShow = false;
  bool restyling = false;  // window flags being replaced; not a real hide/show
  bool inModalRun = false;
  // The window that was active when this one was shown and activated; it gets
  // the activation back when this one hides while still active.
  QPointer<QWidget> activatedFrom;
  int modalBlocks = 0;  // modal runs of other windows that block this one
  QEventLoop* modalLoop = nullptr;
  int clientWidth = 0, clientHeight = 0;  // the docking client area
  int menuBarHeight = 0;
  std::unique_ptr<Menu> menu;
  std::vector<std::unique_ptr<Timer>> timers;
  std::vector<std::unique_ptr<FolderDialog>> folderDialogs;
  std::vector<std::unique_ptr<FileDialog>> fileDialogs;

  // The application object.
  bool ending = false;
  int exitCode = 0;
  Control* mainForm = nullptr;
  QEventLoop* mainLoop = nullptr;

  // Kind-specific options.
  Edge edge = Edge::None;
  bool multipleSelection = false;
  Align align = Align::Left;
  VerticalAlign verticalAlign = VerticalAlign::Top;
  std::unique_ptr<PaintSurface> surface;
};

// Pixels of a panel's or scrolling container's edge.
inline constexpr int kEdgeWidth = 2;
// The frame a top-level window's outer size includes: borders and caption.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 27;

// Runs a slot on a copy, so that a handler may rebind its own slot.
inline void Fire(const Slot& slot, Control& sender) {
  if (!slot) return;
  Slot copy = slot;
  copy(sender);
}

Control::Impl& ImplOf(Control& control);        // made on first use for loose records
const Control* FormOf(const Control& control);  // the top-level window holding it
Control* FormOf(Control& control);
Control* ApplicationOf(Control& control);  // nullptr for loose records
Control* CurrentApplication();
Control* ControlOfWidget(QWidget* widget);    // the record a layer widget shows
QWidget* ClientWidgetOf(Control& container);  // where its children's widgets live

// Geometry plumbing (geometry.cpp).
void ApplyGeometry(Control& control);  // pushes the record's bounds to its widget
void BoundsChangedByLayout(Control& control, const Rect& old);
void UpdateScrollRange(Control& scrollArea);
void ClientSizeChangedOnScreen(Control& form, int width, int height);
void SetMenuBarHeight(Control& form, int height);
int EdgeWidthOf(const Control& control);

// Texts and fonts (appearance.cpp, fonts.cpp).
Qt::Alignment LabelAlignment(const Control::Impl& impl);
void ApplyFont(Control& control);
QFont ScreenFont(const Font& font);

// The application object (application.cpp).
void EndApplication(Control& application, int exitCode);
void ShowApplicationWindows(Control& application);
void FreeApplicationObject(Control& application);

// Top-level windows (forms.cpp, modal.cpp).
void DeliverCloseRequest(Control& form, bool fromPlatform);
void FormShown(Control& form);
void FormHidden(Control& form);
void Realise(Control& form);
void ApplyWindowFlags(Control& form);
bool IsBlockedByModalRun(const Control& form);

// The application-wide filter that runs accelerators before the focused
// control sees the key and keeps input away from windows a modal run blocks.
void InstallInputFilter();

// Menus (menus.cpp).
// Whether the key is the accelerator of an enabled item of the form's menu; runs
// the item when run is set.
bool RunAccelerator(Control& form, int qtKey, int qtModifiers, bool run);

}  // namespace dw::ui
