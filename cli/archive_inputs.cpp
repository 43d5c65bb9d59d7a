#include "cli/archive_inputs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace dw::cli {
namespace {

namespace fs = std::filesystem;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithDef(const std::string& name) {
  static const std::string kSuffix = ".def";
  if (name.size() < kSuffix.size()) return false;
  for (size_t i = 0; i < kSuffix.size(); ++i) {
    if (LowerAscii(name[name.size() - kSuffix.size() + i]) != kSuffix[i]) return false;
  }
  return true;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char x = LowerAscii(a[i]), y = LowerAscii(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // names that differ only in case keep a fixed order
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

std::vector<std::string> DefFilesInFolder(const std::string& folder, std::string& error) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    error = ec.message();
    return {};
  }
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!EndsWithDef(name)) continue;
    std::error_code statError;
    if (!it->is_regular_file(statError)) continue;
    names.push_back(name);
  }
  if (ec) {
    error = ec.message();
    return {};
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names) paths.push_back(JoinPath(folder, name));
  return paths;
}

ArchiveInputs CollectArchives(const std::vector<std::string>& inputs) {
  ArchiveInputs result;
  for (const std::string& input : inputs) {
    std::error_code ec;
    const fs::file_status status = fs::status(input, ec);
    if (ec || !fs::exists(status)) {
      result.errors.push_back(input + ": no such file or folder");
    } else if (fs::is_directory(status)) {
      std::string error;
      std::vector<std::string> files = DefFilesInFolder(input, error);
      if (!error.empty()) {
        result.errors.push_back(input + ": cannot list folder: " + error);
      }
      result.archives.insert(result.archives.end(), files.begin(), files.end());
    } else {
      result.archives.push_back(input);
    }
  }
  result.singleFile = inputs.size() == 1 && result.errors.empty() && result.archives.size() == 1 &&
                      result.archives.front() == inputs.front();
  return result;
}

std::string ArchiveStem(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

}  // namespace dw::cli
