// Texts, alignment, fonts and cursors of controls.
#include <QAbstractButton>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "ui/control_impl.h"

namespace dw::ui {

Qt::Alignment LabelAlignment(const Control::Impl& impl) {
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (impl.align == Align::Right) horizontal = Qt::AlignRight;
  if (impl.align == Align::Centre) horizontal = Qt::AlignHCenter;
  // Labels have no bottom alignment of their own: it reads as top.
  const Qt::Alignment vertical =
      impl.verticalAlign == VerticalAlign::Centre ? Qt::AlignVCenter : Qt::AlignTop;
  return horizontal | vertical;
}

void SetText(Control& control, const std::string& text) {
  control.text = text;
  if (control.kind == ControlKind::Application) {
    QGuiApplication::setApplicationName(QString::fromStdString(text));
    return;
  }
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

}  // namespace dw::ui
