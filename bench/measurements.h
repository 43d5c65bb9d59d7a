// The measurements taken on one archive. Every timed step starts from the
// same conditions as its user-facing counterpart: a fresh conversion state,
// the archive file in the page cache, and a fresh empty output folder.
#pragma once

#include <cstdint>
#include <string>

#include "bench/child_process.h"
#include "bench/sprite_archives.h"
#include "bench/timing.h"

namespace dw::bench {

struct BenchOptions {
  int repetitions = 7;
  std::string converter;  // path of duskweave-convert; empty to skip the child runs
  std::string workFolder;
  bool verbose = false;  // every repetition's time on stderr
};

struct ExportResult {
  int32_t files = 0;
  int64_t totalBytes = 0;
  int64_t largestImage = 0;  // the largest BMP the export writes, in bytes
  Sample floor;              // same files from memory, one open/write/close each
  Sample exported;           // LoadArchive + ExportFrame of every frame
  Sample ratio;              // median over repetitions of exported / floor of that repetition
  Sample noise;              // the same for a second floor run beside the first: ideally 1
  std::string problem;       // empty when the export wrote exactly the expected bytes
};

struct ComposeResult {
  Sample time;
  int32_t width = 0, height = 0;
  std::string problem;
};

struct ConverterResult {
  ChildResult run;      // median wall time and peak memory of the runs
  std::string problem;  // empty when it exited 0 and wrote the expected bytes
};

// Export of every frame and the floor, interleaved frame by frame (the order
// rotates) so that both see the same machine load even when it changes within
// a second; each repetition sums the per-file times of each. A second floor run
// interleaved with them measures the noise of the comparison.
// Medians of options.repetitions repetitions.
ExportResult MeasureExport(const BenchArchive& archive, const BenchOptions& options);

// LoadArchive plus the first DecodeFrame into a memory stream.
Sample MeasureOpen(const BenchArchive& archive, const BenchOptions& options, int repetitions);

// ComposeStrip of the first frameCount frames in list order, with separators
// (the window program's default).
ComposeResult MeasureCompose(const BenchArchive& archive, const BenchOptions& options,
                             int32_t frameCount);

// "duskweave-convert export ARCHIVE OUTDIR" as a child process.
ConverterResult MeasureConverter(const BenchArchive& archive, const BenchOptions& options);

}  // namespace dw::bench
