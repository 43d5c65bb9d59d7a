// Control records: construction and teardown with their widgets, the way up
// to a record's window and application, and event slots.
#include <QWidget>

#include "ui/control_impl.h"
#include "ui/dialog_state.h"
#include "ui/menu_bar.h"
#include "ui/paint_surface.h"
#include "ui/timer_impl.h"
#include "ui/widgets.h"

namespace dw::ui {

Control::Impl::Impl() = default;
Control::Impl::~Impl() = default;

Control::Control() = default;

Control::~Control() {
  if (impl) {
    for (auto& timer : impl->timers) timer->timer.stop();
  }
  // Children go first, each taking its widget out of this one's.
  while (!children.empty()) children.pop_back();
  if (widget != nullptr) {
    if (auto* link = dynamic_cast<ControlLink*>(widget)) link->control = nullptr;
    delete widget;
    widget = nullptr;
  }
  // Last: the freed objects may be records that name these controls.
  freeWithForm.clear();
}

Control::Impl& ImplOf(Control& control) {
  if (!control.impl) control.impl = std::make_unique<Control::Impl>();
  return *control.impl;
}

const Control* FormOf(const Control& control) {
  const Control* c = &control;
  while (c != nullptr && c->kind != ControlKind::Form) c = c->parent;
  return c;
}

Control* FormOf(Control& control) {
  return const_cast<Control*>(FormOf(static_cast<const Control&>(control)));
}

Control* ApplicationOf(Control& control) {
  Control* c = &control;
  while (c != nullptr && c->kind != ControlKind::Application) c = c->parent;
  return c;
}

Control* ControlOfWidget(QWidget* widget) {
  auto* link = dynamic_cast<ControlLink*>(widget);
  return link == nullptr ? nullptr : link->control;
}

QWidget* ClientWidgetOf(Control& container) {
  if (container.impl && container.impl->client != nullptr) return container.impl->client;
  return container.widget;
}
void BindClick(Control& control, Slot slot) {
  control.onClick = std::move(slot);
}
void BindSelectionChange(Control& list, Slot slot) {
  list.onSelectionChange = std::move(slot);
}
void BindPaint(Control& paintArea, Slot slot) {
  paintArea.onPaint = std::move(slot);
}
void BindShow(Control& form, Slot slot) {
  form.onShow = std::move(slot);
}
void BindCloseRequest(Control& form, CloseSlot slot) {
  form.onCloseRequest = std::move(slot);
}

DrawingSurface& SurfaceOf(Control& paintArea) {
  Control::Impl& impl = ImplOf(paintArea);
  if (!impl.surface) impl.surface = std::make_unique<PaintSurface>(paintArea);
  return *impl.surface;
}

void SetEnabled(Control& control, bool enabled) {
  control.enabled = enabled;
  if (control.widget != nullptr) control.widget->setEnabled(enabled);
}

}  // namespace dw::ui
