#include "archive/band_pipeline.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace dw {

void RunBands(int64_t count, int64_t bandBytes, bool ahead,
              const std::function<void(int64_t band, uint8_t* buffer)>& make,
              const std::function<void(int64_t band, const uint8_t* buffer)>& use) {
  constexpr int64_t kBuffers = 3;  // one in use, up to two made ahead
  const auto oneByOne = [&] {
    std::vector<uint8_t> buffer(static_cast<size_t>(bandBytes));
    for (int64_t band = 0; band < count; ++band) {
      make(band, buffer.data());
      use(band, buffer.data());
    }
  };
  if (!ahead || count < 2) return oneByOne();
  std::array<std::vector<uint8_t>, kBuffers> buffers;
  for (auto& b : buffers) b.resize(size_t(bandBytes));
  std::mutex mutex;
  std::condition_variable changed;
  int64_t made = 0, used = 0;  // bands finished by each side
  const auto maker = [&] {
    for (int64_t band = 0; band < count; ++band) {
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return band - used < kBuffers; });
      }
      make(band, buffers[size_t(band % kBuffers)].data());
      std::lock_guard lock(mutex);
      made = band + 1;
      changed.notify_all();
    }
  };
  std::thread helper;
  try {
    helper = std::thread(maker);
  } catch (const std::system_error&) {
    return oneByOne();  // no thread to be had
  }
  for (int64_t band = 0; band < count; ++band) {
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return made > band; });
    }
    use(band, buffers[size_t(band % kBuffers)].data());
    std::lock_guard lock(mutex);
    used = band + 1;
    changed.notify_all();
  }
  if (helper.joinable()) helper.join();
}

}  // namespace dw
