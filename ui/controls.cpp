// Control records: creation of every child kind, their texts, looks, state
// and slots, and the teardown of a record with its widget.
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>

#include "ui/control_impl.h"
#include "ui/dialog_state.h"
#include "ui/docking.h"
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
    impl->destroying = true;
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

bool IsTopLevel(const Control& control) {
  return control.kind == ControlKind::Form;
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

namespace {

struct KindDefaults {
  int width = 64;
  int height = 0;
};

KindDefaults DefaultsOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::Button:
      return {64, 22};
    case ControlKind::CheckBox:
      return {72, 22};
    case ControlKind::EditBox:
      return {100, 22};
    case ControlKind::PaintArea:
      return {40, 40};
    default:
      return {64, 0};
  }
}

void SetFrameEdge(QFrame& frame, Edge edge) {
  switch (edge) {
    case Edge::None:
      frame.setFrameStyle(QFrame::NoFrame);
      break;
    case Edge::Raised:
      frame.setFrameStyle(QFrame::WinPanel | QFrame::Raised);
      break;
    case Edge::Sunken:
      frame.setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
      break;
  }
}

// Appends a record of the kind to parent, with what it takes from its parent
// and the kind's default bounds; the caller gives it its widget.
Control& AddChild(Control& parent, ControlKind kind) {
  auto owned = std::make_unique<Control>();
  Control& child = *owned;
  child.kind = kind;
  child.parent = &parent;
  child.impl = std::make_unique<Control::Impl>();
  child.font = parent.font;
  child.background = parent.background;
  child.gap = parent.gap;
  const KindDefaults defaults = DefaultsOf(kind);
  child.bounds.left = parent.gap;
  child.bounds.top = parent.gap + parent.marginTop;
  child.bounds.right = child.bounds.left + defaults.width;
  child.bounds.bottom = child.bounds.top + defaults.height;
  parent.children.push_back(std::move(owned));
  return child;
}

// Gives a child record its widget and shows it as the record says.
template <class W>
W* Attach(Control& child, W* widget) {
  child.widget = widget;
  widget->control = &child;
  ApplyFont(child);
  ApplyGeometry(child);
  widget->setVisible(child.visible);
  if (child.parent != nullptr) UpdateScrollRange(*child.parent);
  return widget;
}

template <class W, class... Args>
W* MakeWidget(Control& parent, Args&&... args) {
  QWidget* host = ClientWidgetOf(parent);
  if (host == nullptr) return nullptr;
  return new W(std::forward<Args>(args)..., host);
}

void ConnectClick(Control& control, QAbstractButton& button) {
  QObject::connect(&button, &QAbstractButton::clicked, &button,
                   [&control] { Fire(control.onClick, control); });
}

void SendLeftClick(QWidget& widget) {
  const QPointF centre(widget.width() / 2.0, widget.height() / 2.0);
  const QPointF global = widget.mapToGlobal(centre);
  QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &release);
}

Qt::Alignment LabelAlignment(const Control::Impl& impl) {
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (impl.align == Align::Right) horizontal = Qt::AlignRight;
  if (impl.align == Align::Centre) horizontal = Qt::AlignHCenter;
  // Labels have no bottom alignment of their own: it reads as top.
  const Qt::Alignment vertical =
      impl.verticalAlign == VerticalAlign::Centre ? Qt::AlignVCenter : Qt::AlignTop;
  return horizontal | vertical;
}

}  // namespace

Control& CreatePanel(Control& parent, Edge edge) {
  Control& panel = AddChild(parent, ControlKind::Panel);
  panel.impl->edge = edge;
  if (auto* frame = MakeWidget<Linked<QFrame>>(parent)) {
    SetFrameEdge(*frame, edge);
    Attach(panel, frame);
  }
  return panel;
}

Control& CreateLabel(Control& parent, const std::string& text) {
  Control& label = AddChild(parent, ControlKind::Label);
  label.text = text;
  if (auto* widget = MakeWidget<LabelWidget>(parent)) {
    widget->setTextFormat(Qt::PlainText);
    widget->setWordWrap(false);
    widget->setAlignment(LabelAlignment(*label.impl));
    widget->setText(QString::fromStdString(text));
    Attach(label, widget);
  }
  return label;
}

Control& CreateButton(Control& parent, const std::string& text) {
  Control& button = AddChild(parent, ControlKind::Button);
  button.text = text;
  if (auto* widget = MakeWidget<Linked<QPushButton>>(parent, QString::fromStdString(text))) {
    widget->setAutoDefault(false);
    ConnectClick(button, *widget);
    Attach(button, widget);
  }
  return button;
}

Control& CreateCheckBox(Control& parent, const std::string& text) {
  Control& box = AddChild(parent, ControlKind::CheckBox);
  box.text = text;
  if (auto* widget = MakeWidget<Linked<QCheckBox>>(parent, QString::fromStdString(text))) {
    ConnectClick(box, *widget);
    Attach(box, widget);
  }
  return box;
}

Control& CreateEditBox(Control& parent, EditOptions options) {
  Control& edit = AddChild(parent, ControlKind::EditBox);
  edit.background = SystemWindowColour();
  if (auto* widget = MakeWidget<Linked<QLineEdit>>(parent)) {
    widget->setReadOnly(options.readOnly);
    Attach(edit, widget);
  }
  return edit;
}

Control& CreateListBox(Control& parent, ListOptions options) {
  Control& list = AddChild(parent, ControlKind::ListBox);
  list.background = SystemWindowColour();
  list.impl->multipleSelection = options.multipleSelection;
  if (auto* widget = MakeWidget<ListWidget>(parent)) {
    widget->setSelectionMode(options.multipleSelection ? QAbstractItemView::ExtendedSelection
                                                       : QAbstractItemView::SingleSelection);
    widget->setUniformItemSizes(true);
    widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Attach(list, widget);
  }
  return list;
}

