#include "tools/sprite_canvas.h"

#include <algorithm>
#include <cmath>

namespace dw::samples {
namespace {

// Light from the upper left and a little in front.
constexpr double kLightX = -0.55, kLightY = -0.62, kLightZ = 0.56;

bool IsPainted(uint8_t index) {
  return index >= 8;
}

}  // namespace

SpriteCanvas::SpriteCanvas(int width, int height)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), 0) {}

uint8_t SpriteCanvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * width_ + x];
}

void SpriteCanvas::Set(int x, int y, uint8_t index) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[size_t(y) * width_ + x] = index;
}

int SpriteCanvas::Level(double nx, double ny, double nz, int shadeOffset, bool glossy) const {
  const double diffuse = std::max(0.0, nx * kLightX + ny * kLightY + nz * kLightZ);
  double level = 3.0 + 10.0 * diffuse;
  if (glossy) {
    // A highlight where the surface faces halfway between light and viewer.
    const double hx = kLightX, hy = kLightY, hz = kLightZ + 1.0;
    const double hn = std::sqrt(hx * hx + hy * hy + hz * hz);
    const double highlight = std::max(0.0, (nx * hx + ny * hy + nz * hz) / hn);
    level += 6.0 * std::pow(highlight, 24.0);
  }
  return static_cast<int>(std::lround(level)) + shadeOffset;
}

void SpriteCanvas::Ball(Point c, double rx, double ry, Ramp ramp, int shadeOffset, bool glossy) {
  const int x0 = int(std::floor(c.x - rx)), x1 = int(std::ceil(c.x + rx));
  const int y0 = int(std::floor(c.y - ry)), y1 = int(std::ceil(c.y + ry));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double nx = (x + 0.5 - c.x) / rx, ny = (y + 0.5 - c.y) / ry;
      const double d = nx * nx + ny * ny;
      if (d > 1.0) continue;
      Set(x, y, Shade(ramp, Level(nx, ny, std::sqrt(1.0 - d), shadeOffset, glossy)));
    }
  }
}

void SpriteCanvas::Limb(Point a, Point b, double ra, double rb, Ramp ramp, int shadeOffset) {
  const double r = std::max(ra, rb);
  const int x0 = int(std::floor(std::min(a.x, b.x) - r)),
            x1 = int(std::ceil(std::max(a.x, b.x) + r));
  const int y0 = int(std::floor(std::min(a.y, b.y) - r)),
            y1 = int(std::ceil(std::max(a.y, b.y) + r));
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = std::max(1e-9, dx * dx + dy * dy);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / length2, 0.0, 1.0);
      const double cx = a.x + t * dx, cy = a.y + t * dy;
      const double radius = ra + (rb - ra) * t;
      const double ox = (px - cx) / radius, oy = (py - cy) / radius;
      const double d = ox * ox + oy * oy;
      if (d > 1.0) continue;
      Set(x, y, Shade(ramp, Level(ox, oy, std::sqrt(1.0 - d), shadeOffset, false)));
    }
  }
}

void SpriteCanvas::FlatEllipse(Point c, double rx, double ry, uint8_t index) {
  const int x0 = int(std::floor(c.x - rx)), x1 = int(std::ceil(c.x + rx));
  const int y0 = int(std::floor(c.y - ry)), y1 = int(std::ceil(c.y + ry));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double nx = (x + 0.5 - c.x) / rx, ny = (y + 0.5 - c.y) / ry;
      if (nx * nx + ny * ny <= 1.0 && !IsPainted(At(x, y))) Set(x, y, index);
    }
  }
}

void SpriteCanvas::Polygon(const std::vector<Point>& corners, Ramp ramp, int lightShade,
                           int darkShade) {
  if (corners.size() < 3) return;
  double minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
  for (const Point& p : corners) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  const double span = std::max(1.0, (maxX - minX) + (maxY - minY));
  for (int y = int(std::floor(minY)); y <= int(std::ceil(maxY)); ++y) {
    for (int x = int(std::floor(minX)); x <= int(std::ceil(maxX)); ++x) {
      const double px = x + 0.5, py = y + 0.5;
      bool inside = true;
      int sign = 0;
      for (size_t i = 0; i < corners.size() && inside; ++i) {
        const Point& p = corners[i];
        const Point& q = corners[(i + 1) % corners.size()];
        const double cross = (q.x - p.x) * (py - p.y) - (q.y - p.y) * (px - p.x);
        const int s = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
        if (s != 0 && sign != 0 && s != sign) inside = false;
        if (s != 0) sign = s;
      }
      if (!inside) continue;
      const double t = ((px - minX) + (py - minY)) / span;  // 0 upper left .. 1 lower right
      Set(x, y, Shade(ramp, int(std::lround(lightShade + (darkShade - lightShade) * t))));
    }
  }
}

void SpriteCanvas::Outline(uint8_t index) {
  std::vector<uint8_t> result = pixels_;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (IsPainted(At(x, y))) continue;
      if (IsPainted(At(x - 1, y)) || IsPainted(At(x + 1, y)) || IsPainted(At(x, y - 1)) ||
          IsPainted(At(x, y + 1))) {
        result[size_t(y) * width_ + x] = index;
      }
    }
  }
  pixels_ = std::move(result);
}

}  // namespace dw::samples
