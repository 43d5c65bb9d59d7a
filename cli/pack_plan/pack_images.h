// The images of one archive being packed: each file read once, and each
// checked to carry the archive's palette.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>

#include "archive/def_format.h"
#include "cli/inputs/image_reader.h"

namespace dw::cli {

class PackImages {
 public:
  explicit PackImages(std::string folder) : folder_(std::move(folder)) {}

  // The image named by file (relative to the folder), or nothing with error
  // naming the file. Once a palette is set, an image with another is refused.
  const PalettedImage* Load(const std::string& file, std::string& error);

  void SetPalette(const std::array<uint8_t, kPaletteFileSize>& palette) { palette_ = palette; }
  const std::optional<std::array<uint8_t, kPaletteFileSize>>& palette() const { return palette_; }
  std::string PathOf(const std::string& file) const { return folder_ + "/" + file; }

 private:
  std::string folder_;
  std::map<std::string, PalettedImage> images_;
  std::optional<std::array<uint8_t, kPaletteFileSize>> palette_;
};

// Reads a whole text file of at most 64 MiB.
std::optional<std::string> ReadTextFile(const std::string& path, std::string& error);

}  // namespace dw::cli
