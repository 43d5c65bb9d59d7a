// Reading the images `pack` builds frames from: BMP files (8-bit with any
// colour table, 24-bit, 32-bit plain or with bit fields; bottom-up or
// top-down, uncompressed) and PNG files (palettised, grey, RGB, RGBA; 16-bit
// channels are cut to 8). Anything else is refused with a reason; the caller
// adds the file name.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dw::cli {

inline constexpr uint8_t kPaintedPixel = 0xFF;

struct PalettedImage {
  int32_t width = 0;
  int32_t height = 0;
  std::array<uint8_t, 768> palette{};  // red, green, blue per index
  int paletteSize = 0;                 // entries the file holds, 1..256
  std::vector<uint8_t> pixels;         // width x height indices, top row first
  // Empty, or width x height: the fill code (0..7) the image itself marks for
  // a pixel (an RGBA image's shadow or selection), or kPaintedPixel.
  std::vector<uint8_t> fill;
};

// An image as its file holds it: indices with their palette, or colours.
struct SourceImage {
  int32_t width = 0;
  int32_t height = 0;
  std::array<uint8_t, 768> palette{};  // red, green, blue per index
  int paletteSize = 0;                 // 1..256; 0: pixels are red, green, blue, alpha
  bool alpha = false;                  // colours with the file's alpha (else all 255)
  std::unique_ptr<uint8_t[]> pixels;   // top row first, 1 byte a pixel (4 for colours)
  bool rgba() const { return paletteSize == 0; }
};

// Images above this many pixels are refused before anything is allocated.
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 26;

// From a file's bytes; the format is told by its first bytes.
std::optional<SourceImage> DecodeSourceImage(std::span<const uint8_t> bytes, std::string& error);
// A file that cannot be opened or read gives cannotRead as the error when
// it is given.
std::optional<SourceImage> ReadSourceImage(const std::string& path, std::string& error,
                                           const std::string* cannotRead = nullptr);

// The same for palettised images only, as the exporter writes them.
std::optional<PalettedImage> DecodePalettedImage(const std::vector<uint8_t>& bytes,
                                                 std::string& error);
std::optional<PalettedImage> ReadPalettedImage(const std::string& path, std::string& error,
                                               const std::string* cannotRead = nullptr);

}  // namespace dw::cli
