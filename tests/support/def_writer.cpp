#include "tests/support/def_writer.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "archive/diagnostics.h"
#include "tests/support/bmp_bytes.h"

namespace dw::testing {
namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Appends a row's runs as one-byte runs (compressions 2 and 3).
void AppendOneByteRuns(std::vector<uint8_t>& out, const RowRuns& runs) {
  for (const Run& run : runs) {
    if (!run.literal.empty()) {
      for (size_t at = 0; at < run.literal.size(); at += 32) {
        const size_t n = std::min<size_t>(32, run.literal.size() - at);
        out.push_back(static_cast<uint8_t>(0xE0 | (n - 1)));
        out.insert(out.end(), run.literal.begin() + at, run.literal.begin() + at + n);
      }
    } else {
      for (int left = run.length; left > 0; left -= 32) {
        const int n = std::min(32, left);
        out.push_back(static_cast<uint8_t>(((run.code & 7) << 5) | (n - 1)));
      }
    }
  }
}

}  // namespace

RowRuns RunsFromPixels(const uint8_t* row, int width) {
  RowRuns runs;
  int x = 0;
  while (x < width) {
    int end = x;
    if (row[x] == 0) {
      while (end < width && row[end] == 0) ++end;
      runs.push_back(Run{0, end - x, {}});
    } else {
      while (end < width && row[end] != 0) ++end;
      runs.push_back(Run{0, end - x, std::vector<uint8_t>(row + x, row + end)});
    }
    x = end;
  }
  return runs;
}

