// Bounds of controls and their client areas, and how changes of either reach
// the widgets and the docking.
#include <QScrollArea>
#include <QWidget>
#include <algorithm>

#include "ui/control_impl.h"
#include "ui/docking.h"
#include "ui/widgets.h"

namespace dw::ui {

namespace {

bool SameSize(const Rect& a, const Rect& b) {
  return a.Width() == b.Width() && a.Height() == b.Height();
}

// Where a child's (0, 0) lies in the widget that holds its widget.
int ClientOffset(const Control& container) {
  return container.kind == ControlKind::Panel ? EdgeWidthOf(container) : 0;
}

// A form's client area follows from its outer size: the frame and the menu
// bar take their fixed parts.
void DeriveFormClient(Control& form) {
  Control::Impl& impl = ImplOf(form);
  impl.clientWidth = std::max(0, form.bounds.Width() - kFrameWidth);
  impl.clientHeight = std::max(0, form.bounds.Height() - kFrameHeight - impl.menuBarHeight);
}

void SetBounds(Control& control, const Rect& bounds) {
  const Rect old = control.bounds;
  control.bounds = bounds;
  if (control.kind == ControlKind::Form) DeriveFormClient(control);
  ApplyGeometry(control);
  if (control.parent != nullptr) UpdateScrollRange(*control.parent);
  if (SameSize(old, bounds)) return;
  LayOut(control);
  if (control.parent != nullptr && control.parent->kind != ControlKind::Application &&
      control.dock != Dock::None && control.visible) {
    LayOut(*control.parent);
  }
}

}  // namespace

int EdgeWidthOf(const Control& control) {
  if (control.kind != ControlKind::Panel && control.kind != ControlKind::ScrollArea) return 0;
  if (!control.impl || control.impl->edge == Edge::None) return 0;
  return kEdgeWidth;
}

Rect Bounds(const Control& control) {
  return control.bounds;
}

int ClientWidth(const Control& control) {
  switch (control.kind) {
    case ControlKind::Application:
      return 0;
    case ControlKind::Form:
      return control.impl ? control.impl->clientWidth
                          : std::max(0, control.bounds.Width() - kFrameWidth);
    default:
      return std::max(0, control.bounds.Width() - 2 * EdgeWidthOf(control));
  }
}

int ClientHeight(const Control& control) {
  switch (control.kind) {
    case ControlKind::Application:
      return 0;
    case ControlKind::Form:
      return control.impl ? control.impl->clientHeight
                          : std::max(0, control.bounds.Height() - kFrameHeight);
    default:
      return std::max(0, control.bounds.Height() - 2 * EdgeWidthOf(control));
  }
}

void SetClientSize(Control& form, int width, int height) {
  if (form.kind != ControlKind::Form) {
    SizeTo(form, width + 2 * EdgeWidthOf(form), height + 2 * EdgeWidthOf(form));
    return;
  }
  Control::Impl& impl = ImplOf(form);
  width = std::max(0, width);
  height = std::max(0, height);
  const bool changed = width != impl.clientWidth || height != impl.clientHeight;
  form.bounds.right = form.bounds.left + width + kFrameWidth;
  form.bounds.bottom = form.bounds.top + height + kFrameHeight + impl.menuBarHeight;
  impl.clientWidth = width;
  impl.clientHeight = height;
  ApplyGeometry(form);
  if (changed) LayOut(form);
}

void ClientSizeChangedOnScreen(Control& form, int width, int height) {
  Control::Impl& impl = ImplOf(form);
  if (impl.restyling || (width == impl.clientWidth && height == impl.clientHeight)) return;
  impl.clientWidth = width;
  impl.clientHeight = height;
  form.bounds.right = form.bounds.left + width + kFrameWidth;
  form.bounds.bottom = form.bounds.top + height + kFrameHeight + impl.menuBarHeight;
  LayOut(form);
}

void SetMenuBarHeight(Control& form, int height) {
  Control::Impl& impl = ImplOf(form);
  impl.menuBarHeight = height;
  const int oldWidth = impl.clientWidth, oldHeight = impl.clientHeight;
  DeriveFormClient(form);
  if (oldWidth != impl.clientWidth || oldHeight != impl.clientHeight) LayOut(form);
}

void ApplyGeometry(Control& control) {
  QWidget* widget = control.widget;
  if (widget == nullptr) return;
  const Rect& b = control.bounds;
  if (control.kind == ControlKind::Form) {
    const Control::Impl& impl = ImplOf(control);
    const QSize size(impl.clientWidth, impl.clientHeight + impl.menuBarHeight);
    widget->move(b.left, b.top);
    if (impl.fixedSize || !(control.style & kStyleSizingFrame)) {
      widget->setFixedSize(size);
    } else {
      widget->setMinimumSize(0, 0);
      widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
      widget->resize(size);
    }
    return;
  }
  const int offset = control.parent != nullptr ? ClientOffset(*control.parent) : 0;
  widget->setGeometry(b.left + offset, b.top + offset, std::max(0, b.Width()),
                      std::max(0, b.Height()));
}

void BoundsChangedByLayout(Control& control, const Rect& old) {
  ApplyGeometry(control);
  if (control.parent != nullptr) UpdateScrollRange(*control.parent);
  if (!SameSize(old, control.bounds)) LayOut(control);
}

void UpdateScrollRange(Control& scrollArea) {
  if (scrollArea.kind != ControlKind::ScrollArea || !scrollArea.impl) return;
  QWidget* content = scrollArea.impl->client;
  if (content == nullptr) return;
  // The content spans the rectangle enclosing every child; the scroll area
  // shows its bars only while that is larger than what it can show.
  int right = 0, bottom = 0;
  for (const auto& child : scrollArea.children) {
    right = std::max(right, child->bounds.right);
    bottom = std::max(bottom, child->bounds.bottom);
  }
  if (content->width() != right || content->height() != bottom) content->resize(right, bottom);
}

void PlaceAt(Control& control, int x, int y) {
  const int width = control.bounds.Width(), height = control.bounds.Height();
  SetBounds(control, {x, y, x + width, y + height});
}

void SizeTo(Control& control, int width, int height) {
  Rect bounds = control.bounds;
  if (width > 0) bounds.right = bounds.left + width;
  if (height > 0) bounds.bottom = bounds.top + height;
  SetBounds(control, bounds);
}

void SetControlWidth(Control& control, int width) {
  Rect bounds = control.bounds;
  bounds.right = bounds.left + std::max(0, width);
  SetBounds(control, bounds);
}

void SetControlHeight(Control& control, int height) {
  Rect bounds = control.bounds;
  bounds.bottom = bounds.top + std::max(0, height);
  SetBounds(control, bounds);
}

void DockTo(Control& control, Dock side) {
  control.dock = side;
  if (control.parent != nullptr && control.parent->kind != ControlKind::Application) {
    LayOut(*control.parent);
  }
}

void SetGap(Control& control, int gap) {
  control.gap = gap;
  LayOut(control);
}

void SetMargin(Control& control, Side side, int value) {
  switch (side) {
    case Side::Top:
      control.marginTop = value;
      break;
    case Side::Bottom:
      control.marginBottom = value;
      break;
    case Side::Left:
      control.marginLeft = value;
      break;
    case Side::Right:
      control.marginRight = value;
      break;
  }
  LayOut(control);
}

}  // namespace dw::ui
