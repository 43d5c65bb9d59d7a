// Writing frames as BMP files named after them. The window program's export
// and the command-line converter both go through here.
//
// File names: the frame name (Windows-1251 bytes) as UTF-8, up to and
// including its first ".", then "bmp"; without a "." the whole name and
// ".bmp". A "/" in the name becomes "_", so that no frame writes outside the
// folder it is exported to, and so do control characters.
#pragma once

#include <cstdint>
#include <string>

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

// Decodes frame frameIndex through source and writes it as the file at path
// (created, or replaced completely). The file's bytes are drawn from the
// source's budget before it is created: when the budget has no room, or the
// decode was refused by it, no file is touched and the result says
// BudgetExhausted. A file that cannot be written gives WriteFailed.
Diagnostics ExportFrame(FrameSource& source, int32_t frameIndex, const std::string& path);

}  // namespace dw
