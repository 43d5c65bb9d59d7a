#include "image/bitmap_canvas.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "image/pixel_layout.h"

namespace dw {
namespace {

using image_detail::ColourOf;
using image_detail::PixelLayout;
using image_detail::ReadValue;
using image_detail::StoredRow;
using image_detail::WriteValue;

struct Rect {
  int64_t left, top, right, bottom;
  bool empty() const { return left >= right || top >= bottom; }
};

struct PixelRows {
  const uint8_t* bits = nullptr;
  int64_t scanLine = 0;
  int32_t height = 0;
  bool topDown = false;

  const uint8_t* Row(int32_t y) const { return bits + StoredRow(y, height, topDown) * scanLine; }
};

}  // namespace

const image_detail::PaletteMatcher& Bitmap::BitmapCanvas::Matcher(const uint8_t* table,
                                                                  int entries) {
  const size_t bytes = static_cast<size_t>(entries) * 4;
  if (!matcher_ || matcherTable_.size() != bytes ||
      std::memcmp(matcherTable_.data(), table, bytes) != 0) {
    matcherTable_.assign(table, table + bytes);
    matcher_.emplace(table, entries);
  }
  return *matcher_;
}

const std::vector<uint32_t>& Bitmap::BitmapCanvas::IndexedSourceMap(const PixelLayout& from,
                                                                    const PixelLayout& to) {
  // Everything the map depends on: both layouts and both colour tables.
  std::vector<uint8_t> key = {uint8_t(from.bits), uint8_t(to.bits)};
  for (uint32_t mask : {to.red.mask, to.green.mask, to.blue.mask}) {
    for (int i = 0; i < 4; ++i) key.push_back(uint8_t(mask >> (8 * i)));
  }
  key.insert(key.end(), from.table, from.table + 4 * from.tableEntries());
  if (to.indexed) key.insert(key.end(), to.table, to.table + 4 * to.tableEntries());
  if (key == sourceMapKey_) return sourceMap_;

  sourceMap_.resize(from.tableEntries());
  const image_detail::PaletteMatcher* matcher =
      to.indexed ? &Matcher(to.table, to.tableEntries()) : nullptr;
  for (int i = 0; i < from.tableEntries(); ++i) {
    const uint32_t colour = ColourOf(from, uint32_t(i));
    sourceMap_[i] =
        matcher != nullptr ? matcher->IndexOf(colour) : image_detail::ValueOf(to, colour);
  }
  sourceMapKey_ = std::move(key);
  return sourceMap_;
}

void Bitmap::BitmapCanvas::DrawBitmap(const Bitmap& source, int x, int y) {
  Bitmap& target = owner_;
  if (target.Empty() || !target.HasPixels() || source.Empty()) return;
  const Rect area{std::max<int64_t>(x, 0), std::max<int64_t>(y, 0),
                  std::min<int64_t>(int64_t{x} + source.Width(), target.Width()),
                  std::min<int64_t>(int64_t{y} + source.Height(), target.Height())};
  if (area.empty()) return;

  const PixelLayout to = target.Layout();
  const image_detail::PaletteMatcher* matcher =
      to.indexed ? &Matcher(to.table, to.tableEntries()) : nullptr;
  auto encode = [&](uint32_t colour) -> uint32_t {
    return matcher != nullptr ? matcher->IndexOf(colour) : image_detail::ValueOf(to, colour);
  };
  const bool targetTopDown = target.topDown();
  auto targetRow = [&](int64_t yy) {
    return target.dibBits_.data() +
           StoredRow(static_cast<int32_t>(yy), target.height_, targetTopDown) *
               int64_t{target.scanLineSize_};
  };

  if (!source.HasPixels()) {
    // A bitmap that was never loaded paints black.
    const uint32_t black = encode(0);
    for (int64_t yy = area.top; yy < area.bottom; ++yy) {
      uint8_t* row = targetRow(yy);
      for (int64_t xx = area.left; xx < area.right; ++xx) {
        WriteValue(row, static_cast<int32_t>(xx), to.bits, black);
      }
    }
    return;
  }

  // Painting a bitmap into itself reads from a copy, so that overlapping areas
  // see the old pixels.
  std::vector<uint8_t> ownCopy;
  PixelRows fromRows{source.dibBits_.data(), source.scanLineSize_, source.height_,
                     source.topDown()};
  if (&source == &target) {
    ownCopy = source.dibBits_;
    fromRows.bits = ownCopy.data();
  }
  const PixelLayout from = source.Layout();

  if (from.indexed) {
    const std::vector<uint32_t>& map = IndexedSourceMap(from, to);
    if (from.bits == 8 && to.bits == 8) {
      std::array<uint8_t, 256> bytes;
      for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(map[i]);
      for (int64_t yy = area.top; yy < area.bottom; ++yy) {
        const uint8_t* fromRow = fromRows.Row(static_cast<int32_t>(yy - y)) - x;
        uint8_t* toRow = targetRow(yy);
        for (int64_t xx = area.left; xx < area.right; ++xx) toRow[xx] = bytes[fromRow[xx]];
      }
    } else {
      for (int64_t yy = area.top; yy < area.bottom; ++yy) {
        const uint8_t* fromRow = fromRows.Row(static_cast<int32_t>(yy - y));
        uint8_t* toRow = targetRow(yy);
        for (int64_t xx = area.left; xx < area.right; ++xx) {
          const uint32_t value = ReadValue(fromRow, static_cast<int32_t>(xx - x), from.bits);
          WriteValue(toRow, static_cast<int32_t>(xx), to.bits, map[value]);
        }
      }
    }
    return;
  }

  // Direct-colour sources: each distinct value is matched once per paint.
  std::unordered_map<uint32_t, uint32_t> matched;
  for (int64_t yy = area.top; yy < area.bottom; ++yy) {
    const uint8_t* fromRow = fromRows.Row(static_cast<int32_t>(yy - y));
    uint8_t* toRow = targetRow(yy);
    for (int64_t xx = area.left; xx < area.right; ++xx) {
      const uint32_t value = ReadValue(fromRow, static_cast<int32_t>(xx - x), from.bits);
      uint32_t out;
      if (matcher == nullptr) {
        out = encode(ColourOf(from, value));
      } else {
        const auto [at, added] = matched.try_emplace(value, 0);
        if (added) at->second = encode(ColourOf(from, value));
        out = at->second;
      }
      WriteValue(toRow, static_cast<int32_t>(xx), to.bits, out);
    }
  }
}

}  // namespace dw
