// A small DEF archive writer for tests, benchmarks and the sample archives.
// It writes exactly what the reader consumes; tests then damage single fields
// of the returned bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/stream.h"

namespace dw {
struct Diagnostics;
}

namespace dw::testing {

// One run of a compressed row: a literal run when literal is not empty (its
// bytes are the pixels), otherwise a fill run of length pixels written with
// code (a background run; the code is what the format stores).
struct Run {
  int code = 0;
  int length = 0;
  std::vector<uint8_t> literal;
};
using RowRuns = std::vector<Run>;

// Runs for one row of palette indices: index 0 becomes fill runs of code 0,
// anything else literal runs.
RowRuns RunsFromPixels(const uint8_t* row, int width);

// Frame data encoders (the bytes behind the 32-byte frame head; compression
// 0 stores the pixels as they are).
// Compression 1: 4-byte row offsets, then code/length pairs; runs longer than
// 256 are split. A fill run stores code as its code byte (0xFF is reserved).
std::vector<uint8_t> EncodeByteRuns(const std::vector<RowRuns>& rows);
// Compression 3: width div 32 two-byte entries per row (each row's entries all
// hold the row's start), then one-byte runs split at 32 pixels. Below 32
// columns one entry stands for every row, so only frames whose rows are all
// alike decode back to their pixels.
std::vector<uint8_t> EncodeSegmentRuns(const std::vector<RowRuns>& rows, int width);
// Compression 3 as real archives store it: runs cut where each segment of 32
// columns starts (the last takes the rest of the row), and each entry
// pointing at its segment's first run.
std::vector<uint8_t> EncodeSegmentedRuns(const std::vector<RowRuns>& rows, int width);
// Compression 2: one two-byte row offset per row, then one-byte runs (the
// segment table of rows of 32 to 63 columns).
std::vector<uint8_t> EncodeRowRuns(const std::vector<RowRuns>& rows);

struct SpriteFrame {
  int32_t compression = 0;
  int32_t fullWidth = 0, fullHeight = 0;
  int32_t width = 0, height = 0;
  int32_t leftMargin = 0, topMargin = 0;
  // The stored rectangle, top row first, width x height palette indices. Used
  // to encode data when data is empty.
  std::vector<uint8_t> pixels;
  // Encoded frame data; when empty it is made from pixels for compression.
  std::vector<uint8_t> data{};
  std::optional<int32_t> dataSize{};  // default: the data's length
};

struct DirectoryEntry {
  std::string name;                                // raw bytes; at most 13 are written, zero-padded
  int frame = 0;                                   // index into ArchiveSpec::frames
  std::optional<int32_t> offset;                   // overrides the frame's real offset
  std::optional<std::array<uint8_t, 13>> rawName;  // written as is when set
};

struct Block {
  int32_t identifier = 0;
  std::array<uint8_t, 8> reserved{};
  std::vector<DirectoryEntry> entries;
  std::optional<int32_t> declaredCount;  // written instead of entries.size()
};

struct ArchiveSpec {
  int32_t archiveType = 0x42;
  int32_t width = 0, height = 0;
  std::array<uint8_t, 768> palette = TestPalette();  // red, green, blue per entry
  std::vector<Block> blocks;
  std::vector<SpriteFrame> frames;
  std::optional<int32_t> blockCount;  // written instead of blocks.size()

  // Entry i is (i, 255 - i, 7 * i mod 256): every colour distinct.
  static std::array<uint8_t, 768> TestPalette();
};

// The archive's bytes: head, palette, directory, then the frames in order.
std::vector<uint8_t> BuildArchive(const ArchiveSpec& plan);
// The file offset each frame of plan gets in BuildArchive's output.
std::vector<int32_t> FrameOffsets(const ArchiveSpec& plan);

// A frame of the given compression from pixels (width x height, top row first).
SpriteFrame MakeFrame(int32_t compression, int32_t fullWidth, int32_t fullHeight, int32_t width,
                      int32_t height, int32_t leftMargin, int32_t topMargin,
                      std::vector<uint8_t> pixels);

// One frame listed under `entries` names (f0.pcx, f1.pcx, ...) in one block.
ArchiveSpec OneHead(SpriteFrame frame, int entries = 1);

// width x height pixels with background (index 0) in a diagonal band, so that
// compressed frames hold both literal and fill runs.
std::vector<uint8_t> PatternPixels(int width, int height, int seed);

// The tests' shared archive: eight frames in two blocks, compressions 0, 1, 2
// and 3, different sizes and margins (frame 2 is taller than frame 1, frame 0
// lower). Directory order is not offset order: the first block lists frames
// 4 to 7, the second frames 0 to 3, and frame i lies i-th in the file, so the
// table holds frame i (named walk0<i+1>.pcx) at index i.
ArchiveSpec EightFrameSpec();

// The BMP image the decoder must give for frame, built straight from its
// pixels: 1078 header bytes then bottom-up rows of stride bytes. Stored row r
// lands on image row max(topMargin, 0) + r, pixel c on column
// max(leftMargin, 0) + c; what falls outside the full image is dropped.
std::vector<uint8_t> ExpectedBmp(const ArchiveSpec& plan, const SpriteFrame& frame);

// The problems found, each as the programs word it.
std::vector<std::string> ProblemTexts(const Diagnostics& found);

// Little helpers for damaging bytes.
void PutInt32(std::vector<uint8_t>& bytes, size_t at, int32_t value);
int32_t GetInt32(const std::vector<uint8_t>& bytes, size_t at);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
// A memory stream holding bytes, positioned at its start.
StreamPtr MemoryStreamOf(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);

// A fresh empty folder under the system's temporary folder; removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace dw::testing
