#include "archive/decode_budget.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>
#include <vector>

namespace dw {
namespace {

TEST(DecodeBudgetLimit, IsAGenerousMultipleOfTheArchiveWithAFloorOfFourGiB) {
  EXPECT_EQ(DecodeBudget::LimitFor(0), int64_t{4} << 30);
  EXPECT_EQ(DecodeBudget::LimitFor(517'000), int64_t{4} << 30);  // the largest real archive
  EXPECT_EQ(DecodeBudget::LimitFor(int64_t{100} << 20), int64_t{100} << 30);
  EXPECT_EQ(DecodeBudget::LimitFor(-5), int64_t{4} << 30);
  EXPECT_EQ(DecodeBudget::LimitFor(std::numeric_limits<int64_t>::max()),
            std::numeric_limits<int64_t>::max());
  EXPECT_EQ(DecodeBudget::LimitFor(10, 1000), 10240);
}

TEST(DecodeBudgetReserve, TakesUpToTheLimitThenRefusesWithoutTakingAnything) {
  DecodeBudget budget(100, 50);
  EXPECT_TRUE(budget.ReserveDecoded(60));
  EXPECT_TRUE(budget.ReserveDecoded(40));
  EXPECT_FALSE(budget.exhausted());
  EXPECT_FALSE(budget.ReserveDecoded(1));
  EXPECT_TRUE(budget.exhausted());
  EXPECT_EQ(budget.decoded(), 100);
  EXPECT_FALSE(budget.ReserveWritten(51));
  EXPECT_EQ(budget.written(), 0);
  EXPECT_TRUE(budget.ReserveWritten(50));
  EXPECT_TRUE(budget.ReserveDecoded(-7));  // counts as nothing
  EXPECT_EQ(budget.decoded(), 100);
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
