// The DEF sprite archive as it lies on disk. All values are little-endian and
// every 32-bit field is signed; a count of zero or less means "none".
//
//   ArchiveHeader                 16 bytes at offset 0
//   palette                       256 x (red, green, blue) at offset 16
//   blockCount x blockEntry       from offset 784, no gaps
//   FrameHeader + pixel data      at each frame's offset
//
// A blockEntry is 16 bytes of head (identifier, frame count n, 8 bytes that
// the reader does not interpret), then n names of 13 bytes, then n offsets.
#pragma once

#include <cstdint>

namespace dw {

struct ArchiveHeader {
  int32_t archiveType = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t blockCount = 0;
};

struct FrameHeader {
  int32_t dataSize = 0;
  int32_t compression = 0;
  int32_t fullWidth = 0;
  int32_t fullHeight = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t leftMargin = 0;
  int32_t topMargin = 0;
};

inline constexpr int32_t kArchiveHeaderSize = 16;
inline constexpr int32_t kPaletteOffset = 16;
inline constexpr int32_t kPaletteFileSize = 768;
inline constexpr int32_t kDirectoryOffset = kPaletteOffset + kPaletteFileSize;  // 784
inline constexpr int32_t kBlockHeadSize = 16;
inline constexpr int32_t kFrameNameSize = 13;
inline constexpr int32_t kFrameOffsetSize = 4;
inline constexpr int32_t kDirectoryBytesPerFrame = kFrameNameSize + kFrameOffsetSize;  // 17
inline constexpr int32_t kFrameHeaderSize = 32;

// Compression 3 rows (and compression 2 rows) are one-byte runs: the top three
// bits are the code, the low five the run length minus one.
struct CodeByte {
  int code = 0;    // 0..7; 7 is a literal run
  int length = 0;  // 0..31; the run covers length + 1 pixels
};

constexpr CodeByte SplitCodeByte(uint8_t byte) {
  return CodeByte{(byte & 0xE0) >> 5, byte & 0x1F};
}

inline constexpr uint8_t kLiteralByteRunCode = 0xFF;  // compression 1
inline constexpr int kLiteralSegmentRunCode = 7;      // compressions 2 and 3

}  // namespace dw
