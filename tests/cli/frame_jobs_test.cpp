#include "cli/run/frame_jobs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace dw::cli {
namespace {

struct Done {
  int worker = -1;
  int times = 0;
};

// Every item once; items of one file on one worker, in ascending order; one
// thread runs them all in order.
void ExpectChainsKept(const std::vector<int32_t>& fileOf, int jobs) {
  std::mutex mutex;
  std::vector<Done> done(fileOf.size());
  std::map<int32_t, std::vector<size_t>> orderOfFile;
  std::vector<size_t> order;
  RunFrameJobs(fileOf, jobs, [&](int worker, size_t k) {
    EXPECT_GE(worker, 0);
    EXPECT_LT(worker, std::max(jobs, 1));
    std::lock_guard lock(mutex);
    done[k].worker = worker;
    ++done[k].times;
    orderOfFile[fileOf[k]].push_back(k);
    order.push_back(k);
  });
  for (size_t k = 0; k < fileOf.size(); ++k) EXPECT_EQ(done[k].times, 1) << k;
  EXPECT_TRUE(jobs > 1 || std::is_sorted(order.begin(), order.end()));
  for (const auto& [file, order] : orderOfFile) {
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "file " << file;
    for (size_t k : order) EXPECT_EQ(done[k].worker, done[order.front()].worker) << k;
  }
}

// An exception is rethrown once the threads have stopped.
TEST(FrameJobs, EveryItemRunsOnceItemsOfOneFileStayInOrderOnOneThreadAndThrowsAreRethrown) {
  std::vector<int32_t> clashing;  // every fifth item writes file 0, the others a file each
  for (int32_t k = 0; k < 5000; ++k) clashing.push_back(k % 5 == 0 ? 0 : k);
  std::vector<int32_t> distinct;
  for (int32_t k = 0; k < 3000; ++k) distinct.push_back(k);
  for (int jobs : {0, 1, 2, 3, 8}) {
    ExpectChainsKept(clashing, jobs);
    ExpectChainsKept(distinct, jobs);
    ExpectChainsKept({}, jobs);
    ExpectChainsKept({0}, jobs);
    ExpectChainsKept({4, 4, 4, 0, 4}, jobs);
    EXPECT_THROW(RunFrameJobs(distinct, jobs,
                              [&](int, size_t k) {
                                if (k == 700) throw std::runtime_error("no room");
                              }),
                 std::runtime_error)
        << jobs;
  }
}

}  // namespace
}  // namespace dw::cli
