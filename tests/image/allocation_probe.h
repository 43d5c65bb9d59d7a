// Records the largest single allocation made through operator new while a
// probe is alive, so that tests can show a loader rejected a header before it
// allocated what the header asked for, and the most memory held at once, so
// that they can show work does not pile up. The test binary replaces the
// global operator new to do this.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dw::testing {

class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  AllocationProbe(const AllocationProbe&) = delete;
  AllocationProbe& operator=(const AllocationProbe&) = delete;
  size_t largest() const;
  // Peak of the bytes allocated minus the bytes freed since the probe began.
  int64_t peakHeld() const;
};

}  // namespace dw::testing
