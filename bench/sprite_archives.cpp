#include "bench/sprite_archives.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <utility>
#include <vector>

#include "archive/byte_cursor.h"
#include "archive/decode_options.h"
#include "archive/pixel_rows.h"
#include "pack/def_builder.h"
#include "pack/frame_encoder.h"

namespace dw::bench {
namespace {

using pack::ArchivePlan;
using pack::BlockPlan;
using pack::DirectoryEntry;
using pack::StoredFrame;

constexpr uint8_t kBackground = 0;
constexpr uint8_t kShadow = 1;  // stored as a fill run with code 1, as shadows are
constexpr uint8_t kOutline = 12;

struct ShapeParams {
  const char* label;
  const char* namePrefix;
  int entries;   // directory entries
  int distinct;  // frames stored; entries beyond it share earlier frames' offsets
  int32_t fullWidth, fullHeight;
  int32_t width, height;              // stored rectangle before the per-frame jitter
  int jitter;                         // the stored rectangle varies by up to this many pixels
  std::vector<int32_t> compressions;  // cycled over the stored frames
  int blocks;
  bool scramble;  // list the frames in an order unlike their order in the file
  bool solid;     // tiles: coloured everywhere, no background
  int names = 0;  // distinct names, given in turn (0: every entry its own)
};

ShapeParams ParamsFor(Shape shape) {
  switch (shape) {
    case Shape::Creature:
      return {"creature", "cr", 150, 100, 450, 400, 200, 250, 12, {1}, 10, false, false};
    case Shape::MapObject:
      return {"mapobject", "mo", 500, 500, 96, 64, 84, 58, 4, {3}, 4, false, false};
    case Shape::Terrain:
      return {"terrain", "tt", 300, 300, 32, 32, 32, 32, 0, {0}, 1, false, true};
    case Shape::Synthetic:
      return {"synthetic", "sy", 10000, 10000, 32, 32, 30, 30, 2, {0, 1, 2}, 20, true, false};
    case Shape::Compose64:
      return {"compose64", "cp", 2000, 2000, 64, 64, 56, 60, 4, {1, 3}, 8, false, false};
  }
  return {};
}

bool InEllipse(int x, int y, int cx, int cy, int rx, int ry, double limit = 1.0) {
  if (rx <= 0 || ry <= 0) return false;
  const double dx = double(x - cx) / rx;
  const double dy = double(y - cy) / ry;
  return dx * dx + dy * dy <= limit;
}

// A walking figure: shadow at the feet, two legs swinging with the frame
// number, a body and a head with an outline. Colour indices change every few
// pixels, like shading does.
std::vector<uint8_t> SpritePixels(int32_t w, int32_t h, int frame, bool solid) {
  std::vector<uint8_t> px(size_t(w) * size_t(h), kBackground);
  const int phase = frame % 8;
  const int swing = (phase < 4 ? phase : 8 - phase) * w / 40;
  const int cx = w / 2;
  const int bodyY = h * 45 / 100, bodyRx = w * 30 / 100, bodyRy = h * 24 / 100;
  const int headY = h * 16 / 100, headR = w * 14 / 100;
  const int legTop = bodyY + bodyRy / 2, legBottom = h * 93 / 100, legW = w / 10 + 1;
  const int legLeft = cx - w / 6 - swing, legRight = cx + w / 6 - legW + swing;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t v = solid ? uint8_t(176 + (x / 4 + (y / 4) * 3 + frame) % 12) : kBackground;
      if (!solid && InEllipse(x, y, cx, h * 93 / 100, w * 42 / 100, h * 6 / 100)) v = kShadow;
      const bool leg =
          y >= legTop && y < legBottom &&
          ((x >= legLeft && x < legLeft + legW) || (x >= legRight && x < legRight + legW));
      if (leg) v = uint8_t(96 + (y / 5) % 6);
      if (InEllipse(x, y, cx, bodyY, bodyRx, bodyRy)) {
        v = InEllipse(x, y, cx, bodyY, bodyRx, bodyRy, 0.82)
                ? uint8_t(64 + (x / 5 + y / 7 + frame) % 16)
                : kOutline;
      }
      if (InEllipse(x, y, cx, headY, headR, headR)) {
        v = InEllipse(x, y, cx, headY, headR, headR, 0.75) ? uint8_t(140 + (x / 3 + y / 4) % 6)
                                                           : kOutline;
      }
      px[size_t(y) * size_t(w) + size_t(x)] = v;
    }
  }
  return px;
}

