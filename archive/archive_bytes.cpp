#include "archive/archive_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <limits>

#include "archive/read_fully.h"

namespace dw {
namespace {

int64_t Nanoseconds(const timespec& t) {
  return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

int64_t Now() {
  timespec t{};
  ::clock_gettime(CLOCK_REALTIME, &t);
  return Nanoseconds(t);
}

// File time stamps come from a coarse clock (a scheduler tick; whole seconds
// on some file systems), so two writes close together can leave the same
// stamps behind. Bytes read within that window of the last change cannot be
// trusted to stay current.
int64_t StampGranularity(const struct stat& st) {
  const bool wholeSeconds = st.st_mtim.tv_nsec == 0 && st.st_ctim.tv_nsec == 0;
  return wholeSeconds ? 2'000'000'000 : 50'000'000;
}

}  // namespace

std::shared_ptr<const std::vector<uint8_t>> ArchiveBytes::Current(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    Forget();
    return nullptr;
  }
  const Identity seen{uint64_t(st.st_dev), uint64_t(st.st_ino), int64_t{st.st_size},
                      Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
  if (bytes_ && settled_ && path == path_ && seen == identity_) return bytes_;

  Forget();
  const int64_t readStart = Now();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
      opened.st_size > std::numeric_limits<int32_t>::max()) {
    ::close(fd);
    return nullptr;
  }
  auto bytes = std::make_shared<std::vector<uint8_t>>(size_t(opened.st_size));
  const int64_t done = ReadFully(fd, bytes->data(), bytes->size());
  ::close(fd);
  if (done < 0) return nullptr;
  bytes->resize(size_t(done));  // the file shrank while it was read

  path_ = path;
  identity_ = Identity{uint64_t(opened.st_dev), uint64_t(opened.st_ino), int64_t{opened.st_size},
                       Nanoseconds(opened.st_mtim), Nanoseconds(opened.st_ctim)};
  const int64_t lastChange = std::max(identity_.mtimeNs, identity_.ctimeNs);
  settled_ = readStart - lastChange > StampGranularity(opened);
  bytes_ = std::move(bytes);
  return bytes_;
}

void ArchiveBytes::Forget() {
  path_.clear();
  identity_ = Identity{};
  bytes_.reset();
  settled_ = false;
}

}  // namespace dw
