// Writing an 8-bit BMP image, as the frame decoder makes it, as a PNG file:
// either palettised (bit depth 8, the BMP's colour table as palette, the same
// pixel indices row for row, optionally index 0 fully transparent through
// tRNS) or as 8-bit RGBA, each index through a table of colours. Rows are
// stored unfiltered: on sprites that is faster and smaller than filters. A
// sprite's rows are gathered once, top first with their filter bytes, and
// deflated in one call; the file is written with one call.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/indexed_image.h"
#include "archive/stream.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "cli/run/write_problem.h"

namespace dw::cli {

// The parts of an 8-bit bottom-up BMP image a PNG needs, pointing into its bytes.
struct BmpView {
  int32_t width = 0;
  int32_t height = 0;
  int64_t stride = 0;
  const uint8_t* colourTable = nullptr;  // 256 x (blue, green, red, 0)
  const uint8_t* pixels = nullptr;       // bottom row first
};

// A decoded frame as such a view (valid while the image lives).
BmpView ViewOf(const IndexedImage& image);

// Encodes the image into the file. Returns an empty string, or what the
// encoder refused (a failed write is the file's own error).
WriteResult WritePng(AtomicFile& file, const BmpView& image, bool transparentZero);
// The same as RGBA, index i of every pixel becoming colours[i].
WriteResult WriteRgbaPng(AtomicFile& file, const BmpView& image,
                         const std::array<Rgba, 256>& colours);

// Writes width x height pixels of red, green, blue (top row first, 3 bytes a
// pixel, no padding) as an 8-bit RGB PNG into the file. Returns an empty
// string, or what the encoder refused (a failed write is the file's own error).
WriteResult WriteRgbPng(AtomicFile& file, int32_t width, int32_t height,
                        const uint8_t* rgb);

}  // namespace dw::cli