// Archives are built by the packer's own encoder: indices 0 to 7 (background,
// shadow) become fill runs of their codes, as in the game's files.
// As the game's own archives store a frame: each row (in compression 3 each
// 32-column segment, the row's table giving every segment's start) cut
// greedily into maximal fill runs of one code and literal runs of the rest,
// each as long as the format allows. What pack is measured against: its
// encoder chooses the smallest of the encodings that decode alike.
std::optional<std::vector<uint8_t>> EncodeAsStored(int32_t width, int32_t height,
                                                   const std::vector<uint8_t>& pixels,
                                                   int32_t compression) {
  if (compression < 1 || compression > 3 || (compression == 3 && width < 32)) return std::nullopt;
  const bool bytes = compression == 1;
  const int fillBelow = bytes ? 8 : 7, longest = bytes ? 256 : 32;
  const int64_t perRow = compression == 3 ? width / 32 : 1;
  const int64_t entry = bytes ? 4 : 2;
  std::vector<uint8_t> out(size_t(height * perRow * entry), 0);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels.data() + size_t(y) * size_t(width);
    for (int64_t k = 0; k < perRow; ++k) {
      const size_t at = size_t((y * perRow + k) * entry);
      const uint64_t offset = out.size();
      for (int64_t b = 0; b < entry; ++b) out[at + size_t(b)] = uint8_t(offset >> (8 * b));
      const int64_t end = compression == 3 && k + 1 < perRow ? 32 * (k + 1) : width;
      for (int64_t x = compression == 3 ? 32 * k : 0; x < end;) {
        const bool fill = row[x] < fillBelow;
        int64_t n = 1;
        while (x + n < end && n < longest &&
               (fill ? row[x + n] == row[x] : row[x + n] >= fillBelow))
          ++n;
        const int code = fill ? row[x] : bytes ? 0xFF : 7;
        if (bytes) {
          out.push_back(uint8_t(code));
          out.push_back(uint8_t(n - 1));
        } else {
          out.push_back(uint8_t(code << 5 | (n - 1)));
        }
        if (!fill) out.insert(out.end(), row + x, row + x + n);
        x += n;
      }
    }
  }
  if (compression != 1 && out.size() > 0xFFFF) return std::nullopt;  // beyond a 16-bit offset
  return out;
}

// Whether data decodes (fill codes kept) to pixels, top row first.
bool DecodesTo(const std::vector<uint8_t>& data, int32_t width, int32_t height,
               const std::vector<uint8_t>& pixels, int32_t compression) {
  dw::FramePlacement place;
  place.width = place.visibleColumns = place.stride = width;
  place.visibleRows = place.fullHeight = height;
  std::vector<uint8_t> rows(pixels.size(), 0);
  dw::ByteCursor in(data.data(), int64_t(data.size()));
  const dw::RowTrouble trouble = dw::DecodePixels(in, 0, compression, place, dw::DecodeOptions{true},
                                                  dw::RowBand{0, height}, rows.data());
  if (trouble.outside + trouble.cutShort + trouble.pastWidth != 0) return false;
  for (int32_t y = 0; y < height; ++y)  // decoded rows lie bottom-up
    if (!std::equal(rows.begin() + int64_t(height - 1 - y) * width,
                    rows.begin() + int64_t(height - y) * width,
                    pixels.begin() + int64_t(y) * width))
      return false;
  return true;
}

std::vector<uint8_t> Encode(int32_t width, int32_t height, std::vector<uint8_t> pixels,
                            int32_t compression) {
  if (std::optional<std::vector<uint8_t>> stored =
          EncodeAsStored(width, height, pixels, compression)) {
    if (!DecodesTo(*stored, width, height, pixels, compression)) {
      std::cerr << "bench: a frame stored as the game stores it does not decode back\n";
      std::exit(2);
    }
    return std::move(*stored);
  }
  std::string error;
  std::optional<std::vector<uint8_t>> data = pack::EncodeFrame(
      pack::PixelRect{width, height, std::move(pixels)}, pack::EncodeOptions{compression, true},
      error);
  if (!data) {
    std::cerr << "bench: cannot encode a frame: " << error << '\n';
    std::exit(2);
  }
  return std::move(*data);
}

// The archive plan with the palette every benchmark archive has: entry i is
// (i, 255 - i, 7 * i mod 256), every colour distinct.
ArchivePlan PlanOf(int32_t width, int32_t height) {
  ArchivePlan plan;
  plan.archiveType = 0x42;
  plan.width = width;
  plan.height = height;
  for (int i = 0; i < 256; ++i) {
    plan.palette[size_t(3 * i)] = uint8_t(i);
    plan.palette[size_t(3 * i + 1)] = uint8_t(255 - i);
    plan.palette[size_t(3 * i + 2)] = uint8_t(7 * i);
  }
  return plan;
}

int64_t WritePlan(const ArchivePlan& plan, const std::string& path) {
  std::string error;
  const std::optional<std::vector<uint8_t>> bytes = pack::BuildDef(plan, error);
  if (!bytes) {
    std::cerr << "bench: cannot build " << path << ": " << error << '\n';
    std::exit(2);
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes->data()), std::streamsize(bytes->size()));
  return int64_t(bytes->size());
}

pack::FrameName NameOf(const std::string& name) {
  return *pack::NameField(name);
}

