// The drawing surface of a paint area. During the area's paint slot it paints
// into that paint event; at any other time what is drawn shows on the screen
// at once (drawn into the area's backing image, then painted immediately), so
// a handler can show an image before it returns. A hidden area shows nothing.
//
// Only the part of a bitmap that can be seen is converted to screen pixels:
// in a paint slot the paint event's rectangle, a band of rows at a time;
// outside one the area's visible rectangle, straight into the backing (the
// rest is the paint slot's when it is scrolled into view). So showing a large
// frame in a small box holds the box's pixels, never a whole-image copy.
#pragma once

#include "image/drawing_surface.h"

namespace dw::ui {

struct Control;

class PaintSurface : public DrawingSurface {
 public:
  explicit PaintSurface(Control& area) : area_(area) {}
  void DrawBitmap(const Bitmap& source, int x, int y) override;

 private:
  Control& area_;
};

}  // namespace dw::ui
