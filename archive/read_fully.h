// Reading a known number of bytes from an open file descriptor.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dw {

// Reads into out until size bytes are read or the file ends, retrying reads
// an interrupting signal cut short. The count read (less than size when the
// file shrank), or -1 when a read fails. The caller owns fd and out.
int64_t ReadFully(int fd, uint8_t* out, size_t size);

}  // namespace dw
