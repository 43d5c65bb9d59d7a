#include "tools/sample_palette.h"

#include <algorithm>

namespace dw::samples {
namespace {

struct Rgb {
  int r, g, b;
};

// Dark, middle and light key colours of each ramp, in Ramp order.
constexpr Rgb kRampKeys[][3] = {
    {{58, 28, 18}, {196, 132, 92}, {255, 222, 186}},   // skin
    {{18, 22, 32}, {108, 118, 140}, {236, 242, 252}},  // steel
    {{38, 4, 10}, {164, 28, 40}, {255, 150, 128}},     // cloak
    {{48, 28, 0}, {204, 150, 28}, {255, 246, 172}},    // gold
    {{28, 16, 8}, {118, 72, 38}, {222, 170, 118}},     // leather
    {{10, 30, 8}, {64, 134, 42}, {186, 232, 112}},     // grass
    {{4, 20, 10}, {30, 82, 42}, {112, 172, 92}},       // foliage
    {{4, 18, 52}, {28, 92, 172}, {176, 226, 255}},     // water
    {{46, 32, 18}, {156, 116, 68}, {240, 212, 152}},   // dirt
    {{28, 28, 30}, {118, 114, 108}, {232, 228, 218}},  // stone
    {{14, 10, 8}, {72, 46, 26}, {164, 112, 62}},       // hair
    {{24, 10, 40}, {102, 52, 152}, {212, 172, 255}},   // violet
    {{70, 56, 30}, {198, 176, 120}, {252, 242, 206}},  // sand
    {{16, 28, 12}, {88, 110, 48}, {190, 200, 120}},    // moss
    {{40, 6, 0}, {220, 90, 10}, {255, 236, 140}},      // ember
};
constexpr int kRampCount = static_cast<int>(sizeof kRampKeys / sizeof kRampKeys[0]);
constexpr int kFirstRampIndex = 8;

int Mix(int a, int b, double t) {
  return static_cast<int>(a + (b - a) * t + 0.5);
}

}  // namespace

uint8_t Shade(Ramp ramp, int shade) {
  const int clamped = std::clamp(shade, 0, kRampShades - 1);
  return static_cast<uint8_t>(kFirstRampIndex + static_cast<int>(ramp) * kRampShades + clamped);
}

std::array<uint8_t, 768> SamplePalette() {
  std::array<uint8_t, 768> palette{};
  auto set = [&palette](int index, Rgb c) {
    palette[3 * index] = static_cast<uint8_t>(c.r);
    palette[3 * index + 1] = static_cast<uint8_t>(c.g);
    palette[3 * index + 2] = static_cast<uint8_t>(c.b);
  };
  set(0, {0, 255, 255});  // background
  set(1, {40, 34, 52});   // shadow
  set(2, {20, 16, 28});   // deep shadow
  set(3, {255, 230, 0});  // selection outline
  set(4, {120, 0, 120});  // shadow under a selection outline
  set(5, {255, 0, 255});  // spare special colour
  set(6, {0, 0, 0});
  set(7, {255, 255, 255});
  for (int r = 0; r < kRampCount; ++r) {
    for (int s = 0; s < kRampShades; ++s) {
      const double t = s / double(kRampShades - 1);
      const Rgb& a = t < 0.5 ? kRampKeys[r][0] : kRampKeys[r][1];
      const Rgb& b = t < 0.5 ? kRampKeys[r][1] : kRampKeys[r][2];
      const double u = t < 0.5 ? t * 2 : (t - 0.5) * 2;
      set(kFirstRampIndex + r * kRampShades + s,
          {Mix(a.r, b.r, u), Mix(a.g, b.g, u), Mix(a.b, b.b, u)});
    }
  }
  // The last eight entries: outline black and a grey ramp.
  for (int i = 0; i < 8; ++i) {
    const int v = 12 + i * 34;
    set(kOutline + i, {v, v, v + 4 > 255 ? 255 : v + 4});
  }
  return palette;
}

}  // namespace dw::samples
