// Running the items of a converter batch (one archive each) on a few threads
// while the caller sees them finish in input order, so that what a batch
// prints and writes does not depend on how many threads ran it.
//
// Items that share a key (archives exporting into one folder) form one chain
// that a single thread works through in input order: the later item's files
// replace the earlier's exactly as in a run without threads. At most `jobs`
// items are in work at any moment; an item's memory is its own business (each
// archive export carries its own budget).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace dw::cli {

// The number of jobs when none is asked for: one per core, at least one.
int DefaultJobs();

// Calls work(i) for every i below keys.size(), on up to jobs threads (1 or
// less: all on the calling thread), and finish(i) on the calling thread for
// every i in ascending order, as soon as item i and every item before it are
// done. work must only touch what belongs to item i; finish may print. An
// exception thrown by work(i) is rethrown from the calling thread in place of
// finish(i), after the other threads have stopped.
void RunBatch(const std::vector<std::string>& keys, int jobs,
              const std::function<void(size_t)>& work, const std::function<void(size_t)>& finish);

class Messages;

// A batch of archives whose outputs are named by key (archives of one key
// would write the same files, so they run in input order on one thread):
// convert(i, messages) runs for archive i, its messages reach `messages` in
// input order, and the sum of what it returned comes back.
int RunArchiveBatch(const std::vector<std::string>& archives, const std::vector<std::string>& keys,
                    int jobs, Messages& messages,
                    const std::function<int(size_t archive, Messages& messages)>& convert);

}  // namespace dw::cli
