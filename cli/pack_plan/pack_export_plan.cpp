// The plan from the manifest `export --manifest` writes. Entries at one
// offset shared one stored frame in the archive and share one again while
// their images give the same frame; an entry whose image was edited apart
// gets a stored frame of its own, right after the shared one, and a note
// names it. Stored frames keep the order of their offsets, so the packed
// archive's frame table (sorted by offset) lists them in the same order.
#include <algorithm>
#include <filesystem>
#include <map>

#include "cli/pack_plan/fill_layer.h"
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

bool SameGeometry(const FrameHeader& a, const FrameHeader& b) {
  return a.compression == b.compression && a.fullWidth == b.fullWidth &&
         a.fullHeight == b.fullHeight && a.width == b.width && a.height == b.height &&
         a.leftMargin == b.leftMargin && a.topMargin == b.topMargin;
}

bool SizeMatches(const PalettedImage& image, int64_t width, int64_t height) {
  return image.width == width && image.height == height;
}

// Everything painted in a full-size image lies in its stored rectangle: one
// painted outside grows it (a compression 3 one to whole segments).
std::optional<pack::Trim> GrownRectangle(const PalettedImage& image, const FrameHeader& head,
                                         const pack::Trim& stored) {
  pack::Trim painted = pack::TrimBackground(image.pixels.data(), image.width, image.height);
  if (!image.fill.empty()) {
    std::vector<uint8_t> marks(image.fill.size());
    for (size_t i = 0; i < marks.size(); ++i)
      marks[i] = image.fill[i] != kPaintedPixel && image.fill[i] != 0 ? 1 : 0;
    painted = pack::Union(painted, pack::TrimBackground(marks.data(), image.width, image.height));
  }
  const pack::Trim grown = pack::Union(stored, painted);
  const bool inside = painted.width <= 0 || painted.height <= 0 ||
                      (grown.left == stored.left && grown.top == stored.top &&
                       grown.width == stored.width && grown.height == stored.height);
  if (inside) return stored;
  return head.compression == 3 ? pack::AlignToSegments(grown, head.fullWidth) : grown;
}

// How each index looks in an image of colour and alpha exported from this archive.
std::array<Rgba, 256> AlphaColours(const ExportManifest& manifest) {
  Palette palette{};
  for (size_t i = 0; i < palette.size(); ++i)
    palette[i] = ColourQuad{manifest.palette[3 * i + 2], manifest.palette[3 * i + 1],
                            manifest.palette[3 * i], 0};
  return ColoursFor(palette, manifest.type, SpriteLayer::Whole);
}

