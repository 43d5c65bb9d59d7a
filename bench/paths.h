// The paths table: the same batch of real-shaped archives exported as BMP, as
// palettised PNG, with --alpha and with --layers, on one job and on two, and
// the peak memory of list and info of 100,000 frames against their export's.
// With a baseline converter (an older build) every row is measured for both
// in the same run, in rotating order, so that before and after share the load.
#pragma once

#include <ostream>
#include <string>

#include "bench/measurements.h"

namespace dw::bench {

struct PathsOptions {
  std::string baseline;  // path of an older duskweave-convert; empty for none
  int copies = 40;       // archives of each shape in the batch
  int repetitions = 3;
};

// Prints the table to out; false when a target was missed or a run failed.
bool MeasurePaths(const BenchOptions& options, const PathsOptions& paths, std::ostream& out);

}  // namespace dw::bench
