#include "cli/inputs/archive_inputs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "archive/file_listing.h"
#include "cli/inputs/lod_input.h"

namespace dw::cli {
namespace {

namespace fs = std::filesystem;

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::vector<std::string> DefFilesInFolder(const std::string& folder, std::string& error) {
  std::error_code ec;
  // Matched as the window program's DEF list matches them.
  const std::vector<std::string> names = ListMatchingFiles(folder, "*.def", &ec);
  if (ec) {
    error = ec.message();
    return {};
  }
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names) paths.push_back(JoinPath(folder, name));
  return paths;
}

ArchiveInputs CollectArchives(const std::vector<std::string>& inputs, bool lodFiles,
                              bool allLodEntries) {
  ArchiveInputs result;
  for (const std::string& input : inputs) {
    std::error_code ec;
    const fs::file_status status = fs::status(input, ec);
    if (input == kStandardInput) {
      // Standard input can be read once.
      if (std::count(result.archives.begin(), result.archives.end(), input) == 0) {
        result.archives.push_back(input);
      } else {
        result.errors.push_back("-: standard input can be read only once");
      }
    } else if (SplitLodInput(input)) {
      result.archives.push_back(input);
    } else if (ec || !fs::exists(status)) {
      result.errors.push_back(input + ": no such file or folder");
    } else if (fs::is_directory(status)) {
      std::string error;
      std::vector<std::string> files = DefFilesInFolder(input, error);
      if (lodFiles && error.empty()) {
        // Matched as DEF files are, so the two kinds of input never disagree.
        for (const std::string& name : ListMatchingFiles(input, "*.lod")) {
          const std::vector<std::string> entries = LodEntryInputs(JoinPath(input, name), result.errors);
          files.insert(files.end(), entries.begin(), entries.end());
        }
      }
      if (!error.empty()) {
        result.errors.push_back(input + ": cannot list folder: " + error);
      } else if (files.empty()) {
        result.warnings.push_back(input + ": the folder holds no DEF files");
      }
      result.archives.insert(result.archives.end(), files.begin(), files.end());
    } else if (HasLodExtension(input)) {
      const std::vector<std::string> entries = LodEntryInputs(input, result.errors, allLodEntries);
      result.archives.insert(result.archives.end(), entries.begin(), entries.end());
    } else {
      result.archives.push_back(input);
    }
  }
  result.singleFile = inputs.size() == 1 && result.errors.empty() && result.archives.size() == 1 &&
                      result.archives.front() == inputs.front();
  return result;
}

std::string ArchiveStem(const std::string& given) {
  if (const std::optional<ResolvedLodInput> lod = ResolveLodInput(given))
    return LodOutputName(lod->entry());
  const std::string& path = given;
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return name;
  // "..def" and "...def" would otherwise name the output folder or its parent.
  const std::string stem = name.substr(0, dot);
  return stem == "." || stem == ".." ? name : stem;
}

}  // namespace dw::cli
