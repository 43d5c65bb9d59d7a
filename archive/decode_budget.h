// What one operation (an export, a composition, a preview, one archive of a
// converter batch) may cost: pixel bytes decoded and bytes written, in total.
// Each buffer has its own cap, but a small archive whose many directory
// entries all name one huge frame would otherwise make work without end. The
// caller owns the budget and hands it to every decode and write of the
// operation; once a reservation fails the operation stops, keeping what it
// finished. Reservations are atomic, so frames may be decoded in parallel.
#pragma once

#include <atomic>
#include <cstdint>

namespace dw {

class DecodeBudget {
 public:
  // The default limit of an operation: the larger of 256 MiB and 1024 times
  // its input's size (an archive file, the inflated bytes of a LOD entry, or
  // a LOD container as a whole). Over 120 real archives the largest full
  // export writes 212 times its archive's size, and the most any writes is
  // 274 MB, so no real archive meets it; a small hostile one (many entries
  // naming one huge frame) stops within seconds.
  static constexpr int64_t kFloorBytes = int64_t{256} << 20;
  static constexpr int64_t kPerInputByte = 1024;

  // chosen when it is above 0 (the user's --max-output), otherwise the
  // default limit for an input of inputSize bytes.
  static int64_t LimitForInput(int64_t inputSize, int64_t chosen = 0);
  // A budget of LimitForInput(inputSize, chosen) for both decoding and writing.
  static DecodeBudget ForInput(int64_t inputSize, int64_t chosen = 0) {
    return DecodeBudget(LimitForInput(inputSize, chosen));
  }

  // Limits of 0 or less allow nothing.
  DecodeBudget(int64_t maxDecoded, int64_t maxWritten);
  explicit DecodeBudget(int64_t limit) : DecodeBudget(limit, limit) {}
  DecodeBudget(const DecodeBudget&) = delete;
  DecodeBudget& operator=(const DecodeBudget&) = delete;

  // Takes bytes from the budget, or takes nothing and marks it exhausted when
  // they would pass the limit.
  bool ReserveDecoded(int64_t bytes);
  bool ReserveWritten(int64_t bytes);

  bool exhausted() const { return exhausted_.load(); }
  int64_t decoded() const { return decoded_.load(); }
  int64_t written() const { return written_.load(); }
  int64_t decodedLimit() const { return maxDecoded_; }
  int64_t writtenLimit() const { return maxWritten_; }

 private:
  bool Reserve(std::atomic<int64_t>& used, int64_t limit, int64_t bytes);

  int64_t maxDecoded_;
  int64_t maxWritten_;
  std::atomic<int64_t> decoded_{0};
  std::atomic<int64_t> written_{0};
  std::atomic<bool> exhausted_{false};
};

}  // namespace dw
