// The images of one archive being packed: each file read once, and its
// colours mapped to the archive's palette (cli/pack_plan/image_colours.h).
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>

#include "archive/def_format.h"
#include "cli/inputs/image_reader.h"
#include "cli/pack_plan/contained_path.h"

namespace dw::cli {

// How pack maps the colours of its images.
struct ImageOptions {
  bool remap = false;   // a colour in no palette entry takes the nearest
  bool dither = false;  // a palette made for RGBA art dithers its images
  int64_t moved = 0;    // out: the pixels remap moved
};

class PackImages {
 public:
  // options: nullptr for the defaults.
  PackImages(std::string folder, int32_t archiveType, ImageOptions* options = nullptr)
      : folder_(std::move(folder)),
        contained_(folder_),
        archiveType_(archiveType),
        options_(options != nullptr ? options : &defaults_) {}

  // The image named by file (relative to the folder) in the archive's
  // palette, or nothing with error naming the file. Until a palette is set,
  // a palettised image comes with its own and an RGBA image is refused.
  const PalettedImage* Load(const std::string& file, std::string& error);
  // The image as its file holds it, kept until it is loaded.
  SourceImage* Source(const std::string& file, std::string& error);

  void SetPalette(const std::array<uint8_t, kPaletteFileSize>& palette) { palette_ = palette; }
  const std::optional<std::array<uint8_t, kPaletteFileSize>>& palette() const { return palette_; }
  std::string PathOf(const std::string& file) const { return folder_ + "/" + file; }
  int32_t archiveType() const { return archiveType_; }
  const ImageOptions& options() const { return *options_; }

 private:
  // The shadow or overlay layer file beside an RGBA body image into out, if
  // there is one; false when it is unusable.
  bool Layer(const std::string& file, bool shadow, const SourceImage& body,
             std::optional<SourceImage>& out, std::string& error);

  std::string folder_;
  ContainedFolder contained_;
  int32_t archiveType_;
  ImageOptions defaults_;
  ImageOptions* options_;
  std::map<std::string, SourceImage> sources_;
  std::map<std::string, PalettedImage> images_;
  std::optional<std::array<uint8_t, kPaletteFileSize>> palette_;
};

// Reads a whole text file of at most 64 MiB.
std::optional<std::string> ReadTextFile(const std::string& path, std::string& error);

}  // namespace dw::cli
