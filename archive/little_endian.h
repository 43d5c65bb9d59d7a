// The one little-endian codec of the program: every multi-byte value of the
// DEF, BMP and LOD formats is read and written through these.
#pragma once

#include <cstdint>

namespace dw::le {

inline uint16_t GetU16(const uint8_t* at) {
  return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

inline uint32_t GetU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
         (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

inline int32_t GetI32(const uint8_t* at) {
  return static_cast<int32_t>(GetU32(at));
}

inline void PutU16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void PutI32(uint8_t* at, int32_t value) {
  PutU32(at, static_cast<uint32_t>(value));
}

}  // namespace dw::le
