#include "pack/frame_encoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace dw::pack {
namespace {

constexpr uint8_t kByteRunLiteral = 0xFF;  // compression 1
constexpr int kSegmentLiteral = 7;         // compressions 2 and 3
constexpr int kByteRunMax = 256;
constexpr int kSegmentRunMax = 32;
constexpr int64_t kU16Reach = 0xFFFF;

// What a pixel is, as a number: 0 for index 0 (a fill of code 0 and a
// literal 0 look alike in every view), the fill code (1..254) for a fill
// pixel, or kLiteralBase + index for a literal pixel of index 1..255.
constexpr int kLiteralBase = 256;
using Kind = int16_t;
bool MustBeLiteral(int kind) { return kind >= kLiteralBase; }

// The kinds of a rectangle's pixels, from its fill layer or, without one,
// from its indices (those up to highestFill are fill codes), or nothing with
// error set for a code the compression cannot store.
std::optional<std::vector<Kind>> KindsOf(const PixelRect& rect, const std::vector<uint8_t>& layer,
                                         int32_t compression, bool keepSpecial,
                                         std::string& error) {
  const int highestFill = compression == 0 ? 0 : compression == 1 ? 0xFE : kSegmentLiteral - 1;
  const int implicitFill = keepSpecial ? std::min(highestFill, 7) : 0;
  std::vector<Kind> kinds(rect.pixels.size());
  for (size_t i = 0; i < kinds.size(); ++i) {
    const uint8_t index = rect.pixels[i];
    const int fill = layer.empty() ? (index <= implicitFill ? index : kLiteralPixel) : layer[i];
    if (fill == kLiteralPixel) {
      kinds[i] = Kind(index == 0 ? 0 : kLiteralBase + index);
    } else if (fill <= highestFill) {
      kinds[i] = Kind(fill);
    } else {
      error = "pixel " + std::to_string(i % size_t(rect.width)) + ", " +
              std::to_string(i / size_t(rect.width)) + " is a fill of code " +
              std::to_string(fill) + ", which compression " + std::to_string(compression) +
              " cannot store";
      return std::nullopt;
    }
  }
  return kinds;
}

uint8_t IndexOf(int kind) { return MustBeLiteral(kind) ? uint8_t(kind - kLiteralBase) : 0; }

struct Run {
  int32_t start = 0, length = 0;
  int fill = -1;  // the fill code, or -1 for literal pixels
};

// Pixels [begin, end) of one run kind (fill < 0 for literal) as runs of
// maxRun pixels with the remainder last: the cheapest, and the runs a greedy
// encoder leaves.
void Chunks(int32_t begin, int32_t end, int fill, int maxRun, std::vector<Run>& runs) {
  for (int32_t start = begin; start < end; start += maxRun) {
    runs.push_back(Run{start, std::min<int32_t>(maxRun, end - start), fill});
  }
}

// The cheapest runs for kinds[begin, end): a run holds at most maxRun pixels
// and costs head bytes, plus one byte a pixel when it is literal. Fill runs
// cost the same at any length and win ties.
class RunPlanner {
 public:
  // No run crosses the edge of a stretch of one fill code of 1 and up, so the
  // row splits there into pieces planned alone. A piece of one kind is cut
  // into whole runs; only one mixing index 0 with literal pixels needs the
  // search.
  void Plan(const Kind* kinds, int32_t begin, int32_t end, int maxRun, int head,
            std::vector<Run>& runs) {
    for (int32_t x = begin; x < end;) {
      const int kind = kinds[x];
      int32_t e = x + 1;
      if (kind != 0 && !MustBeLiteral(kind)) {
        while (e < end && kinds[e] == kind) ++e;
        Chunks(x, e, kind, maxRun, runs);
      } else {
        bool zeros = kind == 0, literals = kind != 0;
        for (; e < end && (kinds[e] == 0 || MustBeLiteral(kinds[e])); ++e) {
          (kinds[e] == 0 ? zeros : literals) = true;
        }
        if (!literals) {
          Chunks(x, e, 0, maxRun, runs);
        } else if (!zeros) {
          Chunks(x, e, -1, maxRun, runs);
        } else {
          Mixed(kinds, x, e, maxRun, head, runs);
        }
      }
      x = e;
    }
  }

