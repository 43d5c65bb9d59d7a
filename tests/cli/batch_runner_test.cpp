#include "cli/run/batch_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace dw::cli {
namespace {

std::vector<std::string> DistinctKeys(size_t count) {
  std::vector<std::string> keys;
  for (size_t i = 0; i < count; ++i) keys.push_back("k" + std::to_string(i));
  return keys;
}

// Work that throws is rethrown in place of its finish.
TEST(BatchRunner, FinishSeesEveryItemOnceInInputOrderAfterItsWorkOrItsThrow) {
  for (int jobs : {1, 2, 4, 16}) {
    const std::vector<std::string> keys = DistinctKeys(40);
    std::vector<std::atomic<bool>> worked(keys.size());
    std::vector<size_t> finished;
    RunBatch(
        keys, jobs, [&](size_t i) { worked[i] = true; },
        [&](size_t i) {
          EXPECT_TRUE(worked[i]) << i;
          finished.push_back(i);
        });
    std::vector<size_t> expected(keys.size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    EXPECT_EQ(finished, expected) << jobs;
    finished.clear();
    EXPECT_THROW(RunBatch(
                     keys, jobs,
                     [](size_t i) {
                       if (i == 4) throw std::runtime_error("item 4");
                     },
                     [&](size_t i) { finished.push_back(i); }),
                 std::runtime_error);
    EXPECT_EQ(finished, (std::vector<size_t>{0, 1, 2, 3})) << jobs;
  }
}

// Never more items in work than jobs. Archives exporting into one folder must
// replace each other's files in input order, so items of one key run one after
// another, in input order.
TEST(BatchRunner, NeverMoreItemsInWorkThanJobsAndItemsSharingAKeyOneAtATimeInOrder) {
  std::vector<std::string> keys = DistinctKeys(64);
  std::vector<size_t> expectedOfA;
  for (size_t i = 0; i < keys.size(); ++i) {  // pairs of neighbours: 0, 1, 4, 5, ...
    if (i % 4 >= 2) continue;
    keys[i] = "a";
    expectedOfA.push_back(i);
  }
  std::mutex mutex;
  std::vector<size_t> orderOfA;
  std::atomic<int> inWork{0}, most{0}, aInWork{0};
  std::atomic<bool> overlapped{false};
  RunBatch(
      keys, 3,
      [&](size_t i) {
        const int now = ++inWork;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        if (keys[i] == "a") {
          if (++aInWork > 1) overlapped = true;
          std::lock_guard lock(mutex);
          orderOfA.push_back(i);
        }
        volatile uint64_t spin = 0;
        for (uint64_t k = 0; k < 200000; ++k) spin = spin + k;
        if (keys[i] == "a") --aInWork;
        --inWork;
      },
      [](size_t) {});
  EXPECT_GE(most.load(), 1);
  EXPECT_LE(most.load(), 3);
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(orderOfA, expectedOfA);
}

// An empty batch calls nothing; the default number of jobs is at least one.
TEST(BatchRunner, EmptyBatchCallsNothingAndDefaultJobsIsAtLeastOne) {
  RunBatch({}, 4, [](size_t) { FAIL(); }, [](size_t) { FAIL(); });
  EXPECT_GE(DefaultJobs(), 1);
}

}  // namespace
}  // namespace dw::cli
