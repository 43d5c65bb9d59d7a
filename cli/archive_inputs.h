// Turning the export command's INPUT arguments into a list of archives. A
// folder contributes the DEF files the window program would list for it:
// regular files whose names end in ".def" in any letter case, hidden ones
// too, never folders, sorted by name without regard to case.
#pragma once

#include <string>
#include <vector>

namespace dw::cli {

struct ArchiveInputs {
  std::vector<std::string> archives;  // in argument order, each folder's files sorted
  std::vector<std::string> errors;    // inputs that do not exist or cannot be listed
  std::vector<std::string> warnings;  // folders that hold no DEF file
  bool singleFile = false;            // exactly one input, and it is a file
};

ArchiveInputs CollectArchives(const std::vector<std::string>& inputs);

// The DEF files of one folder, as the window program lists them.
std::vector<std::string> DefFilesInFolder(const std::string& folder, std::string& error);

// "creature.def" -> "creature", "a.b.def" -> "a.b", ".def" -> ".def", "..def" -> "..def":
// never "." or "..", so each archive's folder lies inside the output folder.
std::string ArchiveStem(const std::string& path);

}  // namespace dw::cli
