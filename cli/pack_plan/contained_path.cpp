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

}  // namespace

std::optional<std::string> FileInsideFolder(const std::string& folder, const std::string& relative) {
  if (relative.empty() || relative.front() == '/' || relative.find('\0') != std::string::npos ||
      HasParentStep(relative))
    return std::nullopt;
  const std::optional<std::string> root = RealPath(folder.empty() ? "." : folder);
  const std::optional<std::string> file = RealPath((folder.empty() ? "." : folder) + "/" + relative);
  if (!root || !file) return std::nullopt;
  const std::string prefix = *root == "/" ? *root : *root + "/";
  if (file->compare(0, prefix.size(), prefix) != 0 || file->size() == prefix.size())
    return std::nullopt;
  struct stat status {};
  if (stat(file->c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return file;
}

}  // namespace dw::cli
