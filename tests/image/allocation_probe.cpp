#include "tests/image/allocation_probe.h"

#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> gRecording{false};
std::atomic<size_t> gLargest{0};
// Bytes allocated minus bytes freed since the probe started, and their peak.
// Blocks from before the probe that are freed meanwhile count against it, so
// the peak never overstates what was held at once.
std::atomic<int64_t> gLive{0};
std::atomic<int64_t> gPeakLive{0};

void* Allocate(size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  if (gRecording.load(std::memory_order_relaxed)) {
    size_t seen = gLargest.load(std::memory_order_relaxed);
    while (size > seen && !gLargest.compare_exchange_weak(seen, size)) {
    }
    const int64_t live = gLive += int64_t(malloc_usable_size(p));
    int64_t peak = gPeakLive.load(std::memory_order_relaxed);
    while (live > peak && !gPeakLive.compare_exchange_weak(peak, live)) {
    }
  }
  return p;
}

void Release(void* p) {
  if (p != nullptr && gRecording.load(std::memory_order_relaxed))
    gLive -= int64_t(malloc_usable_size(p));
  std::free(p);
}

}  // namespace

void* operator new(size_t size) {
  return Allocate(size);
}
void* operator new[](size_t size) {
  return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, size_t) noexcept {
  Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}

namespace dw::testing {

AllocationProbe::AllocationProbe() {
  gLargest = 0;
  gLive = 0;
  gPeakLive = 0;
  gRecording = true;
}

AllocationProbe::~AllocationProbe() {
  gRecording = false;
}

size_t AllocationProbe::largest() const {
  return gLargest.load();
}

int64_t AllocationProbe::peakHeld() const {
  return gPeakLive.load();
}

}  // namespace dw::testing
