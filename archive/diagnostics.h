// What went wrong while reading an archive, decoding its frames or writing
// them out, as typed findings. The window program ignores them; the
// command-line converter prints them. Their sentences are made in one place,
// DescribeDiagnostic, so no caller ever reads English text back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dw {

enum class DiagnosticKind : uint8_t {
  // The archive file could not be opened or read (at loading, or at a later
  // decode because it went away).
  CannotOpen,
  // Damage found while loading the directory.
  HeadTruncated,       // the file ends inside the 16-byte head
  PaletteTruncated,    // the file ends inside the palette
  BlocksMissing,       // count: blocks held, value: blocks declared
  BlockHeadTruncated,  // block
  NegativeFrameCount,  // block, value: the count
  FramesMissing,       // block, value: frames declared, count: frames held
  NoFrames,            // the directory lists no frame at all (no blocks, or only empty ones)
  // Damage found while decoding frame `frame`.
  FrameNotInTable,     // the index is outside the table
  FrameHeadOutside,    // value: the head's offset
  NegativeFullSize,    // width, height
  TooLarge,            // width, height: the image would exceed the pixel limit
  NegativeStoredSize,  // width, height
  RectangleOutside,    // the stored rectangle lies partly outside the image
  RowsOutside,         // row: first stored row, count: rows whose start is outside the data
  RowsCutShort,        // row: first stored row, count: rows the data ends inside
  RowsPastWidth,       // row: first stored row, count: rows whose runs pass the stored width
  UnknownCompression,  // value: the compression
  // Not damage: the output or the operation's limits.
  WriteFailed,      // path: the file that could not be created or written in full;
                    // value: the system's error number
  BudgetExhausted,  // value: the limit in bytes; frame: the first frame not done
};

struct Diagnostic {
  DiagnosticKind kind = DiagnosticKind::CannotOpen;
  int32_t frame = -1;  // table index, or -1
  int32_t block = -1;  // directory block, or -1
  int64_t row = -1;
  int64_t count = 0;
  int64_t value = 0;
  int64_t width = 0, height = 0;
  std::string path;
};

// The one way findings are made: kind, about frame (-1: none), with value
// (the number its kind carries); the other fields are set after where a kind
// uses them.
inline Diagnostic MakeDiagnostic(DiagnosticKind kind, int32_t frame = -1, int64_t value = 0) {
  Diagnostic d;
  d.kind = kind;
  d.frame = frame;
  d.value = value;
  return d;
}

// Whether the kind says the archive is damaged (rather than unreadable,
// unwritable or over a limit).
bool IsDamage(DiagnosticKind kind);

struct Diagnostics {
  std::vector<Diagnostic> items;

  void Add(Diagnostic diagnostic) { items.push_back(std::move(diagnostic)); }
  void Append(const Diagnostics& other) {
    items.insert(items.end(), other.items.begin(), other.items.end());
  }
  bool Has(DiagnosticKind kind) const;
  bool cannotOpen() const { return Has(DiagnosticKind::CannotOpen); }
  bool writeFailed() const { return Has(DiagnosticKind::WriteFailed); }
  bool budgetExhausted() const { return Has(DiagnosticKind::BudgetExhausted); }
  bool damaged() const;
  bool ok() const { return items.empty(); }
};

// One sentence, lower case, no final stop, without the frame it concerns:
// "head at 5000 lies outside the file".
std::string DescribeDiagnostic(const Diagnostic& diagnostic);
// The same led by "frame N: " when it concerns a frame.
std::string FormatDiagnostic(const Diagnostic& diagnostic);

}  // namespace dw