Control& CreateGroupBox(Control& parent, const std::string& caption) {
  Control& group = AddChild(parent, ControlKind::GroupBox);
  group.text = caption;
  group.marginTop = 22;
  group.marginBottom = 2;
  group.marginLeft = 2;
  group.marginRight = 2;
  if (auto* widget = MakeWidget<Linked<QGroupBox>>(parent, QString::fromStdString(caption))) {
    Attach(group, widget);
  }
  return group;
}

Control& CreateScrollArea(Control& parent, Edge edge) {
  Control& area = AddChild(parent, ControlKind::ScrollArea);
  area.impl->edge = edge;
  if (auto* widget = MakeWidget<Linked<QScrollArea>>(parent)) {
    SetFrameEdge(*widget, edge);
    widget->setWidgetResizable(false);
    widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* content = new QWidget;
    content->resize(0, 0);
    widget->setWidget(content);
    content->show();
    area.impl->client = content;
    Attach(area, widget);
  }
  return area;
}

Control& CreatePaintArea(Control& parent) {
  Control& area = AddChild(parent, ControlKind::PaintArea);
  area.impl->surface = std::make_unique<PaintSurface>(area);
  if (auto* widget = MakeWidget<PaintAreaWidget>(parent)) Attach(area, widget);
  return area;
}

void SetText(Control& control, const std::string& text) {
  control.text = text;
  QWidget* widget = control.widget;
  if (widget == nullptr) return;
  const QString shown = QString::fromStdString(text);
  switch (control.kind) {
    case ControlKind::Form:
      widget->setWindowTitle(shown);
      break;
    case ControlKind::Label:
      static_cast<QLabel*>(widget)->setText(shown);
      break;
    case ControlKind::Button:
    case ControlKind::CheckBox:
      static_cast<QAbstractButton*>(widget)->setText(shown);
      break;
    case ControlKind::EditBox:
      static_cast<QLineEdit*>(widget)->setText(shown);
      break;
    case ControlKind::GroupBox:
      static_cast<QGroupBox*>(widget)->setTitle(shown);
      break;
    default:
      return;
  }
  // The new text shows at once, not at the next turn of the loop.
  if (widget->isVisible()) widget->repaint();
}

std::string Text(const Control& control) {
  if (control.kind == ControlKind::EditBox && control.widget != nullptr) {
    return static_cast<QLineEdit*>(control.widget)->text().toStdString();
  }
  return control.text;
}

void SetTextAlign(Control& label, Align align) {
  Control::Impl& impl = ImplOf(label);
  impl.align = align;
  impl.alignSet = true;
  if (auto* widget = dynamic_cast<QLabel*>(label.widget)) {
    widget->setWordWrap(true);
    widget->setAlignment(LabelAlignment(impl));
  }
}

void SetVerticalAlign(Control& label, VerticalAlign align) {
  Control::Impl& impl = ImplOf(label);
  impl.verticalAlign = align;
  if (auto* widget = dynamic_cast<QLabel*>(label.widget))
    widget->setAlignment(LabelAlignment(impl));
}

void SetFontHeight(Control& control, int height) {
  control.font.height = height;
  ApplyFont(control);
}

void SetFontColour(Control& control, Colour colour) {
  control.font.colour = colour;
  ApplyFont(control);
}

void SetFontBold(Control& control, bool bold) {
  control.font.bold = bold;
  ApplyFont(control);
}

void SetMouseCursor(Control& control, Cursor cursor) {
  control.cursor = cursor;
  if (control.widget == nullptr) return;
  if (cursor == Cursor::Hand) {
    control.widget->setCursor(Qt::PointingHandCursor);
  } else {
    control.widget->unsetCursor();
  }
}

void SetChecked(Control& checkBox, bool checked) {
  if (auto* box = dynamic_cast<QCheckBox*>(checkBox.widget)) box->setChecked(checked);
}

bool IsChecked(const Control& checkBox) {
  auto* box = dynamic_cast<QCheckBox*>(checkBox.widget);
  return box != nullptr && box->isChecked();
}

void PerformClick(Control& control) {
  if (control.kind == ControlKind::Button || control.kind == ControlKind::CheckBox) {
    if (auto* button = dynamic_cast<QAbstractButton*>(control.widget)) {
      button->click();  // toggles a check box, then emits clicked synchronously
    } else {
      Fire(control.onClick, control);
    }
    return;
  }
  if (control.widget != nullptr) SendLeftClick(*control.widget);
}

void SetEnabled(Control& control, bool enabled) {
  control.enabled = enabled;
  if (control.widget != nullptr) control.widget->setEnabled(enabled);
}

void RaiseToTop(Control& control) {
  if (control.kind == ControlKind::Form) {
    Realise(control);
    control.visible = true;
    if (control.widget != nullptr) {
      control.widget->setAttribute(Qt::WA_ShowWithoutActivating, true);
      control.widget->show();
      control.widget->setAttribute(Qt::WA_ShowWithoutActivating, false);
      control.widget->raise();
    }
    return;
  }
  // A child's platform window needs its window's.
  if (Control* form = FormOf(control)) Realise(*form);
  const bool wasVisible = control.visible;
  control.visible = true;
  if (control.widget != nullptr) {
    control.widget->raise();
    control.widget->show();
  }
  if (!wasVisible && control.parent != nullptr) LayOut(*control.parent);
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

}  // namespace dw::ui
