#include "cli/run/frame_jobs.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>

namespace dw::cli {
namespace {

// The items grouped into chains, as one flat list: chain c is
// order[start[c]] .. order[start[c + 1] - 1], chains ordered by their first
// item, each in ascending k.
struct Chains {
  std::vector<size_t> order;
  std::vector<size_t> start;
};

Chains ChainsOf(const std::vector<int32_t>& fileOf) {
  const size_t count = fileOf.size();
  const int32_t files = count == 0 ? 0 : *std::max_element(fileOf.begin(), fileOf.end()) + 1;
  std::vector<size_t> firstOfFile(size_t(std::max(files, 0)), count);
  for (size_t k = 0; k < count; ++k) {
    size_t& first = firstOfFile[size_t(fileOf[k])];
    first = std::min(first, k);
  }
  Chains chains;
  chains.order.resize(count);
  std::iota(chains.order.begin(), chains.order.end(), size_t{0});
  std::stable_sort(chains.order.begin(), chains.order.end(), [&](size_t a, size_t b) {
    return firstOfFile[size_t(fileOf[a])] < firstOfFile[size_t(fileOf[b])];
  });
  for (size_t j = 0; j < count; ++j) {
    if (j == 0 || fileOf[chains.order[j]] != fileOf[chains.order[j - 1]]) chains.start.push_back(j);
  }
  chains.start.push_back(count);
  return chains;
}

}  // namespace

void RunFrameJobs(const std::vector<int32_t>& fileOf, int jobs,
                  const std::function<void(int worker, size_t k)>& work) {
  if (jobs <= 1 || fileOf.size() <= 1) {
    for (size_t k = 0; k < fileOf.size(); ++k) work(0, k);
    return;
  }
  const Chains chains = ChainsOf(fileOf);
  const size_t chainCount = chains.start.size() - 1;
  // Runs long enough that taking one costs nothing beside its frames, short
  // enough that the threads end together.
  const size_t run = std::clamp<size_t>(chainCount / (size_t(jobs) * 16), 1, 64);
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex errorMutex;
  std::exception_ptr error;
  const auto serve = [&](int worker) {
    try {
      while (!stop.load(std::memory_order_relaxed)) {
        const size_t first = next.fetch_add(run);
        if (first >= chainCount) return;
        const size_t last = std::min(first + run, chainCount);
        for (size_t j = chains.start[first]; j < chains.start[last]; ++j) work(worker, chains.order[j]);
      }
    } catch (...) {
      std::lock_guard lock(errorMutex);
      if (!error) error = std::current_exception();
      stop = true;
    }
  };
  std::vector<std::thread> threads;
  const int count = int(std::min<size_t>(size_t(jobs), chainCount));
  for (int w = 1; w < count; ++w) {
    try {
      threads.emplace_back(serve, w);
    } catch (const std::system_error&) {
      break;  // fewer threads do the same work
    }
  }
  serve(0);
  for (std::thread& t : threads) t.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace dw::cli
