// Pieces the pack tests share: archives shaped like the real kinds (built by
// the test writer), a 24- and 32-bit BMP writer, and a JSON file writer.
#pragma once

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/cli/cli_test_support.h"
#include "tests/support/bmp_bytes.h"

namespace dw::testing {

inline void WriteJsonFile(const std::string& path, const nlohmann::json& json) {
  std::ofstream out(path);
  out << json.dump(2);
}

// A 24- or 32-bit bottom-up BMP of red, green, blue, alpha pixels; with
// fields, a 124-byte header whose masks put alpha in the lowest byte.
inline std::vector<uint8_t> BmpRgb(int32_t width, int32_t height, int bits,
                                   const std::vector<uint8_t>& rgba, bool fields = false) {
  const int32_t info = fields ? 124 : 40, stride = (width * bits / 8 + 3) / 4 * 4;
  std::vector<uint8_t> out(size_t(14 + info + stride * height), 0);
  out[0] = 'B', out[1] = 'M', out[26] = 1, out[28] = uint8_t(bits), out[30] = fields ? 3 : 0;
  for (auto [at, value] : {std::pair{2, int32_t(out.size())}, {10, 14 + info}, {14, info},
                           {18, width}, {22, height}, {54, int32_t(0xFF000000)}, {58, 0xFF0000},
                           {62, 0xFF00}, {66, 0xFF}})
    if (at < 54 || fields) PutInt32(out, size_t(at), value);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = &rgba[size_t(4 * (y * width + x))];
      uint8_t* q = &out[size_t(14 + info + (height - 1 - y) * stride + x * bits / 8)];
      if (fields) q[0] = p[3], q[1] = p[2], q[2] = p[1], q[3] = p[0];
      else q[0] = p[2], q[1] = p[1], q[2] = p[0];
      if (bits == 32 && !fields) q[3] = p[3];
    }
  return out;
}

inline constexpr uint8_t kShadow = 1;
inline constexpr uint8_t kOutline = 12;  // a colour, stored in literal runs

// A figure: a shadow ellipse (fill code 1 when keepCodes), an outlined body
// and shading that changes every few pixels.
inline std::vector<uint8_t> FigurePixels(int32_t w, int32_t h, int seed) {
  std::vector<uint8_t> px(size_t(w) * size_t(h), 0);
  auto in = [](int x, int y, int cx, int cy, int rx, int ry, double limit) {
    const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
    return dx * dx + dy * dy <= limit;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t v = 0;
      if (in(x, y, w / 2, h * 9 / 10, w * 2 / 5, h / 10 + 1, 1.0)) v = kShadow;
      if (in(x, y, w / 2 + seed % 3, h * 2 / 5, w / 3, h / 3, 1.0))
        v = in(x, y, w / 2 + seed % 3, h * 2 / 5, w / 3, h / 3, 0.8)
                ? uint8_t(64 + (x / 5 + y / 7 + seed) % 40)
                : kOutline;
      px[size_t(y) * w + x] = v;
    }
  return px;
}

// How real archives store a pixel: background and shadow as fill runs of
// their own code, the rest literal (-1).
inline int StoredCode(int, int, uint8_t v) { return v == 0 || v == kShadow ? v : -1; }

// The frame with its data encoded in its compression (raw stays as is): each
// stretch of one code (code(x, y, index) >= 0) a fill run, the rest literal runs.
template <typename CodeOf>
SpriteFrame Encoded(SpriteFrame f, CodeOf code) {
  std::vector<RowRuns> rows(size_t(f.height));
  for (int32_t y = 0; y < f.height; ++y)
    for (int32_t x = 0; x < f.width; ++x) {
      const uint8_t v = f.pixels[size_t(y) * f.width + x];
      const int c = code(x, y, v);
      RowRuns& runs = rows[size_t(y)];
      const bool fill = c >= 0;
      if (!runs.empty() && runs.back().literal.empty() == fill && (!fill || runs.back().code == c)) {
        ++runs.back().length;
        if (!fill) runs.back().literal.push_back(v);
      } else {
        runs.push_back(Run{fill ? c : 0, 1, fill ? std::vector<uint8_t>{} : std::vector<uint8_t>{v}});
      }
    }
  if (f.compression == 1) f.data = EncodeByteRuns(rows);
  if (f.compression == 2) f.data = EncodeRowRuns(rows);
  if (f.compression == 3) f.data = EncodeSegmentedRuns(rows, f.width);
  return f;
}

inline SpriteFrame CodedFrame(int32_t compression, int32_t fullWidth, int32_t fullHeight,
                              int32_t width, int32_t height, int32_t left, int32_t top, int seed) {
  return Encoded(MakeFrame(compression, fullWidth, fullHeight, width, height, left, top,
                           FigurePixels(width, height, seed)),
                 StoredCode);
}

