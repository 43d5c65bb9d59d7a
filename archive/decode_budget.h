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
  // Real archives export a few hundred times their own size (517 KB gives
  // 274 MB of images); a generous multiple with a floor of a few GiB bounds
  // a hostile archive without ever stopping a real one.
  static constexpr int64_t kFloorBytes = int64_t{4} << 30;
  static constexpr int64_t kPerArchiveByte = 1024;

  // Both limits the larger of minimum and kPerArchiveByte x archiveSize.
  static int64_t LimitFor(int64_t archiveSize, int64_t minimum = kFloorBytes);

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
