// Laying out a whole DEF archive: head, palette, block directory, then each
// stored frame (its 32-byte head and data) once, in the order given. Several
// directory entries may point at one stored frame. The builder copies what
// it is given into the returned bytes and keeps nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/def_format.h"

namespace dw::pack {

using FrameName = std::array<uint8_t, kFrameNameSize>;  // the 13 bytes as stored

struct StoredFrame {
  FrameHeader head;  // dataSize is set from data by the builder
  std::vector<uint8_t> data;
};

struct DirectoryEntry {
  FrameName name{};
  size_t frame = 0;  // index into ArchivePlan::frames
};

struct BlockPlan {
  int32_t identifier = 0;
  std::array<uint8_t, 8> reserved{};
  std::vector<DirectoryEntry> entries;
};

struct ArchivePlan {
  int32_t archiveType = 0;
  int32_t width = 0, height = 0;
  std::array<uint8_t, kPaletteFileSize> palette{};  // red, green, blue per index
  std::vector<BlockPlan> blocks;
  std::vector<StoredFrame> frames;
  // What the planner tells the user (not written): entries that were split.
  std::vector<std::string> notes;
};

// The archive's bytes, or nothing with error set when an entry names a frame
// that is not there or the archive outgrows 32-bit offsets.
std::optional<std::vector<uint8_t>> BuildDef(const ArchivePlan& plan, std::string& error);

// A name field from raw bytes: at most 12 bytes and a zero fill the field;
// 13 bytes fill it with no zero. Longer names give nothing.
std::optional<FrameName> NameField(const std::string& bytes);

}  // namespace dw::pack
