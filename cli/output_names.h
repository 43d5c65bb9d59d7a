// The file names the converter gives an archive's images. By default they
// are the window program's names (walk01.pcx -> walk01.bmp), so a later
// frame of the same name replaces an earlier one; with unique names every
// table entry gets a file of its own and nothing is replaced within the
// archive: the first entry of a name keeps it, later ones get name~2,
// name~3, ... in table order.
//
// Either way a name is safe on disk: "/" and control characters become "_",
// and a name that would be empty or hidden (".bmp" from "..\x.pcx") becomes
// "unnamed-<index>".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive.h"

namespace dw::cli {

struct OutputNames {
  std::vector<std::string> files;  // per requested index, in the order given
  // Entries whose image a later entry of another head replaces on disk; their
  // image is lost unless unique names are asked for.
  std::vector<bool> overwritten;
  int overwrittenCount = 0;  // distinct frames (heads) lost that way
  // Per requested index, which distinct file it writes: 0 .. fileCount - 1.
  std::vector<int32_t> fileSlot;
  int32_t fileCount = 0;
};

// indices: table indices in the order they are written (table order).
// extension: "bmp" or "png".
OutputNames PlanOutputNames(const Archive& archive, const std::vector<int32_t>& indices,
                            const std::string& extension, bool unique);

}  // namespace dw::cli
