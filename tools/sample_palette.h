// The sample archives' 256-colour palette. Index 0 is the cyan that sprite
// archives use as background; indices 1 to 5 are the shades that shadow and
// outline runs stand for; from index 8 on come ramps of 16 shades each, dark
// to light, for shaded drawing.
#pragma once

#include <array>
#include <cstdint>

namespace dw::samples {

enum class Ramp : int {
  Skin,
  Steel,
  Cloak,
  Gold,
  Leather,
  Grass,
  Foliage,
  Water,
  Dirt,
  Stone,
  Hair,
  Violet,
  Sand,
  Moss,
  Ember,
};

inline constexpr int kRampShades = 16;
inline constexpr uint8_t kShadowCode = 1;      // a soft shadow under a creature
inline constexpr uint8_t kDeepShadowCode = 2;  // the shadow's core
inline constexpr uint8_t kOutline = 248;       // near-black line around sprites

// Palette index of shade (0 darkest .. 15 lightest, clamped) of ramp.
uint8_t Shade(Ramp ramp, int shade);

// red, green, blue per entry, as an archive stores it.
std::array<uint8_t, 768> SamplePalette();

}  // namespace dw::samples
