// The way back: each real-shaped archive exported with its manifest, packed
// again, and the packed size set against the original's, with the time and
// peak memory of pack against those of the export.
#pragma once

#include <ostream>

#include "bench/measurements.h"

namespace dw::bench {

// Prints the table; false when an archive packs larger than it came or a run fails.
bool MeasurePackRatio(const BenchOptions& options, std::ostream& out);

}  // namespace dw::bench
