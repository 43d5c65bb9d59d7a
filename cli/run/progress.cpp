#include "cli/run/progress.h"

namespace dw::cli {
namespace {

constexpr auto kQuietPeriod = std::chrono::seconds(1);
// Redrawing more often only costs terminal time.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

size_t DisplayWidth(const std::string& text) {
  size_t width = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++width;
  }
  return width;
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& err, bool enabled, Clock clock)
    : err_(err), enabled_(enabled), clock_(std::move(clock)), start_(clock_()) {}

void ProgressLine::Update(const std::string& text) {
  if (!enabled_) return;
  const auto now = clock_();
  if (now - start_ < kQuietPeriod) return;
  if (drawn_ && now - lastDrawn_ < kRedrawInterval) return;
  const size_t width = DisplayWidth(text);
  err_ << '\r' << text;
  if (width < shownWidth_) err_ << std::string(shownWidth_ - width, ' ');
  err_.flush();
  shownWidth_ = width;
  lastDrawn_ = now;
  drawn_ = true;
}

void ProgressLine::Finish() {
  if (!drawn_) return;
  err_ << '\r' << std::string(shownWidth_, ' ') << '\r';
  err_.flush();
  drawn_ = false;
  shownWidth_ = 0;
}

}  // namespace dw::cli
