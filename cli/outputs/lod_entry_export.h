// Extracting the entries of a LOD container that are not DEF archives: a PCX
// image becomes a PNG file (palettised, or RGB for the 24-bit kind), any
// other entry is written byte for byte. Each draws from a budget of its own
// size's default (or --max-output), as a DEF entry does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/run/messages.h"

namespace dw::cli {

// Writes the entry input names ("X.lod:NAME") to path. False, with an error
// naming the input, when it cannot be read, is damaged or cannot be written.
bool ExportLodFile(const std::string& input, const std::string& path, int64_t maxOutput,
                   Messages& messages);

// What `list` shows of such an entry: its kind and size (and a PCX image's
// dimensions); nothing, with an error, when it cannot be read.
std::optional<nlohmann::ordered_json> ListLodFile(const std::string& input, bool json,
                                                  std::ostream& out, Messages& messages);

}  // namespace dw::cli
