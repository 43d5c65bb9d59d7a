// Timing: wall-clock time, which is what the table judges, and the calling
// thread's CPU time (user + system), which other processes on a busy machine
// disturb far less and so tells a slow path from a loaded machine.
#pragma once

#include <vector>

namespace dw::bench {

struct Sample {
  double wallMs = 0;
  double cpuMs = 0;
};

double WallClockMs();
double ThreadCpuMs();

template <typename F>
Sample Measure(F&& f) {
  const double wall = WallClockMs();
  const double cpu = ThreadCpuMs();
  f();
  return Sample{WallClockMs() - wall, ThreadCpuMs() - cpu};
}

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);
// Medians of the wall and the CPU times, each on its own.
Sample Median(const std::vector<Sample>& samples);

}  // namespace dw::bench
