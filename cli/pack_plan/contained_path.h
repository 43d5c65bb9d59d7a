// Files a manifest names, kept inside the folder it governs. A manifest is
// input like any other: its paths must not reach files elsewhere on the
// machine, nor tell apart files that exist elsewhere from files that do not.
#pragma once

#include <optional>
#include <string>

namespace dw::cli {

// The resolved path of the regular file that relative names inside folder,
// or nothing when it is not one: an empty or absolute path, a path with a
// zero character or a ".." component, a file whose real path (every
// symbolic link followed) lies outside the folder's real path, a missing
// file, a folder or a device. The file is then opened by that resolved path
// (which holds no link any more), so what is read is what was checked.
std::optional<std::string> FileInsideFolder(const std::string& folder, const std::string& relative);

// The same for many files of one folder, whose real path is resolved once.
class ContainedFolder {
 public:
  explicit ContainedFolder(const std::string& folder);
  std::optional<std::string> File(const std::string& relative) const;

 private:
  std::optional<std::string> root_;  // nothing: the folder cannot be resolved
};

}  // namespace dw::cli