 private:
  // Index 0 and literal pixels, both. Zeros that one fill run holds, more of
  // them than the heads a fill run there costs (one, or two between literal
  // pixels, whose run it splits), are that fill run in every cheapest plan:
  // the pieces around them are planned alone.
  void Mixed(const Kind* kinds, int32_t begin, int32_t end, int maxRun, int head,
             std::vector<Run>& runs) {
    int32_t piece = begin;
    for (int32_t x = begin; x < end;) {
      if (kinds[x] != 0) {
        ++x;
        continue;
      }
      int32_t e = x + 1;
      while (e < end && kinds[e] == 0) ++e;
      const int32_t zeros = e - x;
      const bool edge = x == begin || e == end;
      if (zeros <= maxRun && zeros > (edge ? head : 2 * head)) {
        Piece(kinds, piece, x, maxRun, head, runs);
        runs.push_back(Run{x, zeros, 0});
        piece = e;
      }
      x = e;
    }
    Piece(kinds, piece, end, maxRun, head, runs);
  }

  void Piece(const Kind* kinds, int32_t begin, int32_t end, int maxRun, int head,
             std::vector<Run>& runs) {
    if (std::find(kinds + begin, kinds + end, Kind{0}) == kinds + end) {
      Chunks(begin, end, -1, maxRun, runs);
    } else {
      Search(kinds, begin, end, maxRun, head, runs);
    }
  }

  // A piece of index 0 and literal pixels: best[y] is the least cost of its
  // first y pixels. A run ending at y starts within maxRun pixels, as a fill
  // run only inside the zeros that end at y, and each queue keeps the starts
  // that may still be the cheapest, cheapest first; a later start of equal
  // cost wins, so that earlier runs are the longer, as a greedy encoder
  // leaves them.
  void Search(const Kind* kinds, int32_t begin, int32_t end, int maxRun, int head,
              std::vector<Run>& runs) {
    const size_t n = size_t(end - begin);
    if (best_.size() < n + 1) {
      best_.resize(n + 1);
      literalValue_.resize(n + 1);
      from_.resize(n + 1);
      fillQueue_.resize(n + 1);
      literalQueue_.resize(n + 1);
    }
    int64_t* best = best_.data();
    int64_t* literalValue = literalValue_.data();
    int32_t* from = from_.data();  // the start of the run ending there; negated for fill
    int32_t* fills = fillQueue_.data();
    int32_t* literals = literalQueue_.data();
    size_t fillFront = 0, fillBack = 0, literalFront = 0, literalBack = 0;
    const Kind* row = kinds + begin;
    best[0] = 0;
    for (int32_t y = 1; y <= int32_t(n); ++y) {
      const int32_t p = y - 1;
      const int64_t value = best[p];
      if (row[p] == 0) {
        while (fillBack > fillFront && best[fills[fillBack - 1]] >= value) --fillBack;
        fills[fillBack++] = p;
      } else {
        fillFront = fillBack = 0;
      }
      const int64_t literal = value - p;
      literalValue[p] = literal;
      while (literalBack > literalFront && literalValue[literals[literalBack - 1]] >= literal) {
        --literalBack;
      }
      literals[literalBack++] = p;
      const int32_t first = y - maxRun;
      while (fillFront < fillBack && fills[fillFront] < first) ++fillFront;
      while (literals[literalFront] < first) ++literalFront;
      const int32_t literalStart = literals[literalFront];
      int64_t cost = literalValue[literalStart] + head + y;
      from[y] = literalStart;
      if (fillFront < fillBack && best[fills[fillFront]] + head <= cost) {
        cost = best[fills[fillFront]] + head;
        from[y] = -fills[fillFront] - 1;
      }
      best[y] = cost;
    }
    const size_t first = runs.size();
    for (int32_t y = int32_t(n); y > 0;) {
      const bool fill = from[y] < 0;
      const int32_t start = fill ? -from[y] - 1 : from[y];
      runs.push_back(Run{begin + start, y - start, fill ? 0 : -1});
      y = start;
    }
    std::reverse(runs.begin() + std::ptrdiff_t(first), runs.end());
  }

