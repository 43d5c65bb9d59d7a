// Turning a manifest and its images into an archive plan for the builder:
// every image read, checked against the archive's palette and its entry's
// size, and encoded. Any fault stops the plan with one message naming the
// file and the field; the caller then writes nothing.
#pragma once

#include <optional>
#include <string>

#include "pack/def_builder.h"

namespace dw::cli {

struct ImageOptions;    // cli/pack_plan/pack_images.h; nullptr: the defaults
struct FolderManifest;  // cli/manifest/manifest_reader.h

// The manifest `export --manifest` writes; images are found beside it.
std::optional<pack::ArchivePlan> PlanFromExportManifest(const std::string& manifestPath,
                                                        std::string& error,
                                                        ImageOptions* images = nullptr);

// folder/pack.json, the short hand-written manifest, and its images.
std::optional<pack::ArchivePlan> PlanFromFolder(const std::string& folder, std::string& error,
                                                ImageOptions* images = nullptr);
// The same from a manifest already read (manifestPath names it in errors).
std::optional<pack::ArchivePlan> PlanFromFolderManifest(
    const std::string& folder, const std::string& manifestPath,
    const std::optional<FolderManifest>& manifest, std::string& error,
    ImageOptions* images = nullptr);

// VCMI's JSON animation (what `export --vcmi` writes) and its images, as a
// folder manifest of type 0x42 whose images hold their shadows; nothing
// (error empty) when the file is no such animation.
std::optional<pack::ArchivePlan> PlanFromVcmiAnimation(const std::string& path, std::string& error,
                                                       ImageOptions* images = nullptr);

}  // namespace dw::cli
