// The manifest written beside an archive's exported images: the archive head,
// the palette, every block with its identifier and reserved bytes, and every
// frame in directory order with its name (UTF-8 and the raw bytes in hex), its
// head and the file it was exported to. With the images it is enough to build
// the archive again.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "archive/archive.h"
#include "archive/diagnostics.h"
#include "cli/outputs/archive_report.h"

namespace dw::cli {

// files: frame table index -> file name, for the frames that were exported.
nlohmann::ordered_json BuildManifest(const Archive& archive, const ArchiveReport& report,
                                     const std::map<int32_t, std::string>& files,
                                     const Diagnostics& load);

std::string ToHex(const uint8_t* bytes, size_t size);

}  // namespace dw::cli
