// Bands of a large image made by one function and used by another, in order.
// With a helper thread the maker runs up to two bands ahead of the user, so
// that decoding the next band overlaps writing this one; the user still sees
// every band in order and never while it is being made.
#pragma once

#include <cstdint>
#include <functional>

namespace dw {

// Calls make(band, buffer) and then use(band, buffer) for band 0 .. count - 1,
// buffer holding bandBytes bytes. With ahead, make runs on a thread of its
// own (when one can be started); make and use must then share nothing but
// the buffer they are given. Returns once every band is used.
void RunBands(int64_t count, int64_t bandBytes, bool ahead,
              const std::function<void(int64_t band, uint8_t* buffer)>& make,
              const std::function<void(int64_t band, const uint8_t* buffer)>& use);

}  // namespace dw
