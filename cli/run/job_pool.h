// The one pool under the converter's threads. Items are grouped into chains
// (items that write the same files: one thread takes a chain, in item order,
// so they end as a run on one thread leaves them); chains are handed out in
// the order of their first items, a run of neighbouring chains at a time.
// RunBatch (archives) and RunFrameJobs (the frames of one archive) are its
// two entry points.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dw::cli {

// Chain c is order[start[c]] .. order[start[c + 1] - 1].
struct JobChains {
  std::vector<size_t> order;
  std::vector<size_t> start;
  size_t count() const { return start.empty() ? 0 : start.size() - 1; }
};

// Items with equal keys form one chain, in ascending item order; chains are
// ordered by their first items.
JobChains ChainsByKey(const std::vector<std::string>& keys);
JobChains ChainsByKey(const std::vector<int32_t>& keys);

class JobPool {
 public:
  using Work = std::function<void(int worker, size_t item)>;
  // run: chains taken at once. stopOnError: the first exception stops the
  // handing out of work (otherwise it waits for the item's Await).
  JobPool(JobChains chains, size_t run, const Work& work, bool stopOnError);
  // Stops handing out work and waits for the threads, also when the caller threw.
  ~JobPool();
  JobPool(const JobPool&) = delete;
  JobPool& operator=(const JobPool&) = delete;

  // Starts up to count threads, workers firstWorker, firstWorker + 1, ...;
  // returns how many the system gave (fewer do the same work).
  int Start(int count, int firstWorker);
  // Works on the calling thread as worker until no chain is left.
  void Serve(int worker);
  // Waits until item is done; rethrows what its work threw.
  void Await(size_t item);
  // Waits for the threads, then rethrows the first item's exception, if any.
  void Finish();

 private:
  void Join();

  const JobChains chains_;
  const size_t run_;
  const Work& work_;
  const bool stopOnError_;
  std::mutex mutex_;
  std::condition_variable finished_;
  size_t nextChain_ = 0;
  bool stopping_ = false;
  std::vector<bool> done_;
  std::vector<std::exception_ptr> errors_;
  std::vector<std::thread> threads_;
};

}  // namespace dw::cli
