// The plan from a hand-written pack.json: each image is a whole frame, its
// stored rectangle is what remains after trimming background (index 0) from
// the edges (in compression 3 widened to whole 32-column segments), and entries of the same name, image and compression share one
// stored frame.
#include <filesystem>
#include <map>
#include <tuple>

#include "cli/pack_plan/fill_layer.h"
#include "cli/manifest/manifest_reader.h"
#include "cli/pack_plan/pack_images.h"
#include "cli/pack_plan/pack_plan.h"
#include "cli/pack_plan/palette_quantiser.h"
#include "pack/frame_encoder.h"

namespace dw::cli {
namespace {

// What 32-bit offsets reach.
constexpr int64_t kMaxArchiveBytes = int64_t{1} << 31;

std::optional<pack::StoredFrame> EncodeImage(const PalettedImage& image, int32_t compression,
                                             bool keepSpecial, std::string& error) {
  pack::Trim trim = pack::TrimBackground(image.pixels.data(), image.width, image.height);
  if (compression == 3) {
    const std::optional<pack::Trim> aligned = pack::AlignToSegments(trim, image.width);
    if (!aligned) {
      error = "compression 3 stores whole 32-column segments, but the pixels in columns " +
              std::to_string(trim.left) + ".." + std::to_string(trim.left + trim.width - 1) +
              " need segments past the image's " + std::to_string(image.width) + " columns";
      return std::nullopt;
    }
    trim = *aligned;
  }
  const pack::PixelRect rect = pack::CutRect(image.pixels.data(), image.width, image.height,
                                             trim.left, trim.top, trim.width, trim.height);
  FillSource source;
  source.compression = compression;
  source.keepSpecial = keepSpecial;
  const std::vector<uint8_t> fill = FillLayer(image, rect, trim.left, trim.top, source);
  auto data = pack::EncodeFrame(rect, fill, {compression, keepSpecial}, error);
  if (!data) return std::nullopt;
  FrameHeader head;
  head.compression = compression;
  head.fullWidth = image.width;
  head.fullHeight = image.height;
  head.width = trim.width;
  head.height = trim.height;
  head.leftMargin = trim.left;
  head.topMargin = trim.top;
  return pack::StoredFrame{head, std::move(*data)};
}

std::string Stem(const std::string& file) {
  return std::filesystem::path(file).stem().string();
}

}  // namespace

std::optional<pack::ArchivePlan> PlanFromFolder(const std::string& folder, std::string& error,
                                                ImageOptions* imageOptions) {
  const std::string manifestPath = folder + "/pack.json";
  const std::optional<std::string> text = ReadTextFile(manifestPath, error);
  if (!text) return std::nullopt;
  std::string why;
  const std::optional<FolderManifest> manifest = ParseFolderManifest(*text, why);
  if (!manifest) {
    error = manifestPath + ": " + why;
    return std::nullopt;
  }
  return PlanFromFolderManifest(folder, manifestPath, manifest, error, imageOptions);
}

std::optional<pack::ArchivePlan> PlanFromFolderManifest(
    const std::string& folder, const std::string& manifestPath,
    const std::optional<FolderManifest>& manifest, std::string& error, ImageOptions* imageOptions) {
  std::string why;
  PackImages images(folder, manifest->type, imageOptions);
  if (manifest->palette) images.SetPalette(*manifest->palette);
  if (manifest->paletteFile) {
    const PalettedImage* source = images.Load(*manifest->paletteFile, error);
    if (source == nullptr) return std::nullopt;
    images.SetPalette(source->palette);
  }
  if (!images.palette() && !QuantisePalette(images, *manifest, error)) return std::nullopt;

  pack::ArchivePlan plan;
  plan.archiveType = manifest->type;
  std::map<std::tuple<std::string, std::string, int32_t>, size_t> shared;
  bool first = true;
  int64_t bound = 0;  // what the frames encoded so far could take
  for (const FolderBlock& block : manifest->blocks) {
    pack::BlockPlan out{block.identifier, {}, {}};
    for (const FolderFrame& frame : block.frames) {
      std::optional<std::string> name = frame.name;
      if (!name) name = FrameNameBytes(Stem(frame.file), why);  // as UTF-8 on disk
      const std::optional<pack::FrameName> field =
          name ? pack::NameField(*name) : std::optional<pack::FrameName>();
      if (!field) {
        error = manifestPath + ": " + frame.where + ": the name " +
                (name ? "\"" + *name + "\" is longer than 13 bytes" : "taken from the file: " + why);
        return std::nullopt;
      }
      const auto key = std::make_tuple(*name, frame.file, frame.compression);
      auto found = shared.find(key);
      if (found == shared.end()) {
        const PalettedImage* image = images.Load(frame.file, error);
        if (image == nullptr) return std::nullopt;
        if (!images.palette()) images.SetPalette(image->palette);
        if (first) {
          plan.width = manifest->width.value_or(image->width);
          plan.height = manifest->height.value_or(image->height);
          first = false;
        }
        if ((manifest->width && image->width != *manifest->width) ||
            (manifest->height && image->height != *manifest->height)) {
          error = images.PathOf(frame.file) + ": " + std::to_string(image->width) + " x " +
                  std::to_string(image->height) + " pixels, but pack.json gives the archive " +
                  std::to_string(plan.width) + " x " + std::to_string(plan.height);
          return std::nullopt;
        }
        // Each image is checked for room before it is encoded.
        bound += pack::EncodedSizeBound(image->width, image->height);
        if (bound > kMaxArchiveBytes) {
          error = manifestPath + ": the archive would outgrow the 2 GiB that 32-bit offsets reach";
          return std::nullopt;
        }
        std::optional<pack::StoredFrame> stored =
            EncodeImage(*image, frame.compression, manifest->keepSpecial, why);
        if (!stored) {
          error = images.PathOf(frame.file) + ": " + why;
          return std::nullopt;
        }
        found = shared.emplace(key, plan.frames.size()).first;
        plan.frames.push_back(std::move(*stored));
      }
      out.entries.push_back(pack::DirectoryEntry{*field, found->second});
    }
    plan.blocks.push_back(std::move(out));
  }
  if (images.palette()) plan.palette = *images.palette();
  if (first) {
    plan.width = manifest->width.value_or(0);
    plan.height = manifest->height.value_or(0);
  }
  return plan;
}

}  // namespace dw::cli
