// The plan from the manifest `export --manifest` writes. Entries at one
// offset shared one stored frame in the archive and share one again; stored
// frames keep the order of their offsets, so the packed archive's frame table
// (sorted by offset) lists them in the same order.
#include <algorithm>
#include <filesystem>
#include <map>

#include "cli/pack_plan/pack_images.h"
#include "cli/manifest/manifest_reader.h"
#include "cli/pack_plan/pack_plan.h"
#include "pack/frame_encoder.h"

namespace dw::cli {
namespace {

// What 32-bit offsets reach.
constexpr int64_t kMaxArchiveBytes = int64_t{1} << 31;

std::string Describe(const std::string& manifestPath, const ManifestFrame& frame) {
  return manifestPath + ": " + frame.where + " (\"" + frame.name + "\")";
}

// The file of each offset: the first entry there that names one.
std::map<int32_t, std::string> FilesByOffset(const ExportManifest& manifest) {
  std::map<int32_t, std::string> files;
  for (const ManifestBlock& block : manifest.blocks)
    for (const ManifestFrame& frame : block.frames)
      if (frame.file) files.emplace(frame.offset, *frame.file);
  return files;
}

bool SameGeometry(const FrameHeader& a, const FrameHeader& b) {
  return a.compression == b.compression && a.fullWidth == b.fullWidth &&
         a.fullHeight == b.fullHeight && a.width == b.width && a.height == b.height &&
         a.leftMargin == b.leftMargin && a.topMargin == b.topMargin;
}

bool SizeMatches(const PalettedImage& image, int64_t width, int64_t height) {
  return image.width == width && image.height == height;
}

std::optional<pack::StoredFrame> EncodeEntry(const ManifestFrame& frame, const std::string& file,
                                             const ExportManifest& manifest, PackImages& images,
                                             const std::string& manifestPath,
                                             std::string& error) {
  const FrameHeader& head = frame.head;
  if (head.width < 0 || head.height < 0 || head.fullWidth < 0 || head.fullHeight < 0) {
    error = Describe(manifestPath, frame) + ": a negative size cannot be packed";
    return std::nullopt;
  }
  if (int64_t{head.fullWidth} * head.fullHeight > kMaxImagePixels) {
    error = Describe(manifestPath, frame) + ": the full frame of " +
            std::to_string(head.fullWidth) + " x " + std::to_string(head.fullHeight) +
            " is larger than the converter packs";
    return std::nullopt;
  }
  // The rectangle as the decoder places it (a margin below zero counts as
  // zero) must lie in the full frame: outside it there are no pixels to pack.
  const int64_t left = std::max(head.leftMargin, 0), top = std::max(head.topMargin, 0);
  if (left + head.width > head.fullWidth || top + head.height > head.fullHeight) {
    error = Describe(manifestPath, frame) + ": the stored rectangle of " +
            std::to_string(head.width) + " x " + std::to_string(head.height) + " at " +
            std::to_string(left) + ", " + std::to_string(top) + " passes the full frame of " +
            std::to_string(head.fullWidth) + " x " + std::to_string(head.fullHeight);
    return std::nullopt;
  }
  const PalettedImage* image = images.Load(file, error);
  if (image == nullptr) return std::nullopt;
  // A cropped frame with no stored pixels was written as one background pixel.
  const bool emptyCrop = manifest.crop && (head.width == 0 || head.height == 0);
  const int64_t wantWidth = emptyCrop ? 1 : manifest.crop ? head.width : head.fullWidth;
  const int64_t wantHeight = emptyCrop ? 1 : manifest.crop ? head.height : head.fullHeight;
  if (!SizeMatches(*image, wantWidth, wantHeight)) {
    error = images.PathOf(file) + ": " + std::to_string(image->width) + " x " +
            std::to_string(image->height) + " pixels, but " + frame.where + " wants " +
            std::to_string(wantWidth) + " x " + std::to_string(wantHeight) +
            (manifest.crop ? " (the stored rectangle)" : " (the full frame)");
    return std::nullopt;
  }
  const pack::PixelRect rect =
      manifest.crop ? pack::CutRect(image->pixels.data(), image->width, image->height, 0, 0,
                                    head.width, head.height)
                    : pack::CutRect(image->pixels.data(), image->width, image->height,
                                    head.leftMargin, head.topMargin, head.width, head.height);
  std::string why;
  auto data = pack::EncodeFrame(rect, {head.compression, manifest.keepSpecial}, why);
  if (!data) {
    error = images.PathOf(file) + ": " + why;
    return std::nullopt;
  }
  return pack::StoredFrame{head, std::move(*data)};
}

}  // namespace

std::optional<pack::ArchivePlan> PlanFromExportManifest(const std::string& manifestPath,
                                                        std::string& error,
                                                        ImageOptions* imageOptions) {
  const std::optional<std::string> text = ReadTextFile(manifestPath, error);
  if (!text) return std::nullopt;
  std::string why;
  const std::optional<ExportManifest> manifest = ParseExportManifest(*text, why);
  if (!manifest) {
    error = manifestPath + ": " + why;
    return std::nullopt;
  }
  std::string folder = std::filesystem::path(manifestPath).parent_path().string();
  if (folder.empty()) folder = ".";
  PackImages images(folder, manifest->type, imageOptions);
  images.SetPalette(manifest->palette);

  pack::ArchivePlan plan;
  plan.archiveType = manifest->type;
  plan.width = manifest->width;
  plan.height = manifest->height;
  plan.palette = manifest->palette;

  // Offsets in the order the stored frames will lie.
  std::vector<int32_t> offsets;
  for (const ManifestBlock& block : manifest->blocks)
    for (const ManifestFrame& frame : block.frames) offsets.push_back(frame.offset);
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  std::map<int32_t, size_t> storedAt;
  for (size_t i = 0; i < offsets.size(); ++i) storedAt[offsets[i]] = i;
  std::vector<std::optional<pack::StoredFrame>> stored(offsets.size());

  const std::map<int32_t, std::string> files = FilesByOffset(*manifest);
  // What the stored frames could take, summed before any is encoded: the
  // first entry at an offset gives its head.
  std::map<int32_t, int64_t> bounds;
  for (const ManifestBlock& block : manifest->blocks)
    for (const ManifestFrame& frame : block.frames)
      bounds.emplace(frame.offset, pack::EncodedSizeBound(std::max(frame.head.width, 0),
                                                          std::max(frame.head.height, 0)));
  int64_t bound = 0;
  for (const auto& entry : bounds) bound = std::min(bound + entry.second, int64_t{1} << 62);
  if (bound > kMaxArchiveBytes) {
    error = manifestPath + ": the archive would outgrow the 2 GiB that 32-bit offsets reach";
    return std::nullopt;
  }
  for (const ManifestBlock& block : manifest->blocks) {
    pack::BlockPlan out{block.identifier, block.reserved, {}};
    for (const ManifestFrame& frame : block.frames) {
      const std::optional<pack::FrameName> name = pack::NameField(frame.name);
      if (!name) {
        error = Describe(manifestPath, frame) + ": the name is longer than 13 bytes";
        return std::nullopt;
      }
      const size_t at = storedAt[frame.offset];
      if (stored[at] && !SameGeometry(stored[at]->head, frame.head)) {
        error = Describe(manifestPath, frame) + ": its head differs from that of an earlier "
                "entry at offset " + std::to_string(frame.offset);
        return std::nullopt;
      }
      if (!stored[at]) {
        const auto file = files.find(frame.offset);
        if (file == files.end()) {
          error = Describe(manifestPath, frame) + ": no image file, and no other entry at offset " +
                  std::to_string(frame.offset) + " names one";
          return std::nullopt;
        }
        stored[at] = EncodeEntry(frame, file->second, *manifest, images, manifestPath, error);
        if (!stored[at]) return std::nullopt;
      }
      out.entries.push_back(pack::DirectoryEntry{*name, at});
    }
    plan.blocks.push_back(std::move(out));
  }
  for (auto& frame : stored) plan.frames.push_back(std::move(*frame));
  return plan;
}

}  // namespace dw::cli
