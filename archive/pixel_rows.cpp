#include "archive/pixel_rows.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "archive/def_format.h"

namespace dw {
namespace {

class RowWriter {
 public:
  RowWriter(const FramePlacement& p, const RowBand& band, uint8_t* pixels)
      : p_(p), band_(band), pixels_(pixels) {}
  // Stored row r, from the rectangle's first visible column on; it must lie
  // in the band.
  uint8_t* Row(int64_t r) const {
    return pixels_ + (band_.rows - 1 - (p_.top + r - band_.first)) * p_.stride + p_.left;
  }

 private:
  const FramePlacement& p_;
  const RowBand& band_;
  uint8_t* pixels_;
};

enum class RowEnd { Complete, CutShort, PastWidth };

// Compression 0: rows follow one another, width bytes each, with no table.
RowEnd RawRow(ByteCursor& in, int64_t dataStart, int64_t r, const FramePlacement& p, uint8_t* out) {
  if (!in.SeekTo(dataStart + r * p.width)) return RowEnd::CutShort;
  return in.ReadInto(out, p.visibleColumns) == p.visibleColumns ? RowEnd::Complete
                                                                : RowEnd::CutShort;
}

// One run: a literal copies its bytes, anything else fills with index 0 (or
// with its code when fill codes are kept). Columns past the visible ones are
// dropped; their bytes in the archive are never looked at.
struct RunHead {
  bool literal = false;
  int length = 0;  // pixels, 1..256
  uint8_t fill = 0;
};

// A row whose runs read add up to more than the stored width keeps the
// pixels inside it and says so: the file does not define the rest.
template <typename ReadHead>
RowEnd RunRow(ByteCursor& in, int64_t visible, int64_t width, uint8_t* out, ReadHead readHead) {
  int64_t count = 0;
  while (count < visible) {
    const std::optional<RunHead> run = readHead(in);
    if (!run) return RowEnd::CutShort;
    const int64_t take = std::min<int64_t>(run->length, visible - count);
    if (run->literal) {
      if (in.ReadInto(out + count, take) < take) return RowEnd::CutShort;
    } else if (run->fill != 0) {
      std::memset(out + count, run->fill, size_t(take));
    }
    count += run->length;
  }
  return count > width ? RowEnd::PastWidth : RowEnd::Complete;
}

auto ByteRunHead(bool keepSpecial) {
  return [keepSpecial](ByteCursor& in) -> std::optional<RunHead> {
    const auto code = in.ReadU8();
    const auto length = in.ReadU8();
    if (!code || !length) return std::nullopt;
    const bool literal = *code == kLiteralByteRunCode;
    return RunHead{literal, *length + 1, uint8_t(keepSpecial && !literal ? *code : 0)};
  };
}

auto SegmentRunHead(bool keepSpecial) {
  return [keepSpecial](ByteCursor& in) -> std::optional<RunHead> {
    const auto byte = in.ReadU8();
    if (!byte) return std::nullopt;
    const CodeByte split = SplitCodeByte(*byte);
    const bool literal = split.code == kLiteralSegmentRunCode;
    return RunHead{literal, split.length + 1, uint8_t(keepSpecial && !literal ? split.code : 0)};
  };
}

// Where a compressed row's table entry stands, and how it is read.
struct RowTable {
  int64_t entryStride = 0;  // bytes from one row's first entry to the next
  int entrySize = 0;        // 2 or 4
};

RowTable TableOf(int32_t compression, int64_t width) {
  switch (compression) {
    case 1:
      return {4, 4};
    case 2:
      return {2, 2};
    default:
      return {2 * (width / 32), 2};  // only the first of a row's entries is used
  }
}

void Note(RowEnd end, int64_t r, RowTrouble& trouble) {
  if (end == RowEnd::CutShort && trouble.cutShort++ == 0) trouble.firstCutShort = r;
  if (end == RowEnd::PastWidth && trouble.pastWidth++ == 0) trouble.firstPastWidth = r;
}

void NoteOutside(int64_t r, int64_t rows, RowTrouble& trouble) {
  if (trouble.outside == 0) trouble.firstOutside = r;
  trouble.outside += rows;
}

void First(int64_t& into, int64_t row) {
  if (row >= 0 && (into < 0 || row < into)) into = row;
}

}  // namespace

void MergeRowTrouble(RowTrouble& into, const RowTrouble& band) {
  into.outside += band.outside;
  into.cutShort += band.cutShort;
  into.pastWidth += band.pastWidth;
  First(into.firstOutside, band.firstOutside);
  First(into.firstCutShort, band.firstCutShort);
  First(into.firstPastWidth, band.firstPastWidth);
}

RowTrouble DecodePixels(ByteCursor& in, int64_t dataStart, int32_t compression,
                        const FramePlacement& p, const DecodeOptions& options,
                        const RowBand& band, uint8_t* pixels) {
  RowTrouble trouble;
  const RowWriter rows(p, band, pixels);
  if (p.visibleColumns <= 0) return trouble;
  // The stored rows that land in the band.
  const int64_t begin = std::clamp<int64_t>(band.first - p.top, 0, p.visibleRows);
  const int64_t end = std::clamp<int64_t>(band.first + band.rows - p.top, 0, p.visibleRows);

  if (compression == 0) {
    for (int64_t r = begin; r < end; ++r)
      Note(RawRow(in, dataStart, r, p, rows.Row(r)), r, trouble);
    return trouble;
  }

  const RowTable table = TableOf(compression, p.width);
  for (int64_t r = begin; r < end; ++r) {
    // Entries stand at non-decreasing positions: once one is missing, so are
    // all that follow.
    std::optional<int64_t> entry;
    if (in.SeekTo(dataStart + r * table.entryStride)) {
      if (table.entrySize == 4) {
        if (auto v = in.ReadI32()) entry = *v;
      } else if (auto v = in.ReadU16()) {
        entry = *v;
      }
    }
    if (!entry) {
      NoteOutside(r, end - r, trouble);
      break;
    }
    const int64_t start = dataStart + *entry;
    if (start >= in.size() || !in.SeekTo(start)) {
      NoteOutside(r, 1, trouble);
      continue;
    }
    const RowEnd end =
        compression == 1
            ? RunRow(in, p.visibleColumns, p.width, rows.Row(r), ByteRunHead(options.keepSpecial))
            : RunRow(in, p.visibleColumns, p.width, rows.Row(r),
                     SegmentRunHead(options.keepSpecial));
    Note(end, r, trouble);
  }
  return trouble;
}

}  // namespace dw
