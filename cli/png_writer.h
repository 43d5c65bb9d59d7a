// Writing an 8-bit BMP image, as the frame decoder makes it, as a palettised
// PNG file: bit depth 8, the BMP's colour table as palette, the same pixel
// indices row for row. Optionally index 0 is marked fully transparent (tRNS).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/indexed_image.h"

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

// Checks that bmp is an uncompressed 8-bit image whose rows all lie inside it.
bool ViewBmp(const std::vector<uint8_t>& bmp, BmpView& view, std::string& error);

// Creates or replaces the file. Returns an empty string, or what went wrong.
std::string WritePng(const std::string& path, const BmpView& image, bool transparentZero);

// Writes width x height pixels of red, green, blue (top row first, 3 bytes a
// pixel, no padding) as an 8-bit RGB PNG file. Returns an empty string, or
// what went wrong; a failed file is removed.
std::string WriteRgbPng(const std::string& path, int32_t width, int32_t height,
                        const uint8_t* rgb);

}  // namespace dw::cli
