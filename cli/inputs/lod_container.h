// LOD containers: a game's bundle of files (DEF archives among them), each
// stored as is or as a zlib stream. ReadLodIndex reads the table of entries
// from the container's bytes; ExtractLodEntry gives one entry's bytes.
//
// Nothing here trusts the file: the entry count is checked against the room
// the file has before anything is allocated, and an entry's data is inflated
// only up to its stated size and never past the caller's byte limit, so a
// damaged or hostile container costs at most what its own bytes and the
// limit allow. Problems come back as typed values (LodProblem), one per
// entry, and never stop the other entries from being read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/run/lod_problem.h"

namespace dw::cli {

struct LodEntry {
  int32_t index = 0;             // position in the container's table
  std::string name;              // raw bytes of the 16-byte field up to its first zero (Windows-1251)
  uint32_t offset = 0;           // where the data starts in the file
  uint32_t size = 0;             // bytes once uncompressed
  uint32_t type = 0;             // as stored; not used
  uint32_t compressedSize = 0;   // 0: stored as is; otherwise the zlib stream's length

  bool stored() const { return compressedSize == 0; }
  // Bytes the entry occupies in the file.
  uint32_t storedBytes() const { return stored() ? size : compressedSize; }
};

struct LodIndex {
  bool container = false;        // the bytes start as a LOD container does
  uint32_t kind = 0;             // as stored; not used
  uint32_t declaredCount = 0;    // the entry count as stored
  std::vector<LodEntry> entries; // those of the declared entries the file holds
  std::vector<LodProblem> problems;  // damage of the table itself (not of one entry)
};

// The table of the container held in bytes (only read, never kept). Bytes
// that are not a LOD container give container == false and a problem.
LodIndex ReadLodIndex(const std::vector<uint8_t>& bytes);

// The first entry whose name equals name, ignoring ASCII letter case.
const LodEntry* FindLodEntry(const LodIndex& index, const std::string& name);

// Whether the entry's name ends in ".def" in any letter case.
bool IsDefEntry(const LodEntry& entry);

// What is wrong with where the entry's data lies, before reading it: nothing
// when its bytes lie inside a file of fileSize bytes.
std::optional<LodProblem> LodEntryPlacementProblem(const LodEntry& entry, int64_t fileSize);

struct ExtractedEntry {
  std::vector<uint8_t> bytes;          // exactly entry.size bytes when there is no problem
  std::optional<LodProblem> problem;  // why the entry could not be read
};

// The entry's uncompressed bytes from the container's bytes. Fails (with
// nothing kept) when the data lies outside the file, its size passes
// maxBytes, or the zlib stream is damaged, inflates past the stated size or
// ends short of it. Memory grows only with the bytes really inflated, or with
// the stated size where the compressed bytes could reach it.
ExtractedEntry ExtractLodEntry(const std::vector<uint8_t>& container, const LodEntry& entry,
                               int64_t maxBytes);

}  // namespace dw::cli
