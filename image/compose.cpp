#include "image/compose.h"

#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#include "archive/frame_decoder.h"
#include "image/palette_match.h"
#include "image/pixel_layout.h"

namespace dw {
namespace {

IndexedImage Decode(const Archive& archive, const ArchiveBytesPtr& bytes, int32_t frameIndex,
                    DecodeBudget* budget, Diagnostics& found) {
  if (!bytes) {
    found.Add(MakeDiagnostic(DiagnosticKind::CannotOpen, frameIndex));
    return IndexedImage{};
  }
  return DecodeFrameImage(archive, *bytes, frameIndex, DecodeOptions{}, budget, found);
}

// Copies columns [from, from + width) of every row of the strip to x, each
// value through map (identity when map is null).
void CopyColumns(Bitmap& strip, int64_t from, int64_t width, int64_t x, const uint8_t* map) {
  uint8_t* bits = strip.mutableDibBits();
  if (bits == nullptr || width <= 0) return;
  const int64_t scanLine = strip.scanLineSize();
  for (int32_t row = 0; row < strip.Height(); ++row) {
    uint8_t* line = bits + row * scanLine;
    if (map == nullptr) {
      std::memmove(line + x, line + from, size_t(width));
    } else {
      for (int64_t k = 0; k < width; ++k) line[x + k] = map[line[from + k]];
    }
  }
}

}  // namespace

void LoadFrameBitmap(const Archive& archive, const ArchiveBytesPtr& bytes, int32_t frameIndex,
                     Bitmap& target, DecodeBudget* budget, Diagnostics* problems) {
  Diagnostics found;
  target.LoadIndexedImage(Decode(archive, bytes, frameIndex, budget, found));
  if (problems != nullptr) problems->Append(found);
}

std::unique_ptr<Bitmap> ComposeStrip(const Archive& archive, const ArchiveBytesPtr& bytes,
                                     const std::vector<int32_t>& frames, bool separator,
                                     DecodeBudget& budget, Diagnostics* problems) {
  Diagnostics ignored;
  Diagnostics& found = problems != nullptr ? *problems : ignored;
  std::unique_ptr<Bitmap> strip = CreateBitmap(1, 1);
  if (frames.empty()) {
    strip->Clear();
    return strip;
  }
  Diagnostics firstOnly;
  LoadFrameBitmap(archive, bytes, frames[0], *strip, &budget, &firstOnly);
  found.Append(firstOnly);
  if (strip->Empty() || strip->bitCount() != 8) {
    strip->Clear();
    return strip;
  }

  // Widths from the heads alone. A frame that gives no image still takes its
  // separator column.
  const int32_t gap = separator ? 1 : 0;
  const int32_t height = strip->Height();
  const int32_t firstWidth = strip->Width();
  std::vector<int64_t> widths(frames.size(), 0);
  widths[0] = firstWidth;
  int64_t width = firstWidth;
  for (size_t k = 1; k < frames.size(); ++k) {
    widths[k] = bytes ? DecodedImageSize(archive, *bytes, frames[k]).width : 0;
    width += widths[k] + gap;
    const int64_t rowBytes = image_detail::RowBytes(width, 8);
    if (width > std::numeric_limits<int32_t>::max() || rowBytes < 0 ||
        rowBytes * height > kMaxBitmapBytes) {
      strip->Clear();  // too large to hold
      return strip;
    }
  }
  strip->SetWidth(static_cast<int32_t>(width));
  if (strip->Width() != width) {
    strip->Clear();
    return strip;
  }

  // What a repeat of the first frame becomes when painted by colour: each
  // index as the lowest index of the same colour (or the nearest).
  uint8_t firstMap[256];
  {
    const image_detail::PixelLayout layout = strip->Layout();
    const image_detail::PaletteMatcher matcher(layout.table, layout.tableEntries());
    for (int i = 0; i < 256; ++i)
      firstMap[i] = i < layout.tableEntries()
                        ? matcher.IndexOf(image_detail::ColourOf(layout, uint32_t(i)))
                        : 0;
  }
  struct Painted {
    int64_t column;
    Diagnostics found;  // repeated for every later listing of the frame
  };
  std::unordered_map<int32_t, Painted> painted;  // by head offset
  auto repeat = [&](const Diagnostics& of, int32_t index) {
    for (Diagnostic d : of.items) {
      d.frame = index;
      found.Add(std::move(d));
    }
  };
  auto offsetOf = [&](int32_t index) {
    return archive.HasFrame(index) ? std::optional<int32_t>(archive.frames[size_t(index)].offset)
                                   : std::nullopt;
  };
  const std::optional<int32_t> firstOffset = offsetOf(frames[0]);

  DrawingSurface* canvas = strip->Canvas();
  int64_t x = firstWidth;
  for (size_t k = 1; k < frames.size(); ++k) {
    x += gap;
    const std::optional<int32_t> offset = offsetOf(frames[k]);
    if (offset && widths[k] > 0) {
      if (const auto seen = painted.find(*offset); seen != painted.end()) {
        CopyColumns(*strip, seen->second.column, widths[k], x, nullptr);
        repeat(seen->second.found, frames[k]);
        x += widths[k];
        continue;
      }
      if (offset == firstOffset) {
        CopyColumns(*strip, 0, widths[k], x, firstMap);
        repeat(firstOnly, frames[k]);
        painted.emplace(*offset, Painted{x, firstOnly});
        x += widths[k];
        continue;
      }
    }
    Diagnostics frameFound;
    std::unique_ptr<Bitmap> frame = CreateBitmap(1, 1);
    LoadFrameBitmap(archive, bytes, frames[k], *frame, &budget, &frameFound);
    found.Append(frameFound);
    if (frameFound.budgetExhausted()) break;  // keep what is painted
    if (canvas != nullptr && !frame->Empty()) {
      frame->Draw(*canvas, static_cast<int>(x), 0);
      if (offset) painted.emplace(*offset, Painted{x, frameFound});
    }
    x += widths[k];
  }
  return strip;
}

}  // namespace dw
