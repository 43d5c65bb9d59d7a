#include "bench/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace dw::bench {
namespace fs = std::filesystem;

bool WriteFileOnce(const std::string& folder, const std::string& prefix, const OutputFile& file) {
  const std::string path = folder + "/" + prefix + file.name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // One write moves the whole file on Linux for these sizes; the loop only
  // guards against a signal cutting it short.
  bool ok = true;
  size_t done = 0;
  while (done < file.bytes.size()) {
    const ssize_t n = ::write(fd, file.bytes.data() + done, file.bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += size_t(n);
  }
  return ::close(fd) == 0 && ok;
}

bool WriteFilesOnce(const std::string& folder, const std::vector<OutputFile>& files) {
  bool ok = true;
  for (const OutputFile& file : files) ok = WriteFileOnce(folder, "", file) && ok;
  return ok;
}

std::string CompareFolder(const std::string& folder, const ExpectedFiles& expected) {
  size_t found = 0;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_regular_file()) continue;
    const std::string name = it->path().filename().string();
    const auto want = expected.find(name);
    if (want == expected.end()) return "unexpected file " + name;
    std::ifstream in(it->path(), std::ios::binary);
    const std::vector<uint8_t> got{std::istreambuf_iterator<char>(in), {}};
    if (got != want->second) {
      return name + " differs (" + std::to_string(got.size()) + " bytes, expected " +
             std::to_string(want->second.size()) + ")";
    }
    ++found;
  }
  if (error) return "cannot list " + folder + ": " + error.message();
  if (found != expected.size()) {
    return std::to_string(found) + " files written, expected " + std::to_string(expected.size());
  }
  return {};
}

std::string FreshFolder(const std::string& base, const std::string& tag) {
  for (int n = 0;; ++n) {
    const fs::path candidate = fs::path(base) / (tag + "-" + std::to_string(n));
    if (fs::create_directory(candidate)) return candidate.string();
  }
}

void RemoveFolder(const std::string& folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

void SettleFileSystem(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::syncfs(fd);
  ::close(fd);
}

}  // namespace dw::bench