StoredFrame MakeSpriteFrame(const ShapeParams& p, int index) {
  StoredFrame f;
  FrameHeader& h = f.head;
  h.compression = p.compressions[size_t(index) % p.compressions.size()];
  h.fullWidth = p.fullWidth;
  h.fullHeight = p.fullHeight;
  const int span = 2 * p.jitter + 1;
  h.width = p.width - (p.jitter ? (index * 7) % span : 0);
  h.height = p.height - (p.jitter ? (index * 5) % span : 0);
  // Well-formed: the stored rectangle always lies inside the full image.
  const int32_t spareColumns = p.fullWidth - h.width;
  h.leftMargin =
      std::clamp(spareColumns / 2 - (p.jitter ? index % (p.jitter + 1) : 0), 0, spareColumns);
  h.topMargin = (p.fullHeight - h.height) / 2;
  f.data = Encode(h.width, h.height, SpritePixels(h.width, h.height, index, p.solid),
                  h.compression);
  return f;
}

std::string FrameName(const ShapeParams& p, int entry) {
  char name[16];
  std::snprintf(name, sizeof name, "%s%05d.pcx", p.namePrefix, p.names > 0 ? entry % p.names : entry);
  return name;
}

std::string Describe(const ShapeParams& p) {
  char text[200];
  const char* codes = p.compressions.size() == 1 ? "" : "s";
  std::string list;
  for (size_t i = 0; i < p.compressions.size(); ++i) {
    if (i) list += '/';
    list += std::to_string(p.compressions[i]);
  }
  std::snprintf(text, sizeof text, "%d frames of %dx%d, stored ~%dx%d, compression%s %s", p.entries,
                p.fullWidth, p.fullHeight, p.width, p.height, codes, list.c_str());
  std::string out = text;
  if (p.distinct < p.entries) out += ", " + std::to_string(p.distinct) + " stored (shared offsets)";
  if (p.scramble) out += ", listed out of file order";
  if (p.names > 0)
    out += ", " + std::to_string(p.entries - p.names) + " named as an earlier, other frame";
  return out;
}

}  // namespace

namespace {

BenchArchive WriteArchiveOf(const ShapeParams& p, const std::string& folder);

}  // namespace

BenchArchive WriteArchive(Shape shape, const std::string& folder) {
  return WriteArchiveOf(ParamsFor(shape), folder);
}

BenchArchive WriteSyntheticArchive(int32_t frames, const std::string& label,
                                   const std::string& folder) {
  ShapeParams p = ParamsFor(Shape::Synthetic);
  p.label = label.c_str();
  p.entries = frames;
  p.distinct = frames;
  p.blocks = std::max(1, frames / 500);
  return WriteArchiveOf(p, folder);
}

BenchArchive WriteClashingArchive(const std::string& folder) {
  ShapeParams p = ParamsFor(Shape::MapObject);
  p.label = "clashes";
  p.names = 315;
  return WriteArchiveOf(p, folder);
}

BenchArchive WriteSingleFrameArchive(int32_t side, const std::string& label,
                                     const std::string& folder) {
  ArchivePlan plan = PlanOf(side, side);
  StoredFrame f;
  f.head.compression = 1;
  f.head.fullWidth = f.head.fullHeight = f.head.width = f.head.height = side;
  // Each row: background, a 64-pixel band of colour that wanders, background.
  std::vector<uint8_t> pixels(size_t(side) * size_t(side), kBackground);
  constexpr int kBand = 64;
  for (int32_t y = 0; y < side; ++y) {
    const int left = (side - kBand) / 2 + int(y % 97) - 48;
    for (int x = 0; x < kBand; ++x)
      pixels[size_t(y) * size_t(side) + size_t(left + x)] = uint8_t(64 + (x / 5 + y / 7) % 16);
  }
  f.data = Encode(side, side, std::move(pixels), 1);
  plan.frames.push_back(std::move(f));
  BlockPlan block;
  block.entries.push_back(DirectoryEntry{NameOf("big.pcx"), 0});
  plan.blocks.push_back(std::move(block));
  BenchArchive out;
  out.label = label;
  out.description = "1 frame of " + std::to_string(side) + "x" + std::to_string(side) +
                    ", compression 1";
  out.path = folder + "/" + label + ".def";
  out.fileSize = WritePlan(plan, out.path);
  out.entries = 1;
  return out;
}

namespace {

BenchArchive WriteArchiveOf(const ShapeParams& p, const std::string& folder) {
  ArchivePlan plan = PlanOf(p.fullWidth, p.fullHeight);
  for (int i = 0; i < p.distinct; ++i) plan.frames.push_back(MakeSpriteFrame(p, i));

  const int perBlock = (p.entries + p.blocks - 1) / p.blocks;
  for (int e = 0; e < p.entries; ++e) {
    if (e % perBlock == 0) {
      plan.blocks.push_back(BlockPlan{});
      plan.blocks.back().identifier = int32_t(plan.blocks.size() - 1);
    }
    // 7919 is prime and shares no factor with the entry counts used here, so
    // the scrambled order is still a permutation.
    const int frame = p.scramble ? int((int64_t(e) * 7919) % p.entries) : e % p.distinct;
    plan.blocks.back().entries.push_back(DirectoryEntry{NameOf(FrameName(p, e)), size_t(frame)});
  }

  BenchArchive out;
  out.label = p.label;
  out.description = Describe(p);
  out.path = folder + "/" + p.label + ".def";
  out.fileSize = WritePlan(plan, out.path);
  out.entries = p.entries;
  return out;
}

}  // namespace
}  // namespace dw::bench
