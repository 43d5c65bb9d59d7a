#include "cli/pack_plan/contained_path.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace dw::cli {
namespace {

std::optional<std::string> RealPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                             &std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

bool HasParentStep(const std::string& relative) {
  for (size_t start = 0; start <= relative.size();) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    if (relative.compare(start, end - start, "..") == 0 && end - start == 2) return true;
    start = end + 1;
  }
  return false;
}

// The real path of root/relative when it is a regular file below root.
std::optional<std::string> Resolved(const std::string& root, const std::string& relative) {
  const std::optional<std::string> file = RealPath(root + "/" + relative);
  if (!file) return std::nullopt;
  const std::string prefix = root == "/" ? root : root + "/";
  if (file->compare(0, prefix.size(), prefix) != 0 || file->size() == prefix.size())
    return std::nullopt;
  struct stat status {};
  if (stat(file->c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return file;
}

}  // namespace

std::optional<std::string> FileInsideFolder(const std::string& folder, const std::string& relative) {
  return ContainedFolder(folder).File(relative);
}

ContainedFolder::ContainedFolder(const std::string& folder)
    : root_(RealPath(folder.empty() ? "." : folder)) {}

std::optional<std::string> ContainedFolder::File(const std::string& relative) const {
  if (!root_ || relative.empty() || relative.front() == '/' || relative.back() == '/' ||
      relative.find('\0') != std::string::npos || HasParentStep(relative))
    return std::nullopt;
  // Below the resolved folder, a path of folders and a regular file none of
  // which is a link stays inside; one that holds a link is resolved whole.
  std::string path = *root_ == "/" ? "" : *root_;
  struct stat status {};
  for (size_t start = 0; start < relative.size();) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const bool last = end == relative.size();
    if (end > start && relative.compare(start, end - start, ".") != 0) {
      path.append("/").append(relative, start, end - start);
      if (lstat(path.c_str(), &status) != 0) return std::nullopt;
      if (S_ISLNK(status.st_mode)) return Resolved(*root_, relative);
      if (!(last ? S_ISREG(status.st_mode) : S_ISDIR(status.st_mode))) return std::nullopt;
    } else if (last) {
      return std::nullopt;  // a path that ends in "." names a folder
    }
    start = end + 1;
  }
  return path;
}

}  // namespace dw::cli
