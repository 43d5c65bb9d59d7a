// Little-endian field access for the BMP headers the bitmap reads and writes.
#pragma once

#include <cstdint>

namespace dw::image_detail {

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

// Offsets inside the 40-byte info header.
inline constexpr int kInfoWidth = 4;
inline constexpr int kInfoHeight = 8;
inline constexpr int kInfoPlanes = 12;
inline constexpr int kInfoBitCount = 14;
inline constexpr int kInfoCompression = 16;
inline constexpr int kInfoHeaderSize = 40;
inline constexpr int kFileHeaderSize = 14;
inline constexpr uint32_t kBitFieldsCompression = 3;
inline constexpr uint32_t kAlphaBitFieldsCompression = 6;

}  // namespace dw::image_detail
