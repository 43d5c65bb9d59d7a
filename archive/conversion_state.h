// The conversion state: the open archive's path, head values, palette and
// frame table, the BMP header template, and the shown image. The window
// program holds exactly one for the whole process; tests and the command-line
// converter make their own. Every operation takes the state it works on.
//
// LoadArchive never fails loudly. A damaged archive yields what can be read
// safely: no byte outside the file is ever read, no count taken from the file
// is trusted before it is checked against the file's size, and a load always
// starts from a clean state. What was wrong is reported in the returned
// Diagnostics, which the window program ignores and the converter prints.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_bytes.h"
#include "archive/diagnostics.h"
#include "archive/palette.h"
#include "archive/stream.h"

namespace dw {

class Bitmap;  // image/bitmap.h; the state only holds it

// A frame as listed in the directory. The name holds the raw bytes of the
// 13-byte field up to its first zero byte (Windows-1251 text).
struct FrameEntry {
  std::string name;
  int32_t offset = 0;
};
using FrameTable = std::vector<FrameEntry>;



// A block of the directory as stored, kept for tools that rebuild archives.
struct BlockInfo {
  int32_t identifier = 0;
  std::array<uint8_t, 8> reserved{};
  int32_t declaredCount = 0;       // n as stored
  std::vector<FrameEntry> frames;  // the frames read from it, in directory order
};

// The 54-byte header of the 8-bit images the decoder writes.
struct BmpHeader {
  // BITMAPFILEHEADER
  uint16_t bfType = 0x4D42;  // "BM"
  uint32_t bfSize = 0;
  uint16_t bfReserved1 = 0;
  uint16_t bfReserved2 = 0;
  uint32_t bfOffBits = 1078;
  // BITMAPINFOHEADER
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 8;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};
inline constexpr int32_t kBmpHeaderSize = 54;
inline constexpr int32_t kBmpColourTableSize = 1024;
inline constexpr int32_t kBmpPixelOffset = kBmpHeaderSize + kBmpColourTableSize;  // 1078

// Writes the 54 header bytes, little-endian, into out[0..53].
void SerializeBmpHeader(const BmpHeader& header, uint8_t* out);

struct ConversionState {
  int32_t frameCount = 0;
  std::string archivePath;
  std::shared_ptr<Bitmap> composite;  // the image the preview shows
  bool hasComposite = false;
  StreamPtr frameImage;  // target stream the callers of DecodeFrame create and free
  int32_t typeCode = 0;  // archiveType after loading; compression of the last decode after it
  std::string startFolder;
  std::string saveFolder;
  Palette palette{};
  int32_t blockCount = 0;
  int32_t fullWidth = 0;
  int32_t fullHeight = 0;
  // Row-table entries of the rows the last decode of that compression read
  // (rows below the image are never read).
  std::vector<uint16_t> segmentOffsets;  // compressions 2 and 3
  std::vector<int32_t> rowOffsets;       // compression 1
  FrameTable frames;                     // sorted by offset; index = frame list item
  BmpHeader bmpHeader;
  std::vector<BlockInfo> blocks;  // the directory as stored
  ArchiveBytes archiveBytes;      // the archive's bytes, reused while unchanged on disk
};

// Fills the header template and the folders: startFolder is the process's
// current folder, saveFolder the same followed by "/".
void InitConversionState(ConversionState& state);

// Makes the file at path the open archive: head, palette, blocks and the frame
// table sorted by ascending signed offset (equal offsets keep directory
// order). A file that cannot be opened gives an archive with no frames.
Diagnostics LoadArchive(ConversionState& state, const std::string& path);

}  // namespace dw
