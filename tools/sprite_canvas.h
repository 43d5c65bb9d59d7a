// A small software painter for the sample archives: an image of palette
// indices with shaded round shapes lit from the upper left, so that a few
// ellipses and limbs read as a solid figure.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sample_palette.h"

namespace dw::samples {

struct Point {
  double x = 0, y = 0;
};

class SpriteCanvas {
 public:
  SpriteCanvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<uint8_t>& pixels() const { return pixels_; }
  uint8_t At(int x, int y) const;
  void Set(int x, int y, uint8_t index);

  // A lit ellipsoid; shadeOffset darkens (negative) or lightens it.
  void Ball(Point centre, double rx, double ry, Ramp ramp, int shadeOffset = 0,
            bool glossy = false);
  // A lit limb from a to b, radius ra at a and rb at b, with round ends.
  void Limb(Point a, Point b, double ra, double rb, Ramp ramp, int shadeOffset = 0);
  // A flat ellipse of one index, where nothing is drawn yet (ground shadows).
  void FlatEllipse(Point centre, double rx, double ry, uint8_t index);
  // A convex polygon shaded along a direction (for blades and cloth).
  void Polygon(const std::vector<Point>& corners, Ramp ramp, int lightShade, int darkShade);
  // Surrounds every drawn pixel (index 8 and above) with outline pixels where
  // the background or a shadow shows.
  void Outline(uint8_t index);

 private:
  int Level(double nx, double ny, double nz, int shadeOffset, bool glossy) const;

  int width_;
  int height_;
  std::vector<uint8_t> pixels_;
};

}  // namespace dw::samples
