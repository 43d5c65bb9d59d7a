// An open DEF archive as a value: the head, the palette, the directory's
// blocks as stored and the frame table sorted by offset. It is made once by
// ReadArchive and never changed afterwards; decoding reads it and the
// archive's bytes and writes into neither.
//
// ReadArchive never fails loudly. A damaged archive yields what can be read
// safely: no byte outside the file is read, no count taken from the file is
// trusted before it is checked against the file's size, and nothing is
// allocated from an unchecked count. What was wrong comes back as typed
// diagnostics.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_bytes.h"
#include "archive/def_format.h"
#include "archive/diagnostics.h"
#include "archive/palette.h"

namespace dw {

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

struct Archive {
  std::string path;  // where it was read from; empty for bytes given directly
  ArchiveHeader head;
  Palette palette{};
  std::vector<BlockInfo> blocks;
  // Every directory entry, sorted by ascending signed offset; equal offsets
  // keep their directory order. The index is the frame's number everywhere.
  FrameTable frames;

  int32_t frameCount() const { return static_cast<int32_t>(frames.size()); }
  bool HasFrame(int32_t index) const { return index >= 0 && index < frameCount(); }
};

struct LoadedArchive {
  Archive archive;
  Diagnostics diagnostics;
};

// For each directory entry (blocks in order, each block's entries in
// order) its index in the frame table.
std::vector<int32_t> TableIndicesOfDirectory(const Archive& archive);

// The archive held in bytes (only read, never kept).
LoadedArchive ReadArchive(const std::vector<uint8_t>& bytes);

// The archive in the file at path, read through cache, which then holds the
// bytes for later decodes. A file that cannot be opened or read gives an
// archive with no frames and a CannotOpen diagnostic.
LoadedArchive LoadArchiveFile(const std::string& path, ArchiveBytes& cache);

}  // namespace dw
