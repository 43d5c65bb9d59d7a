// Decoding one frame of the open archive into a complete 8-bit BMP image: the
// 54-byte header, the archive palette as colour table, and fullHeight rows of
// stride bytes (fullWidth rounded up to a multiple of 4), bottom row first.
//
// The image is written to target from position 0 in one piece and the target
// is left at position 0. Damaged frames still give a well-formed image:
//  - a frame index outside the table, an archive that can no longer be read, a
//    negative fullWidth or fullHeight, or pixel rows of more than 256 MiB give
//    a 0 x 0 image (header and colour table, 1,078 bytes);
//  - every row is exactly stride bytes; pixels that fall outside the full image
//    are dropped, and whatever the stored rectangle or the data do not cover is
//    palette index 0;
//  - work and memory stay linear in the archive's size plus the image's size.
#pragma once

#include <cstdint>

#include "archive/conversion_state.h"
#include "archive/diagnostics.h"
#include "archive/stream.h"

namespace dw {

inline constexpr int64_t kMaxPixelBytes = int64_t{256} << 20;

struct DecodeOptions {
  // Background runs of compressions 1, 2 and 3 write their code as the palette
  // index (shadows and outlines) instead of index 0.
  bool keepSpecial = false;
};

// Compression values with pixels: 0 raw, 1 byte-pair runs, 2 and 3 one-byte
// runs. Any other value gives an image of index 0 only.
Diagnostics DecodeFrame(ConversionState& state, int32_t frameIndex, Stream& target,
                        const DecodeOptions& options = {});

}  // namespace dw
