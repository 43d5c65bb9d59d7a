// Working through the frames of one archive on a few threads. Frames that
// write one file (equal names) form a chain that one thread takes in table
// order, so the file ends as a run on one thread leaves it; the rest is
// handed out in runs of neighbouring frames, so that a thread's frame source
// still finds the entries of one head next to each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace dw::cli {

// Calls work(worker, k) once for every k below fileOf.size(), on jobs threads
// (worker 0 .. jobs - 1; 1 or less: all on the calling thread, in order).
// Items with equal fileOf values run on one thread in ascending k. Returns
// when every item is done; an exception thrown by work is rethrown here after
// the other threads have stopped.
void RunFrameJobs(const std::vector<int32_t>& fileOf, int jobs,
                  const std::function<void(int worker, size_t k)>& work);

}  // namespace dw::cli
