#pragma once

#include <optional>
#include <string>

#include "archive/conversion_state.h"
#include "cli/messages.h"

namespace dw::cli {

// Loads path into a freshly initialised state and reports what the loader
// found: an archive that cannot be read is an error, damage a warning. The
// loader's findings, or nothing when the archive could not be read at all.
std::optional<Diagnostics> OpenArchive(ConversionState& state, const std::string& path,
                                       Messages& messages);

}  // namespace dw::cli
