#include "cli/run/job_pool.h"

#include <algorithm>
#include <map>
#include <system_error>

namespace dw::cli {
namespace {

template <typename Key>
JobChains ChainsOf(const std::vector<Key>& keys) {
  std::vector<std::vector<size_t>> chains;
  std::map<Key, size_t> chainOfKey;
  for (size_t i = 0; i < keys.size(); ++i) {
    const auto [at, isNew] = chainOfKey.emplace(keys[i], chains.size());
    if (isNew) chains.emplace_back();
    chains[at->second].push_back(i);
  }
  JobChains flat;
  flat.order.reserve(keys.size());
  for (const std::vector<size_t>& chain : chains) {
    flat.start.push_back(flat.order.size());
    flat.order.insert(flat.order.end(), chain.begin(), chain.end());
  }
  flat.start.push_back(flat.order.size());
  return flat;
}

}  // namespace

JobChains ChainsByKey(const std::vector<std::string>& keys) { return ChainsOf(keys); }
JobChains ChainsByKey(const std::vector<int32_t>& keys) { return ChainsOf(keys); }

JobPool::JobPool(JobChains chains, size_t run, const Work& work, bool stopOnError)
    : chains_(std::move(chains)), run_(std::max<size_t>(run, 1)), work_(work),
      stopOnError_(stopOnError), done_(chains_.order.size(), false),
      errors_(chains_.order.size()) {}

JobPool::~JobPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  Join();
}

int JobPool::Start(int count, int firstWorker) {
  int started = 0;
  for (; started < count; ++started) {
    try {
      threads_.emplace_back([this, worker = firstWorker + started] { Serve(worker); });
    } catch (const std::system_error&) {
      break;
    }
  }
  return started;
}

void JobPool::Serve(int worker) {
  for (;;) {
    size_t first = 0, last = 0;
    {
      std::lock_guard lock(mutex_);
      if (stopping_ || nextChain_ >= chains_.count()) return;
      first = nextChain_;
      last = std::min(first + run_, chains_.count());
      nextChain_ = last;
    }
    for (size_t j = chains_.start[first]; j < chains_.start[last]; ++j) {
      const size_t item = chains_.order[j];
      std::exception_ptr error;
      try {
        work_(worker, item);
      } catch (...) {
        error = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      done_[item] = true;
      errors_[item] = error;
      if (error && stopOnError_) stopping_ = true;
      finished_.notify_all();
      if (stopping_) return;
    }
  }
}

void JobPool::Await(size_t item) {
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&] { return bool(done_[item]); });
  if (errors_[item]) std::rethrow_exception(errors_[item]);
}

void JobPool::Finish() {
  Join();
  for (const std::exception_ptr& error : errors_)
    if (error) std::rethrow_exception(error);
}

void JobPool::Join() {
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

}  // namespace dw::cli
