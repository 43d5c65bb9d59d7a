// Terrain overlay tiles of 32 x 32 as such archives hold them: roads and a
// river whose surroundings are background (the terrain beneath shows there),
// and a plain grass tile. Noise repeats every 32 pixels, so tiles fit
// together seamlessly.
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "tools/sample_frames.h"

namespace dw::samples {
namespace {

constexpr int kTile = 32;

double Hash(int x, int y, int seed) {
  uint32_t h = uint32_t((x % kTile + kTile) % kTile) * 374761393u +
               uint32_t((y % kTile + kTile) % kTile) * 668265263u + uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / double(0x1000000);
}

// Smooth noise in 0..1 with features about cell pixels wide.
double Noise(double x, double y, int cell, int seed) {
  const double gx = x / cell, gy = y / cell;
  const int x0 = int(std::floor(gx)), y0 = int(std::floor(gy));
  const double tx = gx - x0, ty = gy - y0;
  auto at = [&](int i, int j) { return Hash((x0 + i) * cell, (y0 + j) * cell, seed); };
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double top = at(0, 0) + (at(1, 0) - at(0, 0)) * sx;
  const double bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * sx;
  return top + (bottom - top) * sy;
}

using Distance = std::function<double(double x, double y)>;

SpriteCanvas Road(const Distance& distance, int seed) {
  SpriteCanvas c(kTile, kTile);
  for (int y = 0; y < kTile; ++y) {
    for (int x = 0; x < kTile; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double edge = 7.5 + 2.2 * (Noise(px, py, 4, seed) - 0.5);
      const double d = distance(px, py);
      if (d > edge) continue;
      double shade = 7 + 5 * (Noise(px, py, 2, seed + 1) - 0.5) + 2 * (Hash(x, y, seed + 2) - 0.5);
      if (std::abs(d - 3.5) < 1.0) shade -= 3;  // wheel ruts
      if (edge - d < 1.2) shade -= 4;           // the road's worn edge
      c.Set(x, y, Shade(Ramp::Dirt, int(std::lround(shade))));
      if (Hash(x, y, seed + 3) > 0.965) c.Set(x, y, Shade(Ramp::Stone, 9 + int(Hash(x, y, 9) * 5)));
    }
  }
  return c;
}

SpriteCanvas River(const Distance& distance, int seed) {
  SpriteCanvas c(kTile, kTile);
  for (int y = 0; y < kTile; ++y) {
    for (int x = 0; x < kTile; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double wobble = 2.0 * (Noise(px, py, 8, seed) - 0.5);
      const double d = distance(px, py);
      const double bank = 10.5 + wobble, water = 8.0 + wobble;
      if (d > bank) continue;
      if (d > water) {
        c.Set(x, y,
              Shade(Ramp::Sand,
                    int(std::lround(9 + 3 * (Hash(x, y, seed) - 0.5) - 2 * (d - water)))));
        continue;
      }
      // Deeper, darker water in the middle; ripples and a few glints.
      double shade = 4 + 6 * (d / water) + 3 * (Noise(px * 1.5, py, 3, seed + 4) - 0.5);
      if (Hash(x, y, seed + 5) > 0.975) shade = 15;
      c.Set(x, y, Shade(Ramp::Water, int(std::lround(shade))));
    }
  }
  return c;
}

SpriteCanvas Grass(int seed) {
  SpriteCanvas c(kTile, kTile);
  for (int y = 0; y < kTile; ++y) {
    for (int x = 0; x < kTile; ++x) {
      const double n = Noise(x, y, 8, seed) + 0.5 * Noise(x, y, 2, seed + 1);
      int shade = int(std::lround(3 + 6 * n + 2 * (Hash(x, y, seed + 2) - 0.5)));
      uint8_t index = Shade(Ramp::Grass, shade);
      if (Hash(x, y, seed + 3) > 0.985) index = Shade(Ramp::Gold, 13);
      if (Hash(x, y, seed + 4) > 0.99) index = Shade(Ramp::Violet, 12);
      c.Set(x, y, index);
    }
  }
  return c;
}

double Ring(double x, double y, double cx, double cy, double radius) {
  return std::abs(std::hypot(x - cx, y - cy) - radius);
}

}  // namespace

pack::ArchivePlan TerrainArchive() {
  pack::ArchivePlan plan;
  plan.archiveType = 0x47;  // terrain overlays
  plan.width = kTile;
  plan.height = kTile;
  plan.palette = SamplePalette();

  const double mid = kTile / 2.0;
  const Distance across = [mid](double, double y) { return std::abs(y - mid); };
  const Distance down = [mid](double x, double) { return std::abs(x - mid); };
  const Distance crossing = [mid](double x, double y) {
    return std::min(std::abs(x - mid), std::abs(y - mid));
  };
  const Distance bend = [mid](double x, double y) { return Ring(x, y, kTile, kTile, mid); };

  auto add = [&plan](pack::BlockPlan& block, const std::string& name, const SpriteCanvas& tile) {
    plan.frames.push_back(FrameFromCanvas(tile, 2));
    block.entries.push_back(Entry(name, plan.frames.size() - 1));
  };
  pack::BlockPlan roads;
  roads.identifier = 0;
  add(roads, "dirt00.pcx", Road(across, 11));
  add(roads, "dirt01.pcx", Road(down, 12));
  add(roads, "dirt02.pcx", Road(crossing, 13));
  add(roads, "dirt03.pcx", Road(bend, 14));
  pack::BlockPlan rivers;
  rivers.identifier = 1;
  add(rivers, "clrrvr00.pcx", River(across, 21));
  add(rivers, "clrrvr01.pcx", River(down, 22));
  add(rivers, "clrrvr02.pcx", River(bend, 23));
  pack::BlockPlan grass;
  grass.identifier = 2;
  add(grass, "grass00.pcx", Grass(31));
  add(grass, "grass01.pcx", Grass(32));
  plan.blocks = {roads, rivers, grass};
  return plan;
}

}  // namespace dw::samples