// frames stored frames in blocks of blockSize entries, then `shared` more
// entries pointing at earlier frames under new names, as real archives do.
inline ArchiveSpec ShapedSpec(const std::vector<SpriteFrame>& frames, int blockSize, int shared,
                              const std::string& prefix) {
  ArchiveSpec plan;
  plan.archiveType = 0x42;
  plan.width = frames.empty() ? 0 : frames[0].fullWidth;
  plan.height = frames.empty() ? 0 : frames[0].fullHeight;
  plan.frames = frames;
  const int entries = int(frames.size()) + shared;
  for (int e = 0; e < entries; ++e) {
    if (e % blockSize == 0) {
      Block block;
      block.identifier = e / blockSize;
      block.reserved = {uint8_t(e), 0, 0, 0, 0, 0, 0, uint8_t(0xA0 + e)};
      plan.blocks.push_back(block);
    }
    DirectoryEntry entry;
    entry.name = prefix + std::to_string(e) + ".pcx";
    entry.frame = e < int(frames.size()) ? e : (e * 3) % int(frames.size());
    plan.blocks.back().entries.push_back(entry);
  }
  return plan;
}

// Creature-like: 450 x 400 frames of about 200 x 250 in compression 1.
inline ArchiveSpec CreatureSpec() {
  std::vector<SpriteFrame> frames;
  for (int i = 0; i < 4; ++i)
    frames.push_back(CodedFrame(1, 450, 400, 200 - 3 * i, 250 - 2 * i, 120 + i, 80 + 2 * i, i));
  return ShapedSpec(frames, 3, 2, "cr");
}

// Map-object-like: 96 x 64 frames of about 84 x 58 in compression 3.
inline ArchiveSpec MapObjectSpec() {
  std::vector<SpriteFrame> frames;
  for (int i = 0; i < 8; ++i)
    frames.push_back(CodedFrame(3, 96, 64, 84 - i, 58 - i % 4, 6 + i % 3, 3, i));
  return ShapedSpec(frames, 4, 2, "mo");
}

// Terrain-like: 32 x 32 tiles, solid, in compressions 0 and 2.
inline ArchiveSpec TerrainSpec() {
  std::vector<SpriteFrame> frames;
  for (int i = 0; i < 6; ++i) {
    std::vector<uint8_t> px(32 * 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        px[size_t(y) * 32 + x] = uint8_t(176 + (x / 4 + (y / 4) * 3 + i) % 12);
    if (i % 2 == 1) {  // an edge tile: background and shadow on one side
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 8 + y / 4; ++x) px[size_t(y) * 32 + x] = x < 4 ? 0 : kShadow;
    }
    frames.push_back(Encoded(MakeFrame(i % 2 == 0 ? 0 : 2, 32, 32, 32, 32, 0, 0, px), StoredCode));
  }
  return ShapedSpec(frames, 6, 1, "tt");
}

// Frames as real art draws them: shadow fill runs of codes 1 and 4, and
// literal pixels of indices 1..6 inside raw runs (colours, not shadows).
inline SpriteFrame MixedFrame(int32_t compression, int32_t fullWidth, int32_t fullHeight,
                              int32_t width, int32_t height, int32_t left, int32_t top, int seed) {
  std::vector<uint8_t> px = FigurePixels(width, height, seed);
  std::vector<int> codes(px.size());
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t& v = px[size_t(y) * width + x];
      const bool fill = v == 0 || v == kShadow;
      codes[size_t(y) * width + x] = v == kShadow ? (y % 2 == 0 ? 1 : 4) : fill ? 0 : -1;
      if (!fill && (x * 3 + y + seed) % 13 == 0) v = uint8_t(1 + (x + y) % 6);
      if (fill) v = uint8_t(codes[size_t(y) * width + x]);
    }
  return Encoded(MakeFrame(compression, fullWidth, fullHeight, width, height, left, top, px),
                 [&](int x, int y, uint8_t) { return codes[size_t(y) * width + x]; });
}

// Mixed frames of compressions 1, 2 and 3, entries sharing stored frames,
// names of all 13 bytes without a zero, and a colour the palette holds twice.
inline ArchiveSpec MixedSpec() {
  std::vector<SpriteFrame> frames;
  for (int i = 0; i < 6; ++i)
    frames.push_back(MixedFrame(1 + i % 3, 96, 80, 64 + 32 * (i % 3 == 2), 60 - i, i % 3 == 2 ? 0 : 5 + i, 4, i));
  ArchiveSpec plan = ShapedSpec(frames, 4, 3, "mx");
  std::copy_n(plan.palette.begin() + 3 * 70, 3, plan.palette.begin() + 3 * 80);
  for (int b = 0; b < 2; ++b) {
    std::array<uint8_t, 13> raw;
    for (int i = 0; i < 13; ++i) raw[size_t(i)] = uint8_t('a' + b + i);
    plan.blocks[size_t(b)].entries[1].rawName = raw;
  }
  return plan;
}

}  // namespace dw::testing
