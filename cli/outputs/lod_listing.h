// What `list` and `info` show of a LOD container named on its own: its kind
// and one line (or JSON object) per entry of its table.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "cli/run/messages.h"

namespace dw::cli {

// Whether path names a whole LOD container (a name ending in ".lod" in any
// case) rather than one of its entries ("X.lod:NAME.def") or a DEF file.
bool IsLodContainerInput(const std::string& path);

// Prints the table (json false) or returns it as JSON; problems of the table
// and of each entry's placement are errors on messages and, for JSON, listed
// under "problems". Nothing is returned when the file cannot be read or is
// no LOD container.
std::optional<nlohmann::ordered_json> ListLodContainer(const std::string& path, bool json,
                                                       std::ostream& out, Messages& messages);

}  // namespace dw::cli
