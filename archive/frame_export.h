// Writing frames as BMP files named after them. The window program's export
// and the command-line converter both go through here.
//
// File names: the frame name (Windows-1251 bytes) as UTF-8, up to and
// including its first ".", then "bmp"; without a "." the whole name and
// ".bmp". A "/" in the name becomes "_", so that no frame writes outside the
// folder it is exported to, and so do control characters.
//
// An export never loses a frame to another of the same file name: the first
// stored frame (head) of a name keeps it, later different ones get name~2,
// name~3, ... in table order, while entries of one stored frame under one
// name share one file. A name that would be empty or hidden (".bmp" from
// "..\x.pcx") becomes "unnamed-<index>".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/diagnostics.h"
#include "archive/frame_source.h"

namespace dw {

// "walk01.pcx" -> "walk01.bmp", "hero.big.pcx" -> "hero.bmp", "idle" -> "idle.bmp".
std::string ExportFileName(const std::string& frameName);

// A UTF-8 name with "/", control characters and C1 controls made "_", as
// every name taken from a file is before it names a file.
std::string SafeFileName(const std::string& utf8Name);

// folder + "/" + ExportFileName(name of frame index).
std::string ExportFilePath(const std::string& folder, const Archive& archive, int32_t frameIndex);

struct ExportNames {
  std::vector<std::string> files;  // per index given, the file holding its image
  // Per index given, which distinct file it is: 0 .. fileCount - 1. Entries
  // of one file are the same stored frame; only the first of them writes it.
  std::vector<int32_t> fileSlot;
  int32_t fileCount = 0;
  int32_t renamed = 0;  // files numbered ~N because their name was taken
};

// The files of the entries at indices (table indices in the order they are
// written), with the extension "bmp" or "png". unique: every entry gets a
// file of its own, even entries of one stored frame.
ExportNames PlanExportNames(const Archive& archive, const std::vector<int32_t>& indices,
                            const std::string& extension, bool unique = false);

// Decodes frame frameIndex through source and writes it as the file at path
// (it appears whole, replacing what stood there, or not at all). The file's bytes are drawn from
// the source's budget before it is created: when the budget has no room, or the decode was refused
// by it, no file is touched and the result says BudgetExhausted. A file that cannot be written
// gives WriteFailed.
Diagnostics ExportFrame(FrameSource& source, int32_t frameIndex, const std::string& path);

}  // namespace dw
