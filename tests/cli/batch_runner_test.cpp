#include "cli/run/batch_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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

TEST(BatchRunner, FinishSeesEveryItemOnceInInputOrderAfterItsWork) {
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
  }
}

TEST(BatchRunner, NeverMoreItemsInWorkThanJobs) {
  const std::vector<std::string> keys = DistinctKeys(64);
  std::atomic<int> inWork{0}, most{0};
  RunBatch(
      keys, 3,
      [&](size_t) {
        const int now = ++inWork;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        volatile int spin = 0;
        for (int k = 0; k < 20000; ++k) spin = spin + k;
        --inWork;
      },
      [](size_t) {});
  EXPECT_GE(most.load(), 1);
  EXPECT_LE(most.load(), 3);
}

// Archives exporting into one folder must replace each other's files in input
// order, so items of one key run one after another, in input order.
TEST(BatchRunner, ItemsSharingAKeyRunOneAtATimeInInputOrder) {
  const std::vector<std::string> keys = {"a", "b", "a", "c", "a", "b", "a"};
  std::mutex mutex;
  std::vector<size_t> orderOfA, orderOfB;
  std::atomic<int> aInWork{0};
  std::atomic<bool> overlapped{false};
  RunBatch(
      keys, 4,
      [&](size_t i) {
        if (keys[i] == "a" && ++aInWork > 1) overlapped = true;
        {
          std::lock_guard lock(mutex);
          if (keys[i] == "a") orderOfA.push_back(i);
          if (keys[i] == "b") orderOfB.push_back(i);
        }
        if (keys[i] == "a") --aInWork;
      },
      [](size_t) {});
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(orderOfA, (std::vector<size_t>{0, 2, 4, 6}));
  EXPECT_EQ(orderOfB, (std::vector<size_t>{1, 5}));
}

TEST(BatchRunner, WorkThatThrowsIsRethrownInPlaceOfItsFinish) {
  for (int jobs : {1, 3}) {
    const std::vector<std::string> keys = DistinctKeys(10);
    std::vector<size_t> finished;
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

// An empty batch calls nothing; the default number of jobs is at least one.
TEST(BatchRunner, EmptyBatchCallsNothingAndDefaultJobsIsAtLeastOne) {
  RunBatch({}, 4, [](size_t) { FAIL(); }, [](size_t) { FAIL(); });
  EXPECT_GE(DefaultJobs(), 1);
}

}  // namespace
}  // namespace dw::cli
