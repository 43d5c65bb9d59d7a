#include "cli/pack_plan/pack_images.h"

#include <cstring>
#include <fstream>

#include "cli/outputs/archive_report.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "cli/pack_plan/image_colours.h"

namespace dw::cli {

SourceImage* PackImages::Source(const std::string& file, std::string& error) {
  auto found = sources_.find(file);
  if (found != sources_.end()) return &found->second;
  const std::string path = PrintableName(PathOf(file));
  // One answer for every file that cannot be used, wherever it is and
  // whether it exists or not.
  const std::string unusable = path + ": cannot be used (an image must be a readable file inside " +
                               PrintableName(folder_) + ")";
  const std::optional<std::string> inside = contained_.File(file);
  if (!inside) {
    error = unusable;
    return nullptr;
  }
  std::string why;
  std::optional<SourceImage> image = ReadSourceImage(*inside, why, &unusable);
  if (!image) {
    error = why == unusable ? why : path + ": " + why;
    return nullptr;
  }
  return &sources_.emplace(file, std::move(*image)).first->second;
}

bool PackImages::Layer(const std::string& file, bool shadow, const SourceImage& body,
                       std::optional<SourceImage>& out, std::string& error) {
  const std::string name = LayerPath(file, shadow ? kShadowLayerSuffix : kOverlayLayerSuffix);
  if (!contained_.File(name)) return true;
  const SourceImage* layer = Source(name, error);
  if (layer == nullptr) return false;
  if (const std::optional<std::string> wrong = CheckLayer(*layer, body, shadow)) {
    error = PrintableName(PathOf(name)) + ": " + *wrong;
    return false;
  }
  out.emplace(std::move(sources_.find(name)->second));
  sources_.erase(name);
  return true;
}

const PalettedImage* PackImages::Load(const std::string& file, std::string& error) {
  auto found = images_.find(file);
  if (found != images_.end()) return &found->second;
  const SourceImage* source = Source(file, error);
  if (source == nullptr) return nullptr;
  std::optional<PalettedImage> image;
  std::string why;
  if (!palette_) {
    if (source->rgba()) {
      error = PrintableName(PathOf(file)) + ": an RGBA image, and no palette to map its colours to";
      return nullptr;
    }
    image = MapToPalette(*source, {}, {source->palette, archiveType_, false}, options_->moved, why);
  } else {
    std::optional<SourceImage> shadow, overlay;
    if (source->rgba()) {
      if (!Layer(file, true, *source, shadow, error) ||
          !Layer(file, false, *source, overlay, error))
        return nullptr;
    }
    const ImageLayers layers{shadow ? &*shadow : nullptr, overlay ? &*overlay : nullptr};
    image = MapToPalette(*source, layers, {*palette_, archiveType_, options_->remap},
                         options_->moved, why);
  }
  if (!image) {
    error = PrintableName(PathOf(file)) + ": " + why;
    return nullptr;
  }
  if (!palette_) image->paletteSize = source->paletteSize;
  sources_.erase(file);
  return &images_.emplace(file, std::move(*image)).first->second;
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
