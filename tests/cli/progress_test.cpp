#include "cli/run/progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dw::cli {
namespace {

using std::chrono::milliseconds;

struct FakeClock {
  std::chrono::steady_clock::time_point now{};
  ProgressLine::Clock Function() {
    return [this] { return now; };
  }
};

// Nothing in the first second, and nothing at all when stderr is no terminal.
TEST(ProgressLine, SilentBeforeOneSecondOrWithoutATerminal) {
  for (const auto& [terminal, elapsed] : {std::pair{true, 999}, {false, 5000}}) {
    std::ostringstream err;
    FakeClock clock;
    ProgressLine line(err, terminal, clock.Function());
    clock.now += milliseconds(elapsed);
    line.Update("[1/2] a.def");
    line.Finish();
    EXPECT_EQ(err.str(), "") << terminal;
  }
}

TEST(ProgressLine, RedrawsInPlaceAndWipesItselfAtTheEnd) {
  std::ostringstream err;
  FakeClock clock;
  ProgressLine line(err, true, clock.Function());
  clock.now += milliseconds(1000);
  line.Update("[1/2] long.def");
  clock.now += milliseconds(50);
  line.Update("skipped: too soon");
  clock.now += milliseconds(100);
  line.Update("[2/2] b");
  line.Finish();
  EXPECT_EQ(err.str(), "\r[1/2] long.def\r[2/2] b       \r       \r");
}

}  // namespace
}  // namespace dw::cli
