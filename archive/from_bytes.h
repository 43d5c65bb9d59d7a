// Loading and decoding straight from an archive's bytes already in memory.
// LoadArchive and DecodeFrame are these plus reading the file; the fuzz target
// calls them directly. The bytes are only read, never kept.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/conversion_state.h"
#include "archive/diagnostics.h"
#include "archive/frame_decoder.h"
#include "archive/stream.h"

namespace dw {

// Resets state's archive fields and fills them from bytes, exactly as
// LoadArchive does from a file; archivePath is left to the caller.
Diagnostics LoadArchiveFromBytes(ConversionState& state, const std::vector<uint8_t>& bytes);

// DecodeFrame over the given archive bytes. maxPixelBytes lowers the limit
// above which a frame gives a 0 x 0 image (never above kMaxPixelBytes).
Diagnostics DecodeFrameFromBytes(ConversionState& state, const std::vector<uint8_t>& bytes,
                                 int32_t frameIndex, Stream& target,
                                 const DecodeOptions& options = {},
                                 int64_t maxPixelBytes = kMaxPixelBytes);

}  // namespace dw
