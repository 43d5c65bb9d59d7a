#include "ui/paint_surface.h"

#include <QImage>
#include <QPainter>

#include "image/bitmap.h"
#include "ui/control_impl.h"
#include "ui/widgets.h"

namespace dw::ui {

namespace {

// The bitmap's screen pixels wrapped without a copy; valid while the bitmap's
// cached screen image is.
QImage WrapScreenImage(const ScreenImage& image) {
  return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                static_cast<qsizetype>(image.width) * 4, QImage::Format_RGB32);
}

}  // namespace

void PaintSurface::DrawBitmap(const Bitmap& source, int x, int y) {
  auto* widget = dynamic_cast<PaintAreaWidget*>(area_.widget);
  if (widget == nullptr || source.Empty()) return;
  const ScreenImage& screen = source.ToScreenImage();
  if (screen.width <= 0 || screen.height <= 0 ||
      screen.pixels.size() < static_cast<size_t>(screen.width) * screen.height) {
    return;
  }
  const QImage image = WrapScreenImage(screen);
  if (QPainter* painter = widget->activePainter()) {
    painter->drawImage(x, y, image);
    return;
  }
  if (!widget->isVisible() || widget->width() <= 0 || widget->height() <= 0) return;
  QImage& backing = widget->backing();
  if (backing.size() != widget->size()) {
    backing = QImage(widget->size(), QImage::Format_ARGB32_Premultiplied);
    backing.fill(Qt::transparent);
  }
  {
    QPainter painter(&backing);
    painter.drawImage(x, y, image);
  }
  widget->repaint();
}

}  // namespace dw::ui
