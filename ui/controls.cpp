// Child controls: creation of every kind with what it takes from its parent,
// check boxes and clicks, and raising.
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
#include "ui/docking.h"
#include "ui/paint_surface.h"
#include "ui/widgets.h"

namespace dw::ui {

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

}  // namespace dw::ui
