#include "pack/frame_encoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace dw::pack {
namespace {

constexpr int kLiteral = -1;
constexpr uint8_t kByteRunLiteral = 0xFF;  // compression 1
constexpr int kSegmentLiteral = 7;         // compressions 2 and 3
constexpr int kByteRunMax = 256;
constexpr int kSegmentRunMax = 32;
constexpr int64_t kU16Reach = 0xFFFF;

// The code a pixel is stored with, or kLiteral. Compression 1 could name up
// to 0xFE as a fill code, but only 0..7 are the shadow and outline codes the
// exporter keeps; compressions 2 and 3 have 0..6, since 7 marks a literal.
class FillCodes {
 public:
  FillCodes(int32_t compression, bool keepSpecial)
      : highest_(keepSpecial ? (compression == 1 ? 7 : 6) : 0) {}
  int Of(uint8_t index) const { return index <= highest_ ? index : kLiteral; }

 private:
  int highest_;
};

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The end of the run starting at x: pixels of one code, at most limit columns.
int32_t RunEnd(const uint8_t* row, int32_t x, int32_t limit, const FillCodes& codes) {
  const int code = codes.Of(row[x]);
  int32_t end = x + 1;
  while (end < limit && codes.Of(row[end]) == code) ++end;
  return end;
}

void ByteRunRow(const uint8_t* row, int32_t width, const FillCodes& codes,
                std::vector<uint8_t>& out) {
  for (int32_t x = 0; x < width;) {
    const int32_t end = RunEnd(row, x, std::min(width, x + kByteRunMax), codes);
    const int code = codes.Of(row[x]);
    out.push_back(code == kLiteral ? kByteRunLiteral : static_cast<uint8_t>(code));
    out.push_back(static_cast<uint8_t>(end - x - 1));
    if (code == kLiteral) out.insert(out.end(), row + x, row + end);
    x = end;
  }
}

// One-byte runs. With segmentStarts, no run crosses a multiple of 32 columns
// that has a table entry, and the byte position of the run at each such
// column is noted, so that a row's later entries point at their segments.
void SegmentRunRow(const uint8_t* row, int32_t width, const FillCodes& codes,
                   std::vector<uint8_t>& out, std::vector<size_t>* segmentStarts) {
  const int32_t segmented = width / kSegmentRunMax * kSegmentRunMax;
  for (int32_t x = 0; x < width;) {
    int32_t limit = std::min(width, x + kSegmentRunMax);
    if (segmentStarts != nullptr) {
      const int32_t next = (x / kSegmentRunMax + 1) * kSegmentRunMax;
      if (next < segmented) limit = std::min(limit, next);
      if (x % kSegmentRunMax == 0) segmentStarts->push_back(out.size());
    }
    const int32_t end = RunEnd(row, x, limit, codes);
    const int code = codes.Of(row[x]);
    const int stored = code == kLiteral ? kSegmentLiteral : code;
    out.push_back(static_cast<uint8_t>((stored << 5) | (end - x - 1)));
    if (code == kLiteral) out.insert(out.end(), row + x, row + end);
    x = end;
  }
}

std::string BeyondReach(int64_t row, int64_t at) {
  return "row " + std::to_string(row) + " starts at byte " + std::to_string(at) +
         " of the frame data, beyond the 65535 a 16-bit row offset reaches";
}

std::optional<std::vector<uint8_t>> ByteRuns(const PixelRect& rect, const FillCodes& codes,
                                             std::string& error) {
  const size_t table = size_t(rect.height) * 4;
  std::vector<uint8_t> out(table);
  for (int32_t r = 0; r < rect.height; ++r) {
    if (out.size() > size_t(std::numeric_limits<int32_t>::max())) {
      error = "the frame data outgrows a 32-bit row offset";
      return std::nullopt;
    }
    Put32(out, size_t(r) * 4, static_cast<uint32_t>(out.size()));
    ByteRunRow(rect.pixels.data() + size_t(r) * rect.width, rect.width, codes, out);
  }
  return out;
}

std::optional<std::vector<uint8_t>> RowRuns(const PixelRect& rect, const FillCodes& codes,
                                            std::string& error) {
  std::vector<uint8_t> out(size_t(rect.height) * 2);
  for (int32_t r = 0; r < rect.height; ++r) {
    if (int64_t(out.size()) > kU16Reach) {
      error = BeyondReach(r, int64_t(out.size()));
      return std::nullopt;
    }
    Put16(out, size_t(r) * 2, static_cast<uint16_t>(out.size()));
    SegmentRunRow(rect.pixels.data() + size_t(r) * rect.width, rect.width, codes, out, nullptr);
  }
  return out;
}

std::optional<std::vector<uint8_t>> SegmentRuns(const PixelRect& rect, const FillCodes& codes,
                                                std::string& error) {
  const int32_t perRow = rect.width / kSegmentRunMax;
  const uint8_t* pixels = rect.pixels.data();
  if (perRow == 0) {
    // No row has an entry of its own: every row is read from the one offset
    // at the data's start, so the rows must all be alike.
    if (rect.height == 0) return std::vector<uint8_t>{};
    for (int32_t r = 1; r < rect.height && rect.width > 0; ++r) {
      if (std::memcmp(pixels, pixels + size_t(r) * rect.width, size_t(rect.width)) != 0) {
        error = "a compression 3 frame narrower than 32 columns stores one row for all its rows, "
                "but row " + std::to_string(r) + " differs from row 0";
        return std::nullopt;
      }
    }
    std::vector<uint8_t> out(2);
    Put16(out, 0, 2);
    SegmentRunRow(pixels, rect.width, codes, out, nullptr);
    return out;
  }
  const size_t entries = size_t(perRow) * size_t(rect.height);
  std::vector<uint8_t> out(entries * 2);
  std::vector<size_t> starts;
  for (int32_t r = 0; r < rect.height; ++r) {
    starts.clear();
    const size_t rowStart = out.size();
    SegmentRunRow(pixels + size_t(r) * rect.width, rect.width, codes, out, &starts);
    for (int32_t k = 0; k < perRow; ++k) {
      const int64_t at = int64_t(starts[size_t(k)]);
      if (at > kU16Reach) {
        error = BeyondReach(r, int64_t(rowStart));
        return std::nullopt;
      }
      Put16(out, (size_t(r) * perRow + k) * 2, static_cast<uint16_t>(at));
    }
  }
  return out;
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodeFrame(const PixelRect& rect, const EncodeOptions& options,
                                                std::string& error) {
  if (rect.width < 0 || rect.height < 0 ||
      rect.pixels.size() != size_t(rect.width) * size_t(rect.height)) {
    error = "the rectangle's pixels do not match its size";
    return std::nullopt;
  }
  const FillCodes codes(options.compression, options.keepSpecial);
  switch (options.compression) {
    case 0:
      return rect.pixels;
    case 1:
      return ByteRuns(rect, codes, error);
    case 2:
      return RowRuns(rect, codes, error);
    case 3:
      return SegmentRuns(rect, codes, error);
    default:
      error = "compression " + std::to_string(options.compression) +
              " is none of 0, 1, 2 and 3";
      return std::nullopt;
  }
}

Trim TrimBackground(const uint8_t* pixels, int32_t width, int32_t height) {
  int32_t left = width, right = -1, top = height, bottom = -1;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels + size_t(y) * size_t(width);
    for (int32_t x = 0; x < width; ++x) {
      if (row[x] == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return Trim{};
  return Trim{left, top, right - left + 1, bottom - top + 1};
}

PixelRect CutRect(const uint8_t* image, int32_t imageWidth, int32_t imageHeight, int32_t left,
                  int32_t top, int32_t width, int32_t height) {
  PixelRect rect;
  rect.width = std::max(width, 0);
  rect.height = std::max(height, 0);
  rect.pixels.assign(size_t(rect.width) * size_t(rect.height), 0);
  const int64_t x0 = std::max(left, 0), y0 = std::max(top, 0);
  for (int64_t y = 0; y < rect.height && y0 + y < imageHeight; ++y) {
    const int64_t columns = std::min<int64_t>(rect.width, int64_t(imageWidth) - x0);
    if (columns <= 0) break;
    std::memcpy(rect.pixels.data() + y * rect.width, image + (y0 + y) * imageWidth + x0,
                size_t(columns));
  }
  return rect;
}

}  // namespace dw::pack
