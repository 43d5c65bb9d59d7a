#include "cli/run/batch_runner.h"

#include "cli/run/messages.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "cli/run/job_pool.h"

namespace dw::cli {

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
  const JobPool::Work each = [&](int, size_t i) { work(i); };
  JobChains chains = ChainsByKey(keys);
  const int threads = int(std::min(size_t(jobs), chains.count()));
  JobPool pool(std::move(chains), 1, each, false);
  if (pool.Start(threads, 0) == 0) pool.Serve(0);  // no thread to be had: all on this one
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
        buffers[i] = std::make_unique<MessageBuffer>(messages.quiet());
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
