// The pixel decoders of the four compressions. They place the stored rectangle
// into a zeroed BMP pixel area and touch nothing else: pixels outside the full
// image are dropped, unread pixels stay index 0, and a row's runs stop once
// its visible columns are filled or the data runs out.
#pragma once

#include <cstdint>

#include "archive/byte_cursor.h"
#include "archive/decode_options.h"

namespace dw {

// Where the stored rectangle lands. All values are non-negative.
struct FramePlacement {
  int64_t fullHeight = 0;
  int64_t stride = 0;
  int64_t width = 0;           // stored width (negative counts as 0)
  int64_t left = 0, top = 0;   // image column and row of the rectangle's first pixel
  int64_t visibleColumns = 0;  // columns of a stored row inside the image
  int64_t visibleRows = 0;     // stored rows inside the image
};

// Rows that could not be read completely, for the diagnostics.
struct RowTrouble {
  int64_t outside = 0, firstOutside = -1;    // row starts outside the data
  int64_t cutShort = 0, firstCutShort = -1;  // data ends inside the row
  int64_t pastWidth = 0, firstPastWidth = -1;  // runs read add up to more than the width
};

// Image rows first .. first + rows - 1, counted from the top.
struct RowBand {
  int64_t first = 0;
  int64_t rows = 0;
};

// Two bands' troubles as one decode of both would count them.
void MergeRowTrouble(RowTrouble& into, const RowTrouble& band);

// Decodes the part of a frame of compression 0, 1, 2 or 3 whose data starts
// at dataStart that falls into band. It reads the archive and writes nothing
// but pixels: band.rows rows of stride bytes, the band's bottom row first,
// all zero on entry. The whole image is the band {0, fullHeight}; the
// troubles of the bands of an image, merged, are those of the whole image.
RowTrouble DecodePixels(ByteCursor& archive, int64_t dataStart, int32_t compression,
                        const FramePlacement& placement, const DecodeOptions& options,
                        const RowBand& band, uint8_t* pixels);

}  // namespace dw
