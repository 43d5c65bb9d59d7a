#include "ui/paint_surface.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/bitmap.h"
#include "image/screen_image.h"
#include "ui/control_impl.h"
#include "ui/widgets.h"

namespace dw::ui {

namespace {

// Rows converted at a time while painting: the paint event's part of a large
// image is never held whole.
constexpr int64_t kBandBytes = int64_t{256} << 10;

// The part of source drawn at (x, y) that falls inside clip, in the area's
// coordinates (computed wide, so that no placement overflows).
QRect PartInside(const Bitmap& source, int x, int y, const QRect& clip) {
  if (clip.isEmpty()) return QRect();
  const int64_t left = std::max<int64_t>(x, clip.left());
  const int64_t top = std::max<int64_t>(y, clip.top());
  const int64_t right = std::min<int64_t>(int64_t{x} + source.Width(), int64_t{clip.right()} + 1);
  const int64_t bottom =
      std::min<int64_t>(int64_t{y} + source.Height(), int64_t{clip.bottom()} + 1);
  if (left >= right || top >= bottom) return QRect();
  return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
               static_cast<int>(bottom - top));
}

void PaintInBands(QPainter& painter, const Bitmap& source, int x, int y, const QRect& part) {
  const int width = part.width();
  const int rowsPerBand =
      static_cast<int>(std::clamp<int64_t>(kBandBytes / (int64_t{width} * 4), 1, part.height()));
  std::vector<uint32_t> band(static_cast<size_t>(width) * rowsPerBand);
  for (int top = part.top(); top <= part.bottom(); top += rowsPerBand) {
    const int rows = std::min(rowsPerBand, part.bottom() + 1 - top);
    if (!ConvertToScreen(source, part.left() - x, top - y, width, rows, band.data(), width)) {
      return;
    }
    const QImage image(reinterpret_cast<const uchar*>(band.data()), width, rows,
                       static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    painter.drawImage(part.left(), top, image);
  }
}

// Converts the visible part straight into the area's backing, which is made
// anew (clear) when the visible part has changed since the last drawing.
void DrawIntoBacking(PaintAreaWidget& widget, const Bitmap& source, int x, int y,
                     const QRect& visible) {
  PaintAreaWidget::Backing& backing = widget.backing();
  if (backing.rect != visible || backing.pixels.empty()) {
    backing.pixels.clear();
    backing.pixels.shrink_to_fit();
    backing.pixels.resize(static_cast<size_t>(visible.width()) * visible.height(), 0);
    backing.rect = visible;
  }
  const QRect part = PartInside(source, x, y, visible);
  if (part.isEmpty()) return;
  uint32_t* out = backing.pixels.data() +
                  static_cast<ptrdiff_t>(part.top() - visible.top()) * visible.width() +
                  (part.left() - visible.left());
  ConvertToScreen(source, part.left() - x, part.top() - y, part.width(), part.height(), out,
                  visible.width());
}

}  // namespace

void PaintSurface::DrawBitmap(const Bitmap& source, int x, int y) {
  auto* widget = dynamic_cast<PaintAreaWidget*>(area_.widget);
  if (widget == nullptr || source.Empty()) return;
  if (QPainter* painter = widget->activePainter()) {
    const QRect part = PartInside(source, x, y, widget->paintRect());
    if (!part.isEmpty()) PaintInBands(*painter, source, x, y, part);
    return;
  }
  if (!widget->isVisible() || widget->width() <= 0 || widget->height() <= 0) return;
  // Only what can be seen now is shown at once; the rest is the paint slot's
  // when it comes into view.
  const QRect visible = widget->visibleRegion().boundingRect() & widget->rect();
  if (visible.isEmpty()) return;
  DrawIntoBacking(*widget, source, x, y, visible);
  widget->repaint();
}

}  // namespace dw::ui
