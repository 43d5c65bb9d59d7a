// LOD containers as converter inputs. "X.lod" stands for every DEF entry of
// the container, "X.lod:NAME.def" for one of them (letter case ignored); the
// latter is also how such an archive is named in messages and in the lists
// of archives the commands work through.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/lod_container.h"
#include "cli/messages.h"

namespace dw::cli {

struct LodInput {
  std::string container;  // the LOD file's path
  std::string entry;      // the entry's name as given
};

// "X.lod:NAME.def" split at its last ':', only when the part before ends in
// ".lod" in any letter case and is an existing file; otherwise nothing.
std::optional<LodInput> SplitLodInput(const std::string& input);

// Whether the path's name ends in ".lod" in any letter case.
bool HasLodExtension(const std::string& path);

// The container's bytes, read once and shared while the file is unchanged,
// so that opening its entries one by one does not read it again each time.
// Empty when the file cannot be read. Safe to call from several threads.
std::shared_ptr<const std::vector<uint8_t>> LodContainerBytes(const std::string& path);

// "X.lod:NAME.def" for every DEF entry of the container at path, in table
// order; what keeps the container or some entries from being read goes to
// errors.
std::vector<std::string> LodDefInputs(const std::string& path, std::vector<std::string>& errors);

// The bytes of the entry named by input, inflated within maxBytes (0: the
// default budget for the container's size). Errors name the input; nothing is
// returned then.
std::shared_ptr<const std::vector<uint8_t>> ReadLodInput(const LodInput& lod,
                                                         const std::string& input,
                                                         int64_t maxBytes, Messages& messages);

}  // namespace dw::cli
