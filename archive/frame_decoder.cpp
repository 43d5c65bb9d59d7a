#include "archive/frame_decoder.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "archive/bmp_layout.h"
#include "archive/byte_cursor.h"
#include "archive/def_format.h"
#include "archive/frame_info.h"
#include "archive/pixel_rows.h"

namespace dw {
namespace {

Diagnostic About(DiagnosticKind kind, int32_t frameIndex) {
  Diagnostic d;
  d.kind = kind;
  d.frame = frameIndex;
  return d;
}

Diagnostic SizeProblem(DiagnosticKind kind, int32_t frameIndex, int64_t width, int64_t height) {
  Diagnostic d = About(kind, frameIndex);
  d.width = width;
  d.height = height;
  return d;
}

FramePlacement Place(const FrameHeader& h, int64_t stride) {
  FramePlacement p;
  p.fullHeight = h.fullHeight;
  p.stride = stride;
  p.width = std::max(h.width, 0);
  // A margin of zero or less writes no background, so the rectangle then
  // starts at the image's edge.
  p.left = std::max(h.leftMargin, 0);
  p.top = std::max(h.topMargin, 0);
  p.visibleColumns = std::clamp<int64_t>(int64_t{h.fullWidth} - p.left, 0, p.width);
  p.visibleRows = std::clamp<int64_t>(p.fullHeight - p.top, 0, std::max(h.height, 0));
  return p;
}

bool FitsFullImage(const FrameHeader& h) {
  if (h.width <= 0 || h.height <= 0) return true;
  return h.leftMargin >= 0 && h.topMargin >= 0 && int64_t{h.leftMargin} + h.width <= h.fullWidth &&
         int64_t{h.topMargin} + h.height <= h.fullHeight;
}

IndexedImage EmptyImage(const Archive& archive) {
  IndexedImage image;
  image.palette = archive.palette;
  return image;
}

// Why the frame gives no image, or nothing when it gives one.
std::optional<Diagnostic> RefusalOf(const Archive& archive, const std::vector<uint8_t>& bytes,
                                    int32_t frameIndex, int64_t maxPixelBytes,
                                    std::optional<FrameHeader>& head) {
  if (!archive.HasFrame(frameIndex)) return About(DiagnosticKind::FrameNotInTable, frameIndex);
  const int32_t offset = archive.frames[size_t(frameIndex)].offset;
  head = ReadFrameHeaderAt(bytes, offset);
  if (!head) {
    Diagnostic d = About(DiagnosticKind::FrameHeadOutside, frameIndex);
    d.value = offset;
    return d;
  }
  const FrameHeader& h = *head;
  if (h.fullWidth < 0 || h.fullHeight < 0)
    return SizeProblem(DiagnosticKind::NegativeFullSize, frameIndex, h.fullWidth, h.fullHeight);
  const int64_t pixelBytes = StrideOf(h.fullWidth) * h.fullHeight;
  if (pixelBytes > std::clamp<int64_t>(maxPixelBytes, 0, kMaxPixelBytes))
    return SizeProblem(DiagnosticKind::TooLarge, frameIndex, h.fullWidth, h.fullHeight);
  return std::nullopt;
}

}  // namespace

ImageSize DecodedImageSize(const Archive& archive, const std::vector<uint8_t>& bytes,
                           int32_t frameIndex, int64_t maxPixelBytes) {
  std::optional<FrameHeader> head;
  if (RefusalOf(archive, bytes, frameIndex, maxPixelBytes, head)) return ImageSize{};
  return ImageSize{head->fullWidth, head->fullHeight};
}

IndexedImage DecodeFrameImage(const Archive& archive, const std::vector<uint8_t>& bytes,
                              int32_t frameIndex, const DecodeOptions& options,
                              DecodeBudget* budget, Diagnostics& diagnostics,
                              int64_t maxPixelBytes) {
  std::optional<FrameHeader> head;
  if (std::optional<Diagnostic> refusal =
          RefusalOf(archive, bytes, frameIndex, maxPixelBytes, head)) {
    diagnostics.Add(std::move(*refusal));
    return EmptyImage(archive);
  }
  const FrameHeader& h = *head;
  const int64_t stride = StrideOf(h.fullWidth);
  const int64_t pixelBytes = stride * h.fullHeight;
  if (budget != nullptr && !budget->ReserveDecoded(pixelBytes)) {
    Diagnostic d = About(DiagnosticKind::BudgetExhausted, frameIndex);
    d.value = budget->decodedLimit();
    diagnostics.Add(d);
    return EmptyImage(archive);
  }
  if (h.width < 0 || h.height < 0)
    diagnostics.Add(SizeProblem(DiagnosticKind::NegativeStoredSize, frameIndex, h.width, h.height));
  else if (!FitsFullImage(h))
    diagnostics.Add(About(DiagnosticKind::RectangleOutside, frameIndex));

  IndexedImage image;
  image.width = h.fullWidth;
  image.height = h.fullHeight;
  image.stride = stride;
  image.palette = archive.palette;
  image.pixels.assign(size_t(pixelBytes), 0);
  if (h.compression < 0 || h.compression > 3) {
    Diagnostic d = About(DiagnosticKind::UnknownCompression, frameIndex);
    d.value = h.compression;
    diagnostics.Add(d);
    return image;
  }
  ByteCursor in(bytes.data(), int64_t(bytes.size()));
  const int32_t offset = archive.frames[size_t(frameIndex)].offset;
  const RowTrouble trouble = DecodePixels(in, int64_t{offset} + kFrameHeaderSize, h.compression,
                                          Place(h, stride), options, image.pixels.data());
  if (trouble.outside > 0) {
    Diagnostic d = About(DiagnosticKind::RowsOutside, frameIndex);
    d.row = trouble.firstOutside;
    d.count = trouble.outside;
    diagnostics.Add(d);
  }
  if (trouble.cutShort > 0) {
    Diagnostic d = About(DiagnosticKind::RowsCutShort, frameIndex);
    d.row = trouble.firstCutShort;
    d.count = trouble.cutShort;
    diagnostics.Add(d);
  }
  return image;
}

int64_t FrameBmpSize(const IndexedImage& image) {
  return kBmpPixelOffset + int64_t(image.pixels.size());
}

bool WriteFrameBmp(const IndexedImage& image, Stream& target) {
  const int64_t pixelBytes = int64_t(image.pixels.size());
  uint8_t head[kBmpPixelOffset];
  SerializeBmpHeader(FrameBmpHeader(std::max(image.width, 0), std::max(image.height, 0), pixelBytes),
                     head);
  std::memcpy(head + kBmpHeaderSize, image.palette.data(), kBmpColourTableSize);
  SeekTo(target, 0);
  bool complete = WriteBytes(target, head, kBmpPixelOffset) == kBmpPixelOffset;
  if (complete && pixelBytes > 0) {
    complete = WriteBytes(target, image.pixels.data(), static_cast<int32_t>(pixelBytes)) ==
               static_cast<int32_t>(pixelBytes);
  }
  SeekTo(target, 0);
  return complete;
}

}  // namespace dw
