// The game's PCX images, as LOD containers hold them: a u32 size, a u32
// width and a u32 height, then either width x height palette indices
// followed by a 768-byte palette (red, green, blue per entry) when size is
// width x height, or width x height x 3 bytes of blue, green, red when size
// is three times that. Anything else is damaged. Rows are stored top first.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dw::cli {

struct PcxImage {
  int32_t width = 0;
  int32_t height = 0;
  bool indexed = true;                // palette indices, else red, green, blue
  std::vector<uint8_t> pixels;        // top row first: 1 or 3 bytes a pixel
  std::array<uint8_t, 768> palette{}; // red, green, blue per entry (indexed only)
};

// Whether the bytes are such an image: the size field matches one of the two
// layouts and the bytes hold it. Reads only through a bounded cursor; the
// pixels are allocated only after the check, and only when they fit in
// maxBytes. error says why not.
std::optional<PcxImage> ReadPcxImage(const std::vector<uint8_t>& bytes, int64_t maxBytes,
                                     std::string& error);

}  // namespace dw::cli
