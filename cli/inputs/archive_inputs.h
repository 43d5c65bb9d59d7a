// Turning the export command's INPUT arguments into a list of archives. A
// folder contributes the DEF files the window program would list for it:
// regular files whose names end in ".def" in any letter case, hidden ones
// too, never folders, sorted by name without regard to case. A LOD container
// ("X.lod") contributes its DEF entries as "X.lod:NAME.def", in table order;
// "X.lod:NAME.def" given as such stands for that one entry.
#pragma once

#include <string>
#include <vector>

namespace dw::cli {

// The input "-": an archive read from standard input.
inline constexpr const char* kStandardInput = "-";

struct ArchiveInputs {
  std::vector<std::string> archives;  // in argument order, each folder's files sorted
  std::vector<std::string> errors;    // inputs that do not exist or cannot be listed
  std::vector<std::string> warnings;  // folders that hold no DEF file
  bool singleFile = false;            // exactly one input, and it is a file
};

// With lodFiles, a folder also contributes the DEF entries of its LOD
// containers (files whose names end in ".lod" in any case), after its DEF files.
// With allLodEntries, a LOD container given as such contributes every entry,
// not only its DEF archives.
ArchiveInputs CollectArchives(const std::vector<std::string>& inputs, bool lodFiles = false,
                              bool allLodEntries = false);

// The DEF files of one folder, as the window program lists them.
std::vector<std::string> DefFilesInFolder(const std::string& folder, std::string& error);

// "creature.def" -> "creature", "a.b.def" -> "a.b", ".def" -> ".def", "..def" -> "..def":
// never "." or "..", so each archive's folder lies inside the output folder.
// "x/a.lod:Hero.def" -> "Hero": a LOD entry is named as LodOutputName names it.
std::string ArchiveStem(const std::string& path);

}  // namespace dw::cli
