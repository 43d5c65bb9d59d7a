// Writing frames as BMP files named after them. The window program's export
// and the command-line converter both go through here.
//
// File names: the frame name (Windows-1251 bytes) as UTF-8, up to and
// including its first ".", then "bmp"; without a "." the whole name and
// ".bmp". A "/" in the name becomes "_", so that no frame writes outside the
// folder it is exported to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/conversion_state.h"
#include "archive/diagnostics.h"
#include "archive/frame_decoder.h"

namespace dw {

// "walk01.pcx" -> "walk01.bmp", "hero.big.pcx" -> "hero.bmp", "idle" -> "idle.bmp".
std::string ExportFileName(const std::string& frameName);

// folder + "/" + ExportFileName(name of frame index).
std::string ExportFilePath(const std::string& folder, const ConversionState& state,
                           int32_t frameIndex);

// Decodes frame frameIndex straight into the file at path (created, or replaced
// completely). A file that cannot be written is skipped: the result says so.
Diagnostics ExportFrame(ConversionState& state, int32_t frameIndex, const std::string& path,
                        const DecodeOptions& options = {});

}  // namespace dw
