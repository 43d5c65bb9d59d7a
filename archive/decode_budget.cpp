#include "archive/decode_budget.h"

#include <algorithm>
#include <limits>

namespace dw {

int64_t DecodeBudget::LimitForInput(int64_t inputSize, int64_t chosen) {
  if (chosen > 0) return chosen;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  const int64_t size = std::max<int64_t>(inputSize, 0);
  const int64_t scaled = size > kMax / kPerInputByte ? kMax : size * kPerInputByte;
  return std::max(kFloorBytes, scaled);
}

DecodeBudget::DecodeBudget(int64_t maxDecoded, int64_t maxWritten)
    : maxDecoded_(std::max<int64_t>(maxDecoded, 0)), maxWritten_(std::max<int64_t>(maxWritten, 0)) {}

bool DecodeBudget::Reserve(std::atomic<int64_t>& used, int64_t limit, int64_t bytes) {
  bytes = std::max<int64_t>(bytes, 0);
  int64_t now = used.load();
  do {
    if (bytes > limit - now) {
      exhausted_.store(true);
      return false;
    }
  } while (!used.compare_exchange_weak(now, now + bytes));
  return true;
}

bool DecodeBudget::ReserveDecoded(int64_t bytes) {
  return Reserve(decoded_, maxDecoded_, bytes);
}

bool DecodeBudget::ReserveWritten(int64_t bytes) {
  return Reserve(written_, maxWritten_, bytes);
}

}  // namespace dw
