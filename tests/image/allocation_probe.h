// Records the largest single allocation made through operator new while a
// probe is alive, so that tests can show a loader rejected a header before it
// allocated what the header asked for. The test binary replaces the global
// operator new to do this.
#pragma once

#include <cstddef>

namespace dw::testing {

class AllocationProbe {
 public:
  AllocationProbe();
  ~AllocationProbe();
  AllocationProbe(const AllocationProbe&) = delete;
  AllocationProbe& operator=(const AllocationProbe&) = delete;
  size_t largest() const;
};

}  // namespace dw::testing
