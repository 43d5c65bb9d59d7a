// The scaling table: how opening, exporting and composing grow with the
// archive (1k to 100k frames, frames up to the pixel limit, strips of 2,000
// frames) and how a batch of 120 archives speeds up with a second job. Every
// case runs duskweave-convert as a child process, so time, CPU time and peak
// memory are the whole program's; each is set against the floor (the same
// bytes written from memory) and against linear growth from the smallest size.
#pragma once

#include <ostream>
#include <string>

#include "bench/measurements.h"

namespace dw::bench {

// Prints the table to out; returns false when a target was missed or a run
// went wrong. options.converter must be set. only: one case (frames, frame,
// creature, clashes, strip or batch), or empty for all.
bool MeasureScaling(const BenchOptions& options, const std::string& only, std::ostream& out);

}  // namespace dw::bench
