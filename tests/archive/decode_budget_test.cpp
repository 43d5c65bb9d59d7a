#include "archive/decode_budget.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>
#include <vector>

namespace dw {
namespace {

TEST(DecodeBudgetLimit, IsTheLargerOf256MiBAnd1024TimesTheInputUnlessChosen) {
  constexpr int64_t kMiB = int64_t{1} << 20;
  const struct {
    int64_t size, chosen, limit;
  } rows[] = {
      {0, 0, 256 * kMiB},
      {-5, 0, 256 * kMiB},
      {104'577, 0, 256 * kMiB},  // a real archive that writes 212 times its size
      {517'000, 0, 517'000 * 1024},
      {100 * kMiB, 0, int64_t{100} << 30},
      {std::numeric_limits<int64_t>::max(), 0, std::numeric_limits<int64_t>::max()},
      {100 * kMiB, 64 * kMiB, 64 * kMiB},  // --max-output lowers it
      {10, 1 << 30, 1 << 30},              // and raises it
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DecodeBudget::LimitForInput(row.size, row.chosen), row.limit) << row.size;
    EXPECT_EQ(DecodeBudget::ForInput(row.size, row.chosen).decodedLimit(), row.limit);
  }
}

TEST(DecodeBudgetReserve, TakesUpToTheLimitThenRefusesWithoutTakingAnything) {
  DecodeBudget budget(100, 50);
  // Each call's result in the order made (a negative amount counts as nothing).
  EXPECT_EQ((std::vector<int64_t>{budget.ReserveDecoded(60), budget.ReserveDecoded(40), budget.exhausted(),
                                  budget.ReserveDecoded(1), budget.exhausted(), budget.decoded(),
                                  budget.ReserveWritten(51), budget.written(), budget.ReserveWritten(50),
                                  budget.ReserveDecoded(-7), budget.decoded()}),
            (std::vector<int64_t>{true, true, false, false, true, 100, false, 0, true, true, 100}));
  EXPECT_FALSE(DecodeBudget(-1).ReserveDecoded(1));
  EXPECT_FALSE(DecodeBudget(0).ReserveWritten(std::numeric_limits<int64_t>::max()));
}

// Frames of one archive may be decoded on several threads: the sum of what
// was granted never passes the limit.
TEST(DecodeBudgetReserve, ConcurrentReservationsNeverOvershoot) {
  DecodeBudget budget(10'000);
  std::vector<std::thread> threads;
  std::vector<int> granted(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5000; ++i) granted[size_t(t)] += budget.ReserveDecoded(3) ? 1 : 0;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(granted[0] + granted[1] + granted[2] + granted[3], 3333);
  EXPECT_EQ(budget.decoded(), 9999);
}

}  // namespace
}  // namespace dw
