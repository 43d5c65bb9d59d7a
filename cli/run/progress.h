// The progress line of long batches: written to a terminal only, updated in
// place with "\r", and shown only once a batch has run for a second, so that
// quick runs print nothing. Finish() wipes the line again.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace dw::cli {

class ProgressLine {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  ProgressLine(std::ostream& err, bool enabled, Clock clock = &std::chrono::steady_clock::now);
  ~ProgressLine() { Finish(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Update(const std::string& text);
  // Clears the line, so that a message that follows starts on a clean line.
  void Finish();

 private:
  std::ostream& err_;
  bool enabled_;
  Clock clock_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
  bool drawn_ = false;
  size_t shownWidth_ = 0;
};

}  // namespace dw::cli
