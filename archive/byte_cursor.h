// A read position over bytes already in memory that always knows how much is
// left. The archive reader and the frame decoder read only through it, so no
// damaged count or offset can make them read outside the archive.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "archive/little_endian.h"

namespace dw {

class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, int64_t size) : data_(data), size_(size) {}

  int64_t size() const { return size_; }
  int64_t position() const { return position_; }
  int64_t remaining() const { return size_ - position_; }
  bool exhausted() const { return position_ >= size_; }

  // Moves to an absolute position; false (and no move) when it lies outside.
  bool SeekTo(int64_t position) {
    if (position < 0 || position > size_) return false;
    position_ = position;
    return true;
  }
  // Skips up to count bytes; the position never passes the end.
  void Skip(int64_t count) { position_ += std::clamp<int64_t>(count, 0, remaining()); }

  std::optional<uint8_t> ReadU8() {
    if (remaining() < 1) return std::nullopt;
    return data_[position_++];
  }
  std::optional<uint16_t> ReadU16() {
    if (remaining() < 2) return std::nullopt;
    const uint16_t v = le::GetU16(data_ + position_);
    position_ += 2;
    return v;
  }
  std::optional<int32_t> ReadI32() {
    if (remaining() < 4) return std::nullopt;
    const int32_t v = le::GetI32(data_ + position_);
    position_ += 4;
    return v;
  }
  // Copies up to count bytes (what is left, if less) and advances past them;
  // returns how many were copied.
  int64_t ReadInto(uint8_t* out, int64_t count) {
    const int64_t n = std::clamp<int64_t>(count, 0, remaining());
    if (n > 0) std::memcpy(out, data_ + position_, size_t(n));
    position_ += n;
    return n;
  }
  // The next count bytes without copying; nullptr when fewer are left.
  const uint8_t* Peek(int64_t count) const {
    return count >= 0 && remaining() >= count ? data_ + position_ : nullptr;
  }

 private:
  const uint8_t* data_;
  int64_t size_;
  int64_t position_ = 0;
};

}  // namespace dw
