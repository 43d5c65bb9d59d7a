// Something a Bitmap can paint itself onto: another bitmap's Canvas, or the
// surface of a control on screen (implemented by the window layer).
#pragma once

namespace dw {

class Bitmap;

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;
  // Paints the whole of source 1:1 with its top-left corner at (x, y); what
  // falls outside the surface is clipped. Source is never empty here.
  virtual void DrawBitmap(const Bitmap& source, int x, int y) = 0;
};

}  // namespace dw
