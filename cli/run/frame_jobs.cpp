#include "cli/run/frame_jobs.h"

#include <algorithm>

#include "cli/run/job_pool.h"

namespace dw::cli {

void RunFrameJobs(const std::vector<int32_t>& fileOf, int jobs,
                  const std::function<void(int worker, size_t k)>& work) {
  if (jobs <= 1 || fileOf.size() <= 1) {
    for (size_t k = 0; k < fileOf.size(); ++k) work(0, k);
    return;
  }
  JobChains chains = ChainsByKey(fileOf);
  const size_t chainCount = chains.count();
  // Runs long enough that taking one costs nothing beside its frames, short
  // enough that the threads end together.
  const size_t run = std::clamp<size_t>(chainCount / (size_t(jobs) * 16), 1, 64);
  const int threads = int(std::min<size_t>(size_t(jobs), chainCount));
  JobPool pool(std::move(chains), run, work, true);
  pool.Start(threads - 1, 1);
  pool.Serve(0);
  pool.Finish();
}

}  // namespace dw::cli
