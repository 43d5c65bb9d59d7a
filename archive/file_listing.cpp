#include "archive/file_listing.h"

#include <algorithm>
#include <filesystem>

#include "archive/ascii_case.h"
#include "archive/wildcard.h"

namespace dw {
namespace {

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Compares the upper-case forms, as the platform the format comes from lists
// names: "_", "[", "\\", "]" and "^" sort after "Z".
bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char x = Upper(a[i]), y = Upper(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // names that differ only in case keep a fixed order
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  return MatchesWildcard(FoldAsciiCase(name), FoldAsciiCase(pattern));
}

std::vector<std::string> ListMatchingFiles(const std::string& folder, const std::string& pattern,
                                           std::error_code* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<std::string> names;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::error_code statError;
    // status() follows links: a link to a regular file counts, a dangling one does not.
    if (!fs::is_regular_file(it->status(statError)) || statError) continue;
    std::string name = it->path().filename().string();
    if (MatchesPattern(name, pattern)) names.push_back(std::move(name));
  }
  if (error != nullptr) *error = ec;
  if (ec) return {};
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

}  // namespace dw