std::optional<pack::StoredFrame> EncodeEntry(const ManifestFrame& frame, const std::string& file,
                                             const ExportManifest& manifest,
                                             const std::array<Rgba, 256>* colours,
                                             PackImages& images, const std::string& manifestPath,
                                             std::string& error) {
  FrameHeader head = frame.head;
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
  const int32_t left = std::max(head.leftMargin, 0), top = std::max(head.topMargin, 0);
  if (int64_t{left} + head.width > head.fullWidth || int64_t{top} + head.height > head.fullHeight) {
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
  pack::Trim rect{manifest.crop ? 0 : left, manifest.crop ? 0 : top, head.width, head.height};
  if (!manifest.crop) {
    const std::optional<pack::Trim> grown = GrownRectangle(*image, head, rect);
    if (!grown) {
      error = images.PathOf(file) + ": pixels painted outside the stored rectangle need whole "
              "32-column segments in compression 3, which pass the full frame's " +
              std::to_string(head.fullWidth) + " columns";
      return std::nullopt;
    }
    if (grown->left != rect.left || grown->top != rect.top || grown->width != rect.width ||
        grown->height != rect.height) {
      head.leftMargin = grown->left;
      head.topMargin = grown->top;
      head.width = grown->width;
      head.height = grown->height;
    }
  }
  const pack::Trim cut{manifest.crop ? 0 : std::max(head.leftMargin, 0),
                       manifest.crop ? 0 : std::max(head.topMargin, 0), head.width, head.height};
  pack::PixelRect pixels =
      pack::CutRect(image->pixels.data(), image->width, image->height, cut.left, cut.top,
                    cut.width, cut.height);
  const FillSource source{head.compression, manifest.keepSpecial,
                          frame.fill ? &*frame.fill : nullptr, rect.left - cut.left,
                          rect.top - cut.top, colours,
                          frame.literal ? &*frame.literal : nullptr};
  std::vector<uint8_t> fill = FillLayer(*image, pixels, cut.left, cut.top, source);
  KeepLiterals(pixels, fill, source);
  std::string why;
  auto data = pack::EncodeFrame(pixels, fill, {head.compression, manifest.keepSpecial}, why);
  if (!data) {
    error = images.PathOf(file) + ": " + why;
    return std::nullopt;
  }
  return pack::StoredFrame{head, std::move(*data)};
}

bool SameFrame(const pack::StoredFrame& a, const pack::StoredFrame& b) {
  return SameGeometry(a.head, b.head) && a.data == b.data;
}

// The entries of one offset whose images gave another stored frame than the
// first, named for the note.
std::string SplitNote(const std::string& manifestPath, const std::vector<std::string>& split,
                      const std::string& first) {
  std::string names;
  for (size_t i = 0; i < split.size(); ++i)
    names += (i == 0 ? "" : i + 1 == split.size() ? " and " : ", ") + split[i];
  return manifestPath + ": " + names + (split.size() == 1 ? " shared its" : " shared their") +
         " stored frame with " + first + ", but " + (split.size() == 1 ? "its image differs" :
         "their images differ") + "; each different image gets a stored frame of its own";
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

  // Each offset's entries in directory order, and the offsets in the order
  // their stored frames will lie.
  std::map<int32_t, std::vector<const ManifestFrame*>> atOffset;
  for (const ManifestBlock& block : manifest->blocks)
    for (const ManifestFrame& frame : block.frames) atOffset[frame.offset].push_back(&frame);

  // Names, heads and files, checked in directory order before anything is read.
  for (const ManifestBlock& block : manifest->blocks) {
    for (const ManifestFrame& frame : block.frames) {
      const std::vector<const ManifestFrame*>& entries = atOffset[frame.offset];
      if (!pack::NameField(frame.name)) {
        error = Describe(manifestPath, frame) + ": the name is longer than 13 bytes";
        return std::nullopt;
      }
      if (!SameGeometry(entries.front()->head, frame.head)) {
        error = Describe(manifestPath, frame) + ": its head differs from that of an earlier "
                "entry at offset " + std::to_string(frame.offset);
        return std::nullopt;
      }
      if (std::none_of(entries.begin(), entries.end(), [](const ManifestFrame* f) { return f->file.has_value(); })) {
        error = Describe(manifestPath, frame) + ": no image file, and no other entry at offset " +
                std::to_string(frame.offset) + " names one";
        return std::nullopt;
      }
    }
  }

  // What the stored frames could take, summed before any is encoded: the
  // first entry at an offset gives its head.
  int64_t bound = 0;
  for (const auto& [offset, entries] : atOffset) {
    const FrameHeader& head = entries.front()->head;
    bound = std::min(bound + pack::EncodedSizeBound(std::max(head.width, 0),
                                                    std::max(head.height, 0)),
                     int64_t{1} << 62);
  }
  if (bound > kMaxArchiveBytes) {
    error = manifestPath + ": the archive would outgrow the 2 GiB that 32-bit offsets reach";
    return std::nullopt;
  }

  // Each entry's stored frame: the one its image gives, shared with every
  // earlier entry of its offset that gave the same; entries without a file
  // take the first.
  std::map<const ManifestFrame*, size_t> storedOf;
  const std::array<Rgba, 256> colours = AlphaColours(*manifest);
  for (const auto& [offset, entries] : atOffset) {
    const size_t firstStored = plan.frames.size();
    std::map<std::string, size_t> byFile;
    std::vector<std::string> split;
    for (const ManifestFrame* frame : entries) {
      if (!frame->file) continue;
      auto known = byFile.find(*frame->file);
      if (known == byFile.end()) {
        // A stored frame beyond the first grows the archive past the bound.
        if (plan.frames.size() > firstStored) {
          bound = std::min(bound + pack::EncodedSizeBound(std::max(frame->head.fullWidth, 0),
                                                          std::max(frame->head.fullHeight, 0)),
                           int64_t{1} << 62);
          if (bound > kMaxArchiveBytes) {
            error = manifestPath + ": the archive would outgrow the 2 GiB that 32-bit offsets "
                    "reach";
            return std::nullopt;
          }
        }
        std::optional<pack::StoredFrame> stored =
            EncodeEntry(*frame, *frame->file, *manifest, manifest->alpha ? &colours : nullptr,
                        images, manifestPath, error);
        if (!stored) return std::nullopt;
        size_t at = firstStored;
        while (at < plan.frames.size() && !SameFrame(plan.frames[at], *stored)) ++at;
        if (at == plan.frames.size()) plan.frames.push_back(std::move(*stored));
        known = byFile.emplace(*frame->file, at).first;
      }
      storedOf[frame] = known->second;
      if (known->second != firstStored) split.push_back(frame->where + " (\"" + frame->name + "\")");
    }
    if (!split.empty()) {
      const auto named = std::find_if(entries.begin(), entries.end(), [&](const ManifestFrame* f) {
        return storedOf.count(f) > 0 && storedOf[f] == firstStored;
      });
      plan.notes.push_back(SplitNote(manifestPath, split,
                                     (*named)->where + " (\"" + (*named)->name + "\")"));
    }
    for (const ManifestFrame* frame : entries) storedOf.emplace(frame, firstStored);
  }

  for (const ManifestBlock& block : manifest->blocks) {
    pack::BlockPlan out{block.identifier, block.reserved, {}};
    for (const ManifestFrame& frame : block.frames) {
      out.entries.push_back(pack::DirectoryEntry{*pack::NameField(frame.name), storedOf[&frame]});
    }
    plan.blocks.push_back(std::move(out));
  }
  return plan;
}

}  // namespace dw::cli