  std::vector<int64_t> best_, literalValue_;
  std::vector<int32_t> from_, fillQueue_, literalQueue_;
};

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutLiterals(const Kind* kinds, const Run& run, std::vector<uint8_t>& out) {
  const size_t at = out.size();
  out.resize(at + size_t(run.length));
  std::transform(kinds + run.start, kinds + run.start + run.length, out.begin() + std::ptrdiff_t(at),
                 [](Kind k) { return IndexOf(k); });
}

void ByteRunRow(const Kind* kinds, int32_t width, RunPlanner& planner, std::vector<Run>& runs,
                std::vector<uint8_t>& out) {
  runs.clear();
  planner.Plan(kinds, 0, width, kByteRunMax, 2, runs);
  for (const Run& run : runs) {
    out.push_back(run.fill < 0 ? kByteRunLiteral : static_cast<uint8_t>(run.fill));
    out.push_back(static_cast<uint8_t>(run.length - 1));
    if (run.fill < 0) PutLiterals(kinds, run, out);
  }
}

// One-byte runs. With segmentStarts, no run crosses a multiple of 32 columns
// that has a table entry, and the byte position of the run at each such
// column is noted, so that a row's later entries point at their segments.
void SegmentRunRow(const Kind* kinds, int32_t width, RunPlanner& planner, std::vector<Run>& runs,
                   std::vector<uint8_t>& out, std::vector<size_t>* segmentStarts) {
  const int32_t segments = segmentStarts != nullptr ? width / kSegmentRunMax : 1;
  for (int32_t k = 0; k < segments; ++k) {
    const int32_t begin = k * kSegmentRunMax;
    const int32_t end = k + 1 < segments ? begin + kSegmentRunMax : width;
    if (segmentStarts != nullptr) segmentStarts->push_back(out.size());
    runs.clear();
    planner.Plan(kinds, begin, end, kSegmentRunMax, 1, runs);
    for (const Run& run : runs) {
      const int stored = run.fill < 0 ? kSegmentLiteral : run.fill;
      out.push_back(static_cast<uint8_t>((stored << 5) | (run.length - 1)));
      if (run.fill < 0) PutLiterals(kinds, run, out);
    }
  }
}

std::string BeyondReach(int64_t row, int64_t at) {
  return "row " + std::to_string(row) + " starts at byte " + std::to_string(at) +
         " of the frame data, beyond the 65535 a 16-bit row offset reaches";
}

// Encoding state shared by a frame's rows.
struct Rows {
  const PixelRect& rect;
  const std::vector<Kind>& kinds;
  RunPlanner planner;
  std::vector<Run> runs;
  const Kind* Row(int32_t r) const { return kinds.data() + size_t(r) * size_t(rect.width); }
};

std::optional<std::vector<uint8_t>> ByteRuns(Rows& rows, std::string& error) {
  const size_t table = size_t(rows.rect.height) * 4;
  std::vector<uint8_t> out(table);
  for (int32_t r = 0; r < rows.rect.height; ++r) {
    if (out.size() > size_t(std::numeric_limits<int32_t>::max())) {
      error = "the frame data outgrows a 32-bit row offset";
      return std::nullopt;
    }
    Put32(out, size_t(r) * 4, static_cast<uint32_t>(out.size()));
    ByteRunRow(rows.Row(r), rows.rect.width, rows.planner, rows.runs, out);
  }
  return out;
}

std::optional<std::vector<uint8_t>> RowRuns(Rows& rows, std::string& error) {
  std::vector<uint8_t> out(size_t(rows.rect.height) * 2);
  for (int32_t r = 0; r < rows.rect.height; ++r) {
    if (int64_t(out.size()) > kU16Reach) {
      error = BeyondReach(r, int64_t(out.size()));
      return std::nullopt;
    }
    Put16(out, size_t(r) * 2, static_cast<uint16_t>(out.size()));
    SegmentRunRow(rows.Row(r), rows.rect.width, rows.planner, rows.runs, out, nullptr);
  }
  return out;
}

std::optional<std::vector<uint8_t>> SegmentRuns(Rows& rows, std::string& error) {
  const PixelRect& rect = rows.rect;
  const int32_t perRow = rect.width / kSegmentRunMax;
  if (perRow == 0) {
    // No row has an entry of its own: every row is read from the one offset
    // at the data's start, so the rows must all be alike.
    if (rect.height == 0) return std::vector<uint8_t>{};
    for (int32_t r = 1; r < rect.height && rect.width > 0; ++r) {
      if (!std::equal(rows.Row(0), rows.Row(0) + rect.width, rows.Row(r))) {
        error = "a compression 3 frame narrower than 32 columns stores one row for all its rows, "
                "but row " + std::to_string(r) + " differs from row 0";
        return std::nullopt;
      }
    }
    std::vector<uint8_t> out(2);
    Put16(out, 0, 2);
    SegmentRunRow(rows.Row(0), rect.width, rows.planner, rows.runs, out, nullptr);
    return out;
  }
  const size_t entries = size_t(perRow) * size_t(rect.height);
  std::vector<uint8_t> out(entries * 2);
  std::vector<size_t> starts;
  for (int32_t r = 0; r < rect.height; ++r) {
    starts.clear();
    const size_t rowStart = out.size();
    SegmentRunRow(rows.Row(r), rect.width, rows.planner, rows.runs, out, &starts);
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
  return EncodeFrame(rect, {}, options, error);
}

std::optional<std::vector<uint8_t>> EncodeFrame(const PixelRect& rect,
                                                const std::vector<uint8_t>& fill,
                                                const EncodeOptions& options, std::string& error) {
  if (rect.width < 0 || rect.height < 0 ||
      rect.pixels.size() != size_t(rect.width) * size_t(rect.height) ||
      (!fill.empty() && fill.size() != rect.pixels.size())) {
    error = "the rectangle's pixels do not match its size";
    return std::nullopt;
  }
  if (options.compression < 0 || options.compression > 3) {
    error = "compression " + std::to_string(options.compression) + " is none of 0, 1, 2 and 3";
    return std::nullopt;
  }
  const std::optional<std::vector<Kind>> kinds =
      KindsOf(rect, fill, options.compression, options.keepSpecial, error);
  if (!kinds) return std::nullopt;
  Rows rows{rect, *kinds, {}, {}};
  switch (options.compression) {
    case 0: {
      std::vector<uint8_t> out(kinds->size());
      std::transform(kinds->begin(), kinds->end(), out.begin(), [](Kind k) { return IndexOf(k); });
      return out;
    }
    case 1:
      return ByteRuns(rows, error);
    case 2:
      return RowRuns(rows, error);
    default:
      return SegmentRuns(rows, error);
  }
}

Trim TrimBackground(const uint8_t* pixels, int32_t width, int32_t height) {
  int32_t left = width, right = -1, top = height, bottom = -1;
  for (int32_t y = 0; y < height; ++y) {
    // Only the first and last pixel of index 1 or more in a row matter.
    const uint8_t* row = pixels + size_t(y) * size_t(width);
    int32_t first = 0;
    for (uint64_t word = 0; first + 8 <= width; first += 8) {
      std::memcpy(&word, row + first, 8);
      if (word != 0) break;
    }
    while (first < width && row[first] == 0) ++first;
    if (first == width) continue;
    int32_t last = width - 1;
    for (uint64_t word = 0; last - 8 >= first; last -= 8) {
      std::memcpy(&word, row + last - 7, 8);
      if (word != 0) break;
    }
    while (row[last] == 0) --last;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  if (right < 0) return Trim{};
  return Trim{left, top, right - left + 1, bottom - top + 1};
}

Trim Union(const Trim& a, const Trim& b) {
  if (a.width <= 0 || a.height <= 0) return b;
  if (b.width <= 0 || b.height <= 0) return a;
  const int32_t left = std::min(a.left, b.left), top = std::min(a.top, b.top);
  const int64_t right = std::max(int64_t{a.left} + a.width, int64_t{b.left} + b.width);
  const int64_t bottom = std::max(int64_t{a.top} + a.height, int64_t{b.top} + b.height);
  return Trim{left, top, int32_t(right - left), int32_t(bottom - top)};
}

std::optional<Trim> AlignToSegments(const Trim& trim, int32_t fullWidth) {
  if (trim.width <= 0 || trim.height <= 0) return trim;
  Trim aligned = trim;
  aligned.left = trim.left / kSegmentRunMax * kSegmentRunMax;
  const int64_t right = int64_t{trim.left} + trim.width;
  const int64_t width = (right - aligned.left + kSegmentRunMax - 1) / kSegmentRunMax * kSegmentRunMax;
  if (aligned.left + width > fullWidth) return std::nullopt;
  aligned.width = int32_t(width);
  return aligned;
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
