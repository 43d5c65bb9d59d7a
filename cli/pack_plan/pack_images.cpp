#include "cli/pack_plan/pack_images.h"

#include <cstring>
#include <fstream>

#include "cli/outputs/archive_report.h"
#include "cli/pack_plan/contained_path.h"

namespace dw::cli {

const PalettedImage* PackImages::Load(const std::string& file, std::string& error) {
  auto found = images_.find(file);
  if (found == images_.end()) {
    const std::string path = PrintableName(PathOf(file));
    // One answer for every file that cannot be used, wherever it is and
    // whether it exists or not.
    const std::string unusable =
        path + ": cannot be used (an image must be a readable file inside " +
        PrintableName(folder_) + ")";
    const std::optional<std::string> inside = FileInsideFolder(folder_, file);
    if (!inside) {
      error = unusable;
      return nullptr;
    }
    std::string why;
    std::optional<PalettedImage> image = ReadPalettedImage(*inside, why, &unusable);
    if (!image) {
      error = why == unusable ? why : path + ": " + why;
      return nullptr;
    }
    found = images_.emplace(file, std::move(*image)).first;
  }
  const PalettedImage& image = found->second;
  if (palette_ &&
      std::memcmp(image.palette.data(), palette_->data(), size_t(image.paletteSize) * 3) != 0) {
    int differs = 0;
    while (std::memcmp(&image.palette[size_t(differs) * 3], &(*palette_)[size_t(differs) * 3],
                       3) == 0)
      ++differs;
    error = PathOf(file) + ": its palette differs from the archive's (first at index " +
            std::to_string(differs) + ")";
    return nullptr;
  }
  return &image;
}

std::optional<std::string> ReadTextFile(const std::string& path, std::string& error) {
  constexpr std::streamoff kMaxText = std::streamoff{64} << 20;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    error = path + ": cannot be opened";
    return std::nullopt;
  }
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kMaxText) {
    error = path + ": larger than a manifest can be (64 MiB)";
    return std::nullopt;
  }
  in.seekg(0);
  std::string text(static_cast<size_t>(size), '\0');
  in.read(text.data(), size);
  if (!in) {
    error = path + ": cannot be read";
    return std::nullopt;
  }
  return text;
}

}  // namespace dw::cli
