// Fuzz entry: any bytes as one of the game's PCX images, under a small
// limit. An image it gives holds exactly its pixels, within the limit.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/inputs/pcx_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr int64_t kLimit = int64_t{1} << 20;
  const std::vector<uint8_t> bytes(data, data + size);
  std::string error;
  const auto image = dw::cli::ReadPcxImage(bytes, kLimit, error);
  if (!image) {
    if (error.empty()) std::abort();
    return 0;
  }
  const int64_t expected = int64_t{image->width} * image->height * (image->indexed ? 1 : 3);
  if (image->width <= 0 || image->height <= 0 || int64_t(image->pixels.size()) != expected ||
      expected > kLimit)
    std::abort();
  return 0;
}
