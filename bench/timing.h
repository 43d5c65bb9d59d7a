// Wall-clock timing and the median the table reports.
#pragma once

#include <chrono>
#include <vector>

namespace dw::bench {

// Milliseconds spent in f.
template <typename F>
double TimeMs(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(stop - start).count();
}

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

}  // namespace dw::bench
