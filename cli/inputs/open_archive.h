// Opening an archive for a converter command.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "cli/run/messages.h"

namespace dw::cli {

struct OpenedArchive {
  Archive archive;
  Diagnostics load;  // what the loader found
  std::shared_ptr<const std::vector<uint8_t>> bytes;
};

// Reads the archive at path and reports what the loader found: an archive
// that cannot be read is an error (and nothing is returned), damage a warning.
// A path "X.lod:NAME.def" reads that entry of the LOD container, inflating at
// most maxBytes (0: the default budget for the container's size).
std::optional<OpenedArchive> OpenArchive(const std::string& path, Messages& messages,
                                         int64_t maxBytes = 0);

}  // namespace dw::cli
