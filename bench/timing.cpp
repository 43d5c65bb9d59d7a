#include "bench/timing.h"

#include <time.h>

#include <algorithm>

namespace dw::bench {
namespace {

double ClockMs(clockid_t clock) {
  timespec t{};
  ::clock_gettime(clock, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

}  // namespace

double WallClockMs() {
  return ClockMs(CLOCK_MONOTONIC);
}
double ThreadCpuMs() {
  return ClockMs(CLOCK_THREAD_CPUTIME_ID);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

Sample Median(const std::vector<Sample>& samples) {
  std::vector<double> wall, cpu;
  for (const Sample& s : samples) {
    wall.push_back(s.wallMs);
    cpu.push_back(s.cpuMs);
  }
  return Sample{Median(wall), Median(cpu)};
}

}  // namespace dw::bench
