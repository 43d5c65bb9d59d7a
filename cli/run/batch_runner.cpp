#include "cli/run/batch_runner.h"

#include "cli/run/messages.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace dw::cli {
namespace {

// Chains of item indices, ordered by their first item: handing them out in
// that order lets the earliest items, which the caller waits for, start first.
std::vector<std::vector<size_t>> ChainsByKey(const std::vector<std::string>& keys) {
  std::vector<std::vector<size_t>> chains;
  std::map<std::string, size_t> chainOfKey;
  for (size_t i = 0; i < keys.size(); ++i) {
    const auto [at, isNew] = chainOfKey.emplace(keys[i], chains.size());
    if (isNew) chains.emplace_back();
    chains[at->second].push_back(i);
  }
  return chains;
}

class Pool {
 public:
  Pool(const std::vector<std::string>& keys, const std::function<void(size_t)>& work)
      : chains_(ChainsByKey(keys)), work_(work), done_(keys.size(), false),
        errors_(keys.size()) {}

  // Stops handing out work and waits for the threads, also when finish threw.
  ~Pool() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    for (std::thread& t : threads_) t.join();
  }

  void Start(int jobs) {
    const size_t count = std::min(size_t(jobs), chains_.size());
    for (size_t t = 0; t < count; ++t) threads_.emplace_back([this] { Serve(); });
  }

  // Waits until item i is done; rethrows what its work threw.
  void Await(size_t i) {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return bool(done_[i]); });
    if (errors_[i]) std::rethrow_exception(errors_[i]);
  }

 private:
  void Serve() {
    for (;;) {
      std::vector<size_t> chain;
      {
        std::lock_guard lock(mutex_);
        if (stopping_ || nextChain_ >= chains_.size()) return;
        chain = chains_[nextChain_++];
      }
      for (size_t i : chain) {
        std::exception_ptr error;
        try {
          work_(i);
        } catch (...) {
          error = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        done_[i] = true;
        errors_[i] = error;
        finished_.notify_all();
        if (stopping_) return;
      }
    }
  }

  const std::vector<std::vector<size_t>> chains_;
  const std::function<void(size_t)>& work_;
  std::mutex mutex_;
  std::condition_variable finished_;
  size_t nextChain_ = 0;
  bool stopping_ = false;
  std::vector<bool> done_;
  std::vector<std::exception_ptr> errors_;
  std::vector<std::thread> threads_;
};

}  // namespace

int DefaultJobs() {
  return std::max(1, int(std::thread::hardware_concurrency()));
}

void RunBatch(const std::vector<std::string>& keys, int jobs,
              const std::function<void(size_t)>& work, const std::function<void(size_t)>& finish) {
  if (jobs <= 1 || keys.size() <= 1) {
    for (size_t i = 0; i < keys.size(); ++i) {
      work(i);
      finish(i);
    }
    return;
  }
  Pool pool(keys, work);
  pool.Start(jobs);
  for (size_t i = 0; i < keys.size(); ++i) {
    pool.Await(i);
    finish(i);
  }
}

int RunArchiveBatch(const std::vector<std::string>& archives, const std::vector<std::string>& keys,
                    int jobs, Messages& messages,
                    const std::function<int(size_t archive, Messages& messages)>& convert) {
  std::vector<std::unique_ptr<MessageBuffer>> buffers(archives.size());
  std::vector<int> counts(archives.size(), 0);
  int total = 0;
  RunBatch(
      keys, jobs > 0 ? jobs : DefaultJobs(),
      [&](size_t i) {
        buffers[i] = std::make_unique<MessageBuffer>();
        counts[i] = convert(i, buffers[i]->messages);
      },
      [&](size_t i) {
        messages.Forward(buffers[i]->printed.str(), buffers[i]->messages.failed());
        buffers[i].reset();
        total += counts[i];
        messages.Progress(std::to_string(i + 1) + "/" + std::to_string(archives.size()) +
                          " archives done");
      });
  return total;
}

}  // namespace dw::cli
