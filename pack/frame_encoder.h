// Encoding one frame's stored rectangle into the pixel data that follows its
// 32-byte head, in any of the four compressions the decoder reads. The
// encoder owns nothing: it reads the caller's pixels and returns new bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dw::pack {

// What fill marks a pixel as drawn from its own index (a literal pixel).
inline constexpr uint8_t kLiteralPixel = 0xFF;

// A rectangle of palette indices, top row first, width x height bytes.
struct PixelRect {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

struct EncodeOptions {
  int32_t compression = 1;  // 0, 1, 2 or 3
  // Without a fill layer: indices that name a fill code (0..7 for compression
  // 1, 0..6 for 2 and 3) become fill runs of that code; otherwise only index
  // 0 does.
  bool keepSpecial = false;
};

// The frame data, or nothing with error set: an unknown compression, a fill
// code the compression cannot store (any but 0 in compression 0, 7 and up in
// 2 and 3), a compression 2 or 3 row that lies beyond the reach of a 16-bit row offset, or
// a compression 3 rectangle narrower than 32 columns whose rows differ (such
// a frame has one row start for all of its rows).
std::optional<std::vector<uint8_t>> EncodeFrame(const PixelRect& rect, const EncodeOptions& options,
                                                std::string& error);
// The same with a fill layer: empty, or width x height, the fill code each
// pixel is stored with (its index is then not stored), or kLiteralPixel. A
// fill of code 0 and a literal index 0 look alike in every view, so either
// may store them. keepSpecial is then not looked at.
std::optional<std::vector<uint8_t>> EncodeFrame(const PixelRect& rect,
                                                const std::vector<uint8_t>& fill,
                                                const EncodeOptions& options, std::string& error);
// Each row is the smallest of the encodings that decode alike in every view:
// fill pixels of code 1 and up stay fill runs of their code, other pixels
// but index 0 stay literal, and index 0 goes wherever it is cheapest.

// At least as many bytes as EncodeFrame gives, with the 32-byte head, for a
// rectangle of width x height (each at most 2^31): what an archive's size is
// checked with before anything is encoded. Worst case, runs of one pixel
// alternate between fill and literal: under 3 bytes a pixel, plus the rows'
// table entries.
// Saturates at 2^62.
inline int64_t EncodedSizeBound(int64_t width, int64_t height) {
  constexpr int64_t kMost = int64_t{1} << 62;
  if (width * height > kMost / 4) return kMost;
  return 32 + height * (4 + 2 * (width / 32 + 1)) + 3 * width * height;
}

// The smallest rectangle holding every non-zero index of a full image
// (width x height, top row first). An image of index 0 only gives 0 x 0 at 0, 0.
struct Trim {
  int32_t left = 0, top = 0, width = 0, height = 0;
};
Trim TrimBackground(const uint8_t* pixels, int32_t width, int32_t height);

// The smallest rectangle holding both (an empty one holds nothing).
Trim Union(const Trim& a, const Trim& b);

// A compression 3 rectangle as readers need it in a full frame of fullWidth
// columns: its left edge moved down and its width up to multiples of 32;
// nothing when that passes the frame's right edge. Empty ones stay as given.
std::optional<Trim> AlignToSegments(const Trim& trim, int32_t fullWidth);

// The stored rectangle cut from a full image at the frame head's margins, as
// the decoder places it: a margin below zero counts as zero, and columns or
// rows outside the image are index 0.
PixelRect CutRect(const uint8_t* image, int32_t imageWidth, int32_t imageHeight, int32_t left,
                  int32_t top, int32_t width, int32_t height);

}  // namespace dw::pack
