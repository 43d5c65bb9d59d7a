// Decoding one frame into an image in memory: fullWidth x fullHeight palette
// indices with the archive's palette, rows padded to a multiple of 4 and
// stored bottom-up, exactly the pixel block of the BMP file the frame
// exports as.
//
// Damaged frames still give a well-formed image:
//  - a frame index outside the table, a head outside the file, a negative
//    fullWidth or fullHeight, or pixel rows of more than the pixel limit
//    (256 MiB) give a 0 x 0 image;
//  - every row is exactly stride bytes; pixels that fall outside the full
//    image are dropped, and whatever the stored rectangle or the data do not
//    cover is palette index 0;
//  - work and memory stay linear in the archive's size plus the image's size.
// Decoding reads the archive and its bytes and writes only the image and the
// diagnostics it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "archive/archive.h"
#include "archive/decode_budget.h"
#include "archive/decode_options.h"
#include "archive/def_format.h"
#include "archive/diagnostics.h"
#include "archive/indexed_image.h"
#include "archive/stream.h"

namespace dw {

inline constexpr int64_t kMaxPixelBytes = int64_t{256} << 20;

// Compressions with pixels: 0 raw, 1 byte-pair runs, 2 and 3 one-byte runs;
// any other value gives an image of index 0 only. The image's pixel bytes are
// drawn from budget first, when one is given; when it has no room the image
// is 0 x 0 and a BudgetExhausted diagnostic says so. maxPixelBytes may lower
// the pixel limit (never raise it).
IndexedImage DecodeFrameImage(const Archive& archive, const std::vector<uint8_t>& bytes,
                              int32_t frameIndex, const DecodeOptions& options,
                              DecodeBudget* budget, Diagnostics& diagnostics,
                              int64_t maxPixelBytes = kMaxPixelBytes);

// A frame DecodeFrameImage would give pixels for: its head passed the checks
// and its pixel bytes were drawn from the budget (when one was given), and
// the diagnostics of its sizes and compression were added. nullopt, with
// the diagnostic that says why, wherever DecodeFrameImage gives a 0 x 0
// image.
struct PlannedFrame {
  int32_t frameIndex = 0;
  FrameHeader head;
  int64_t stride = 0;
  int64_t pixelBytes = 0;  // stride x fullHeight, within the pixel limit
};
std::optional<PlannedFrame> PlanFrameDecode(const Archive& archive,
                                            const std::vector<uint8_t>& bytes, int32_t frameIndex,
                                            DecodeBudget* budget, Diagnostics& diagnostics,
                                            int64_t maxPixelBytes = kMaxPixelBytes);

// How much of an image a banded write holds at once.
inline constexpr int64_t kBandBytes = int64_t{256} << 10;

// Writes the BMP file of a planned frame to target from position 0, decoding
// bandBytes of rows at a time (at least one row): the bytes that
// WriteFrameBmp writes of DecodeFrameImage's image and the same diagnostics,
// without ever holding the whole image. Leaves target at position 0; false
// when not every byte arrived (the rows are still decoded to the end, so the
// diagnostics are complete).
bool WritePlannedFrameBmp(const Archive& archive, const std::vector<uint8_t>& bytes,
                          const PlannedFrame& plan, const DecodeOptions& options,
                          Diagnostics& diagnostics, Stream& target,
                          int64_t bandBytes = kBandBytes);

// The size DecodeFrameImage gives the frame, read from its head alone: 0 x 0
// wherever the decode would give an empty image (budgets aside).
struct ImageSize {
  int32_t width = 0;
  int32_t height = 0;
};
ImageSize DecodedImageSize(const Archive& archive, const std::vector<uint8_t>& bytes,
                           int32_t frameIndex, int64_t maxPixelBytes = kMaxPixelBytes);

// The complete 8-bit BMP file of an image: header, colour table, rows.
int64_t FrameBmpSize(const IndexedImage& image);
// Writes it to target from position 0 and leaves target at position 0; false
// when not every byte arrived.
bool WriteFrameBmp(const IndexedImage& image, Stream& target);

}  // namespace dw
