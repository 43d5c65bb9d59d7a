#include "archive/read_fully.h"

#include <unistd.h>

#include <cerrno>

namespace dw {

int64_t ReadFully(int fd, uint8_t* out, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, out + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += size_t(got);
  }
  return int64_t(done);
}

}  // namespace dw
