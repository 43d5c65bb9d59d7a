// Fonts and colours: the record's font in the platform's terms, and the
// system colours from the application palette.
#include <QApplication>
#include <QFontMetrics>
#include <QPalette>
#include <QWidget>

#include "ui/control_impl.h"
#include "ui/widgets.h"

namespace dw::ui {

namespace {

// Classic system colours, used before a QApplication exists.
constexpr Colour kClassicFace{212, 208, 200};
constexpr Colour kClassicWindow{255, 255, 255};
constexpr Colour kClassicWindowText{0, 0, 0};

Colour FromQColor(const QColor& colour) {
  return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
          static_cast<uint8_t>(colour.blue())};
}

Colour PaletteColour(QPalette::ColorRole role, Colour fallback) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return fallback;
  return FromQColor(QApplication::palette().color(QPalette::Active, role));
}

}  // namespace

Colour SystemFaceColour() {
  return PaletteColour(QPalette::Window, kClassicFace);
}
Colour SystemWindowColour() {
  return PaletteColour(QPalette::Base, kClassicWindow);
}
Colour SystemWindowTextColour() {
  return PaletteColour(QPalette::WindowText, kClassicWindowText);
}

// The face "MS Sans Serif" stands for a narrow sans-serif face: the windows
// place their texts in fixed widths made for that face, and the platform's
// usual sans-serif face is too wide for them. A negative height is the
// character height in pixels; a positive one the height of the whole cell, so
// the largest size whose line fits in it is used.
QFont ScreenFont(const Font& font) {
  QFont screen = QApplication::font();
  if (font.face == "MS Sans Serif") {
    screen.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"),
                        screen.family()});
  } else if (!font.face.empty()) {
    screen.setFamily(QString::fromStdString(font.face));
  }
  screen.setBold(font.bold);
  if (font.height < 0) {
    screen.setPixelSize(-font.height);
  } else if (font.height > 0) {
    int size = font.height;
    for (; size > 1; --size) {
      screen.setPixelSize(size);
      if (QFontMetrics(screen).height() <= font.height) break;
    }
    screen.setPixelSize(size);
  }
  return screen;
}

void ApplyFont(Control& control) {
  QWidget* widget = control.widget;
  if (widget == nullptr) return;
  // A form's font is its controls' starting font; the menu bar keeps the
  // platform's menu font.
  QWidget* target = control.kind == ControlKind::Form ? ClientWidgetOf(control) : widget;
  target->setFont(ScreenFont(control.font));
  const Colour c = control.font.colour;
  if (c == SystemWindowTextColour() && !target->testAttribute(Qt::WA_SetPalette)) return;
  QPalette palette = target->palette();
  const QColor colour(c.red, c.green, c.blue);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
  }
  target->setPalette(palette);
}

}  // namespace dw::ui