std::vector<uint8_t> EncodeByteRuns(const std::vector<RowRuns>& rows) {
  std::vector<uint8_t> body;
  std::vector<int32_t> starts;
  const int32_t tableSize = static_cast<int32_t>(rows.size()) * 4;
  for (const RowRuns& runs : rows) {
    starts.push_back(tableSize + static_cast<int32_t>(body.size()));
    for (const Run& run : runs) {
      if (!run.literal.empty()) {
        for (size_t at = 0; at < run.literal.size(); at += 256) {
          const size_t n = std::min<size_t>(256, run.literal.size() - at);
          body.push_back(0xFF);
          body.push_back(static_cast<uint8_t>(n - 1));
          body.insert(body.end(), run.literal.begin() + at, run.literal.begin() + at + n);
        }
      } else {
        for (int left = run.length; left > 0; left -= 256) {
          const int n = std::min(256, left);
          body.push_back(static_cast<uint8_t>(run.code));
          body.push_back(static_cast<uint8_t>(n - 1));
        }
      }
    }
  }
  std::vector<uint8_t> out;
  for (int32_t s : starts) Put32(out, s);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> EncodeSegmentRuns(const std::vector<RowRuns>& rows, int width) {
  const int perRow = width / 32;
  // Below 32 columns a row has no entries of its own, yet every row is read
  // from the offset at the data's start: one entry is written for them all.
  const int32_t tableSize = perRow == 0 ? 2 : static_cast<int32_t>(rows.size()) * perRow * 2;
  std::vector<uint8_t> body;
  std::vector<uint16_t> starts;
  for (const RowRuns& runs : rows) {
    starts.push_back(static_cast<uint16_t>(tableSize + body.size()));
    AppendOneByteRuns(body, runs);
  }
  std::vector<uint8_t> out;
  if (perRow == 0) Put16(out, static_cast<uint16_t>(tableSize));
  for (uint16_t s : starts)
    for (int k = 0; k < perRow; ++k) Put16(out, s);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> EncodeSegmentedRuns(const std::vector<RowRuns>& rows, int width) {
  const int perRow = width / 32;
  if (perRow == 0) return EncodeSegmentRuns(rows, width);
  const size_t tableSize = rows.size() * size_t(perRow) * 2;
  std::vector<uint8_t> out(tableSize);
  for (size_t r = 0; r < rows.size(); ++r) {
    // The row's runs cut where segments 1 .. perRow - 1 start.
    std::vector<RowRuns> segments(static_cast<size_t>(perRow));
    int x = 0;
    for (const Run& run : rows[r]) {
      for (int done = 0; done < run.length;) {
        const int segment = std::min(x / 32, perRow - 1);
        const int end = segment + 1 < perRow ? (segment + 1) * 32 : width;
        const int n = std::min(run.length - done, end - x);
        Run piece{run.code, n, {}};
        if (!run.literal.empty())
          piece.literal.assign(run.literal.begin() + done, run.literal.begin() + done + n);
        segments[size_t(segment)].push_back(std::move(piece));
        done += n;
        x += n;
      }
    }
    for (int k = 0; k < perRow; ++k) {
      const size_t at = out.size();
      out[(r * size_t(perRow) + size_t(k)) * 2] = static_cast<uint8_t>(at);
      out[(r * size_t(perRow) + size_t(k)) * 2 + 1] = static_cast<uint8_t>(at >> 8);
      AppendOneByteRuns(out, segments[size_t(k)]);
    }
  }
  return out;
}

std::vector<uint8_t> EncodeRowRuns(const std::vector<RowRuns>& rows) {
  return EncodeSegmentRuns(rows, 32);
}

std::array<uint8_t, 768> ArchiveSpec::TestPalette() {
  std::array<uint8_t, 768> p{};
  for (int i = 0; i < 256; ++i) {
    p[3 * i] = static_cast<uint8_t>(i);
    p[3 * i + 1] = static_cast<uint8_t>(255 - i);
    p[3 * i + 2] = static_cast<uint8_t>(7 * i);
  }
  return p;
}

namespace {

std::vector<uint8_t> FrameData(const SpriteFrame& frame) {
  if (!frame.data.empty()) return frame.data;
  std::vector<RowRuns> rows;
  if (frame.compression != 0) {
    for (int32_t y = 0; y < frame.height; ++y)
      rows.push_back(RunsFromPixels(frame.pixels.data() + size_t(y) * frame.width, frame.width));
  }
  switch (frame.compression) {
    case 0:
      return frame.pixels;
    case 1:
      return EncodeByteRuns(rows);
    case 2:
      return EncodeRowRuns(rows);
    case 3:
      return EncodeSegmentRuns(rows, frame.width);
    default:
      return {};
  }
}

int64_t DirectorySize(const ArchiveSpec& plan) {
  int64_t size = 16 + 768;
  for (const Block& b : plan.blocks) size += 16 + 17 * int64_t(b.entries.size());
  return size;
}

}  // namespace

std::vector<int32_t> FrameOffsets(const ArchiveSpec& plan) {
  std::vector<int32_t> offsets;
  int64_t at = DirectorySize(plan);
  for (const SpriteFrame& f : plan.frames) {
    offsets.push_back(static_cast<int32_t>(at));
    at += 32 + FrameData(f).size();
  }
  return offsets;
}

std::vector<uint8_t> BuildArchive(const ArchiveSpec& plan) {
  std::vector<uint8_t> out;
  Put32(out, plan.archiveType);
  Put32(out, plan.width);
  Put32(out, plan.height);
  Put32(out, plan.blockCount.value_or(static_cast<int32_t>(plan.blocks.size())));
  out.insert(out.end(), plan.palette.begin(), plan.palette.end());
  const std::vector<int32_t> offsets = FrameOffsets(plan);
  for (const Block& b : plan.blocks) {
    Put32(out, b.identifier);
    Put32(out, b.declaredCount.value_or(static_cast<int32_t>(b.entries.size())));
    out.insert(out.end(), b.reserved.begin(), b.reserved.end());
    for (const DirectoryEntry& e : b.entries) {
      std::array<uint8_t, 13> field{};
      if (e.rawName) {
        field = *e.rawName;
      } else {
        std::memcpy(field.data(), e.name.data(), std::min<size_t>(13, e.name.size()));
      }
      out.insert(out.end(), field.begin(), field.end());
    }
    for (const DirectoryEntry& e : b.entries) {
      int32_t offset =
          e.offset.value_or(e.frame >= 0 && e.frame < int(offsets.size()) ? offsets[e.frame] : 0);
      Put32(out, offset);
    }
  }
  for (const SpriteFrame& f : plan.frames) {
    const std::vector<uint8_t> data = FrameData(f);
    for (int32_t field : {f.dataSize.value_or(static_cast<int32_t>(data.size())), f.compression,
                          f.fullWidth, f.fullHeight, f.width, f.height, f.leftMargin, f.topMargin})
      Put32(out, field);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

SpriteFrame MakeFrame(int32_t compression, int32_t fullWidth, int32_t fullHeight, int32_t width,
                      int32_t height, int32_t leftMargin, int32_t topMargin,
                      std::vector<uint8_t> pixels) {
  return {.compression = compression, .fullWidth = fullWidth, .fullHeight = fullHeight,
          .width = width, .height = height, .leftMargin = leftMargin, .topMargin = topMargin,
          .pixels = std::move(pixels)};
}

ArchiveSpec OneHead(SpriteFrame frame, int entries) {
  ArchiveSpec plan;
  plan.frames = {std::move(frame)};
  Block b;
  for (int i = 0; i < entries; ++i) b.entries.push_back({"f" + std::to_string(i) + ".pcx", 0, {}, {}});
  plan.blocks = {b};
  return plan;
}

std::vector<uint8_t> PatternPixels(int width, int height, int seed) {
  std::vector<uint8_t> pixels(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool background = (x + y + seed) % 7 < 2;
      pixels[size_t(y) * width + x] =
          background ? 0 : static_cast<uint8_t>(8 + (x * 3 + y * 5 + seed * 11) % 240);
    }
  }
  return pixels;
}

ArchiveSpec EightFrameSpec() {
  ArchiveSpec plan;
  plan.width = 60;
  plan.height = 50;
  const int compressions[8] = {1, 0, 3, 2, 1, 3, 0, 2};
  for (int i = 0; i < 8; ++i) {
    const int width = compressions[i] == 3 ? 40 : 9 + i;
    const int height = 6 + i % 3;
    plan.frames.push_back(MakeFrame(compressions[i], width + 3 + i % 2, height + 2 + i % 3, width,
                                    height, 1 + i % 2, 1 + i % 3, PatternPixels(width, height, i)));
  }
  Block first{7, {1, 2, 3, 4, 5, 6, 7, 8}, {}, {}};
  Block second{9, {}, {}, {}};
  for (int i = 0; i < 8; ++i) {
    DirectoryEntry entry;
    entry.name = "walk0" + std::to_string(i + 1) + ".pcx";
    entry.frame = i;
    (i < 4 ? second : first).entries.push_back(entry);
  }
  plan.blocks = {first, second};
  return plan;
}

std::vector<uint8_t> ExpectedBmp(const ArchiveSpec& plan, const SpriteFrame& frame) {
  std::vector<uint8_t> image(size_t(std::max(frame.fullWidth, 0)) * size_t(std::max(frame.fullHeight, 0)), 0);
  // A margin of zero or less writes no background: the rectangle then starts
  // at the image's edge.
  const int32_t top = std::max(frame.topMargin, 0);
  const int32_t left = std::max(frame.leftMargin, 0);
  for (int32_t y = 0; y < frame.height && top + y < frame.fullHeight; ++y) {
    for (int32_t x = 0; x < frame.width && left + x < frame.fullWidth; ++x)
      image[size_t(top + y) * frame.fullWidth + left + x] = frame.pixels[size_t(y) * frame.width + x];
  }
  return IndexedBmp(frame.fullWidth, frame.fullHeight, image, plan.palette);
}

std::vector<std::string> ProblemTexts(const Diagnostics& found) {
  std::vector<std::string> texts;
  for (const Diagnostic& d : found.items) texts.push_back(FormatDiagnostic(d));
  return texts;
}

void PutInt32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
}

int32_t GetInt32(const std::vector<uint8_t>& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(bytes.at(at + i)) << (8 * i);
  return static_cast<int32_t>(v);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

StreamPtr MemoryStreamOf(const std::vector<uint8_t>& bytes) {
  StreamPtr stream = CreateMemoryStream();
  if (!bytes.empty()) WriteBytes(*stream, bytes.data(), static_cast<int32_t>(bytes.size()));
  SeekTo(*stream, 0);
  return stream;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto candidate =
        base / ("duskweave-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace dw::testing
