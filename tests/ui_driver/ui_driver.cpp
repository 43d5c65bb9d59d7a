#include "tests/ui_driver/ui_driver.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include "ui/control_impl.h"
#include "ui/menu_bar.h"
#include "ui/menu_template.h"

namespace dw::testing {

using ui::ImplOf;

namespace {

void SendMouse(QWidget& receiver, QEvent::Type type, QPoint position, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  const QPointF local(position);
  QMouseEvent event(type, local, receiver.mapToGlobal(local), button, buttons, modifiers);
  QCoreApplication::sendEvent(&receiver, &event);
}

void Click(QWidget& receiver, QPoint position, Qt::KeyboardModifiers modifiers) {
  SendMouse(receiver, QEvent::MouseButtonPress, position, Qt::LeftButton, Qt::LeftButton,
            modifiers);
  SendMouse(receiver, QEvent::MouseButtonRelease, position, Qt::LeftButton, Qt::NoButton,
            modifiers);
}

// The viewport point at the centre of a list item, scrolled into view.
QListWidget* ListAndPoint(Control& list, int index, QPoint& point) {
  auto* widget = dynamic_cast<QListWidget*>(list.widget);
  if (widget == nullptr || index < 0 || index >= widget->count()) return nullptr;
  widget->scrollToItem(widget->item(index));
  point = widget->visualItemRect(widget->item(index)).center();
  return widget;
}

ScreenImage ToScreenImage(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  ScreenImage result;
  result.width = image.width();
  result.height = image.height();
  result.pixels.resize(static_cast<size_t>(result.width) * result.height);
  for (int y = 0; y < result.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    std::copy(row, row + result.width,
              result.pixels.begin() + static_cast<size_t>(y) * result.width);
  }
  return result;
}

// Whether the platform has put the control's window on the screen, so that
// what it paints is seen (a window shown a moment ago may not be there yet).
bool IsExposed(Control& control) {
  if (control.widget == nullptr) return false;
  const QWindow* handle = control.widget->window()->windowHandle();
  const Control* form = ui::FormOf(control);
  return handle != nullptr && handle->isExposed() && form != nullptr && form->impl &&
         form->impl->exposedSinceShow;
}

// The window's pixels as the screen holds them; null when it is not shown.
QPixmap GrabFromScreen(Control& control) {
  QWidget& widget = *control.widget;
  QWidget* window = widget.window();
  if (!widget.isVisible() || !IsExposed(control)) return QPixmap();
  QScreen* screen = window->screen();
  if (screen == nullptr) return QPixmap();
  const QPoint origin = widget.mapTo(window, QPoint(0, 0));
  return screen->grabWindow(window->winId(), origin.x(), origin.y(), widget.width(),
                            widget.height());
}

ui::Colour FromQColor(const QColor& colour) {
  return {static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
          static_cast<uint8_t>(colour.blue())};
}

}  // namespace

void ShowWindows(Control& application) {
  ui::ShowApplicationWindows(application);
  ProcessEvents();
}

void ProcessEvents(int ms) {
  if (ms > 0) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

void FreeApplication(Control& application) {
  ui::FreeApplicationObject(application);
}

void ScheduleAfter(int ms, std::function<void()> callback) {
  QTimer::singleShot(ms, QCoreApplication::instance(), std::move(callback));
}

void SendKey(Control& target, int key, uint8_t flags) {
  QWidget* receiver = target.widget;
  if (receiver == nullptr) return;
  if (target.kind == ui::ControlKind::Form) {
    receiver =
        receiver->focusWidget() != nullptr ? receiver->focusWidget() : ui::ClientWidgetOf(target);
  } else {
    receiver->setFocus(Qt::OtherFocusReason);
  }
  const int qtKey = ui::QtKeyOfVirtualKey(key);
  const auto modifiers = Qt::KeyboardModifiers(ui::QtModifiersOfAccelFlags(flags));
  QString text;
  if (qtKey < 0x80 && qtKey >= 0x20 && !(flags & (ui::kAccelControl | ui::kAccelAlt))) {
    text = QChar(qtKey);
    if (!(flags & ui::kAccelShift)) text = text.toLower();
  }
  // As the platform delivers a key: first offered as a shortcut, then pressed.
  QKeyEvent offer(QEvent::ShortcutOverride, qtKey, modifiers, text);
  offer.ignore();
  QCoreApplication::sendEvent(receiver, &offer);
  QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
  QCoreApplication::sendEvent(receiver, &press);
  QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
  QCoreApplication::sendEvent(receiver, &release);
}

void ClickItem(Control& list, int index, bool ctrl, bool shift) {
  QPoint point;
  QListWidget* widget = ListAndPoint(list, index, point);
  if (widget == nullptr) return;
  widget->setFocus(Qt::MouseFocusReason);
  Qt::KeyboardModifiers modifiers;
  if (ctrl) modifiers |= Qt::ControlModifier;
  if (shift) modifiers |= Qt::ShiftModifier;
  Click(*widget->viewport(), point, modifiers);
}

void DoubleClickItem(Control& list, int index) {
  QPoint point;
  QListWidget* widget = ListAndPoint(list, index, point);
  if (widget == nullptr) return;
  widget->setFocus(Qt::MouseFocusReason);
  QWidget& viewport = *widget->viewport();
  // What Qt delivers for a double click: a click, then a press that is also a
  // double click, then the release.
  Click(viewport, point, Qt::NoModifier);
  SendMouse(viewport, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton,
            Qt::NoModifier);
  SendMouse(viewport, QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton,
            Qt::NoModifier);
  SendMouse(viewport, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton,
            Qt::NoModifier);
}

void ClickControl(Control& control) {
  QWidget* widget = control.widget;
  if (widget == nullptr) return;
  QPoint centre(widget->width() / 2, widget->height() / 2);
  QWidget* receiver = widget->childAt(centre);
  if (receiver == nullptr) {
    receiver = widget;
  } else {
    centre = receiver->mapFrom(widget, centre);
  }
  Click(*receiver, centre, Qt::NoModifier);
}

void ClickCloseBox(Control& form) {
  ui::DeliverCloseRequest(form, /*fromPlatform=*/true);
}

bool IsWindowEnabledOnScreen(Control& form) {
  return form.widget != nullptr && form.widget->isEnabled() && !ui::IsBlockedByModalRun(form);
}

bool IsActiveWindow(Control& form) {
  return form.widget != nullptr && QApplication::activeWindow() == form.widget;
}

bool HasFocus(Control& control) {
  return control.widget != nullptr && control.widget->hasFocus();
}

bool IsShownOnScreen(Control& control) {
  return control.widget != nullptr && control.widget->isVisible();
}

ScreenImage GrabControl(Control& control) {
  if (control.widget == nullptr) return {};
  if (control.widget->width() <= 0 || control.widget->height() <= 0) {
    return {control.widget->width(), control.widget->height(), {}};
  }
  QPixmap pixmap = GrabFromScreen(control);
  if (pixmap.isNull()) pixmap = control.widget->grab();
  return ToScreenImage(pixmap.toImage());
}

bool SavePng(Control& form, const std::string& path) {
  if (form.widget == nullptr) return false;
  QWidget& window = *form.widget->window();
  QPixmap pixmap = GrabFromScreen(form);
  if (pixmap.isNull()) pixmap = window.grab();
  return pixmap.save(QString::fromStdString(path), "PNG");
}

ui::Rect ScreenBounds(Control& control) {
  if (control.widget == nullptr) return {};
  const QPoint origin = control.widget->mapToGlobal(QPoint(0, 0));
  return {origin.x(), origin.y(), origin.x() + control.widget->width(),
          origin.y() + control.widget->height()};
}

ScreenSize PrimaryScreenSize() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  return {screen->geometry().width(), screen->geometry().height()};
}

FrameLook FrameLookOf(Control& form) {
  FrameLook look;
  if (form.widget == nullptr) return look;
  const Qt::WindowFlags flags = form.widget->windowFlags();
  look.minimiseBox = flags.testFlag(Qt::WindowMinimizeButtonHint);
  look.maximiseBox = flags.testFlag(Qt::WindowMaximizeButtonHint);
  look.closeBox = flags.testFlag(Qt::WindowCloseButtonHint);
  look.resizable = form.widget->minimumSize() != form.widget->maximumSize();
  look.title = form.widget->windowTitle().toStdString();
  const QWindow* handle = form.widget->windowHandle();
  const QWindow* owner = handle != nullptr ? handle->transientParent() : nullptr;
  if (Control* application = ApplicationOf(form); application != nullptr && owner != nullptr) {
    for (auto& other : application->children) {
      if (other->widget != nullptr && other->widget->windowHandle() == owner) look.owner = other.get();
    }
  }
  return look;
}

TextLook TextLookOf(Control& control) {
  TextLook look;
  QWidget* widget = control.widget;
  if (widget == nullptr) return look;
  if (auto* label = dynamic_cast<QLabel*>(widget)) {
    look.text = label->text().toStdString();
    look.wraps = label->wordWrap();
    const Qt::Alignment align = label->alignment();
    look.align = align.testFlag(Qt::AlignHCenter) ? ui::Align::Centre
                 : align.testFlag(Qt::AlignRight) ? ui::Align::Right
                                                  : ui::Align::Left;
    look.verticalAlign =
        align.testFlag(Qt::AlignVCenter) ? ui::VerticalAlign::Centre : ui::VerticalAlign::Top;
  } else if (auto* group = dynamic_cast<QGroupBox*>(widget)) {
    look.text = group->title().toStdString();
  }
  const QFont font = widget->font();
  look.pixelSize = QFontInfo(font).pixelSize();
  look.lineHeight = QFontMetrics(font).height();
  look.bold = font.bold();
  look.colour = FromQColor(widget->palette().color(QPalette::Active, widget->foregroundRole()));
  return look;
}

bool ShowsHandCursor(Control& control) {
  return control.widget != nullptr && control.widget->cursor().shape() == Qt::PointingHandCursor;
}

MenuItemLook MenuItemLookOf(const ui::Menu& menu, int index) {
  MenuItemLook look;
  if (index < 0 || index >= static_cast<int>(menu.items.size())) return look;
  const ui::Menu::Item& item = menu.items[index];
  const QAction* action = item.action;
  const std::string shown = action != nullptr ? action->text().toStdString() : item.text;
  look.caption = ui::ItemCaption(shown);
  look.shortcutText = ui::ItemShortcutText(shown);
  look.greyed = action != nullptr && !action->isEnabled();
  look.hasQtShortcut = action != nullptr && !action->shortcut().isEmpty();
  return look;
}

ScrollBarLook ScrollBarOf(Control& scrollArea, bool horizontal) {
  ScrollBarLook look;
  auto* area = dynamic_cast<QScrollArea*>(scrollArea.widget);
  if (area == nullptr) return look;
  const QScrollBar* bar = horizontal ? area->horizontalScrollBar() : area->verticalScrollBar();
  look.visible = bar->isVisibleTo(area);
  look.maximum = bar->maximum();
  look.page = bar->pageStep();
  return look;
}

ui::Rect WidgetGeometry(Control& control) {
  if (control.widget == nullptr) return {};
  QRect geometry = control.widget->geometry();
  if (control.parent != nullptr && control.parent->kind == ui::ControlKind::Panel) {
    const int offset = ui::EdgeWidthOf(*control.parent);
    geometry.translate(-offset, -offset);
  }
  return {geometry.left(), geometry.top(), geometry.left() + geometry.width(),
          geometry.top() + geometry.height()};
}

}  // namespace dw::testing
