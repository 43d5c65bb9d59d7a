// The plan from VCMI's JSON animation: {"basepath": "DIR/", "sequences":
// [{"group": N, "frames": ["a.png", ...]}], "images": [{"group": N, "frame":
// K, "file": "x.png"}]}. Each sequence is a block of its group, each frame
// an entry named by its file; "images" replaces the file of frame K of
// group N. The images are found beside the JSON file, under basepath.
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/manifest/manifest_reader.h"
#include "cli/pack_plan/pack_images.h"
#include "cli/pack_plan/pack_plan.h"

namespace dw::cli {
namespace {

using Json = nlohmann::json;

constexpr int32_t kCreatureType = 0x42;

// The folder manifest the animation stands for, or nothing with why.
std::optional<FolderManifest> ManifestOf(const Json& root, std::string& why) {
  FolderManifest manifest;
  manifest.type = kCreatureType;
  manifest.keepSpecial = true;  // RGBA images mark their shadows
  const Json& base = root.contains("basepath") ? root["basepath"] : Json("");
  const Json& sequences = root["sequences"];
  if (!base.is_string() || !sequences.is_array()) {
    why = !base.is_string() ? "basepath: not a string" : "sequences: not an array";
    return std::nullopt;
  }
  const std::string basepath = base.get<std::string>();
  for (size_t s = 0; s < sequences.size(); ++s) {
    const std::string where = "sequences[" + std::to_string(s) + "]";
    const Json& sequence = sequences[s];
    if (!sequence.is_object() || !sequence.contains("group") ||
        !sequence["group"].is_number_integer() || !sequence.contains("frames") ||
        !sequence["frames"].is_array()) {
      why = where + ": needs \"group\" (a whole number) and \"frames\" (an array)";
      return std::nullopt;
    }
    FolderBlock block;
    block.identifier = sequence["group"].get<int32_t>();
    for (size_t f = 0; f < sequence["frames"].size(); ++f) {
      const Json& file = sequence["frames"][f];
      const std::string at = where + ".frames[" + std::to_string(f) + "]";
      if (!file.is_string()) {
        why = at + ": not a string";
        return std::nullopt;
      }
      block.frames.push_back({at, basepath + file.get<std::string>(), std::nullopt, 1});
    }
    manifest.blocks.push_back(std::move(block));
  }
  const Json& images = root.contains("images") ? root["images"] : Json::array();
  for (size_t i = 0; i < images.size(); ++i) {
    const Json& image = images[i];
    const std::string at = "images[" + std::to_string(i) + "]";
    FolderFrame* target = nullptr;
    if (image.is_object() && image.contains("group") && image.contains("frame") &&
        image.contains("file") && image["group"].is_number_integer() &&
        image["frame"].is_number_unsigned() && image["file"].is_string()) {
      for (FolderBlock& block : manifest.blocks)
        if (block.identifier == image["group"].get<int64_t>() &&
            image["frame"].get<uint64_t>() < block.frames.size())
          target = &block.frames[image["frame"].get<size_t>()];
    }
    if (target == nullptr) {
      why = at + ": needs \"group\", \"frame\" and \"file\" naming a frame of a sequence";
      return std::nullopt;
    }
    *target = {at, basepath + image["file"].get<std::string>(), std::nullopt, 1};
  }
  return manifest;
}

}  // namespace

std::optional<pack::ArchivePlan> PlanFromVcmiAnimation(const std::string& path, std::string& error,
                                                       ImageOptions* images) {
  std::string why;
  const std::optional<std::string> text = ReadTextFile(path, why);
  const Json root = text ? Json::parse(*text, nullptr, false) : Json();
  if (!root.is_object() || !root.contains("sequences") || root.contains("blocks"))
    return std::nullopt;
  const std::optional<FolderManifest> manifest = ManifestOf(root, why);
  if (!manifest) {
    error = path + ": " + why;
    return std::nullopt;
  }
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  return PlanFromFolderManifest(folder, path, manifest, error, images);
}

}  // namespace dw::cli
