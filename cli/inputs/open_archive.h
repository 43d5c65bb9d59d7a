// Opening an archive for a converter command.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/decode_budget.h"
#include "cli/run/messages.h"

namespace dw::cli {

struct OpenedArchive {
  Archive archive;
  Diagnostics load;  // what the loader found
  std::shared_ptr<const std::vector<uint8_t>> bytes;
  int64_t maxOutput = 0;  // as the archive was opened with

  // The budget of one operation on the archive, for decoding and writing:
  // maxOutput, or (0) the default for the archive's size.
  DecodeBudget Budget() const {
    return DecodeBudget::ForInput(int64_t(bytes->size()), maxOutput);
  }
};

// Reads the archive at path and reports what the loader found: an archive
// that cannot be read is an error (and nothing is returned), damage a warning.
// maxOutput (--max-output; 0: the default for the size) bounds the whole
// operation: a path "X.lod:NAME.def" inflates that entry of the LOD container
// within it, and Budget() gives the rest of the work the same limit.
std::optional<OpenedArchive> OpenArchive(const std::string& path, Messages& messages,
                                         int64_t maxOutput);

}  // namespace dw::cli
