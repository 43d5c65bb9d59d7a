#include "archive/frame_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "archive/bmp_layout.h"
#include "archive/byte_cursor.h"
#include "archive/def_format.h"
#include "archive/frame_info.h"
#include "archive/pixel_rows.h"
#include "archive/stop_request.h"

namespace dw {
namespace {

Diagnostic SizeProblem(DiagnosticKind kind, int32_t frameIndex, int64_t width, int64_t height) {
  Diagnostic d = MakeDiagnostic(kind, frameIndex);
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
  if (!archive.HasFrame(frameIndex))
    return MakeDiagnostic(DiagnosticKind::FrameNotInTable, frameIndex);
  const int32_t offset = archive.frames[size_t(frameIndex)].offset;
  head = ReadFrameHeaderAt(bytes, offset);
  if (!head) {
    Diagnostic d = MakeDiagnostic(DiagnosticKind::FrameHeadOutside, frameIndex);
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

std::optional<PlannedFrame> PlanFrameDecode(const Archive& archive,
                                            const std::vector<uint8_t>& bytes, int32_t frameIndex,
                                            DecodeBudget* budget, Diagnostics& diagnostics,
                                            int64_t maxPixelBytes) {
  std::optional<FrameHeader> head;
  if (std::optional<Diagnostic> refusal =
          RefusalOf(archive, bytes, frameIndex, maxPixelBytes, head)) {
    diagnostics.Add(std::move(*refusal));
    return std::nullopt;
  }
  const FrameHeader& h = *head;
  PlannedFrame plan;
  plan.frameIndex = frameIndex;
  plan.head = h;
  plan.stride = StrideOf(h.fullWidth);
  plan.pixelBytes = plan.stride * h.fullHeight;
  if (budget != nullptr && !budget->ReserveDecoded(plan.pixelBytes)) {
    Diagnostic d = MakeDiagnostic(DiagnosticKind::BudgetExhausted, frameIndex);
    d.value = budget->decodedLimit();
    diagnostics.Add(d);
    return std::nullopt;
  }
  if (h.width < 0 || h.height < 0)
    diagnostics.Add(SizeProblem(DiagnosticKind::NegativeStoredSize, frameIndex, h.width, h.height));
  else if (!FitsFullImage(h))
    diagnostics.Add(MakeDiagnostic(DiagnosticKind::RectangleOutside, frameIndex));
  if (h.compression < 0 || h.compression > 3) {
    Diagnostic d = MakeDiagnostic(DiagnosticKind::UnknownCompression, frameIndex);
    d.value = h.compression;
    diagnostics.Add(d);
  }
  return plan;
}

namespace {

// Decodes the rows of band into pixels (zero on entry).
RowTrouble DecodeBand(const Archive& archive, const std::vector<uint8_t>& bytes,
                      const PlannedFrame& plan, const DecodeOptions& options, const RowBand& band,
                      uint8_t* pixels) {
  const FrameHeader& h = plan.head;
  if (h.compression < 0 || h.compression > 3) return RowTrouble{};
  ByteCursor in(bytes.data(), int64_t(bytes.size()));
  const int32_t offset = archive.frames[size_t(plan.frameIndex)].offset;
  return DecodePixels(in, int64_t{offset} + kFrameHeaderSize, h.compression, Place(h, plan.stride),
                      options, band, pixels);
}

void ReportRowTrouble(const RowTrouble& trouble, int32_t frameIndex, int64_t width,
                      Diagnostics& diagnostics) {
  if (trouble.outside > 0) {
    Diagnostic d = MakeDiagnostic(DiagnosticKind::RowsOutside, frameIndex);
    d.row = trouble.firstOutside;
    d.count = trouble.outside;
    diagnostics.Add(d);
  }
  if (trouble.cutShort > 0) {
    Diagnostic d = MakeDiagnostic(DiagnosticKind::RowsCutShort, frameIndex);
    d.row = trouble.firstCutShort;
    d.count = trouble.cutShort;
    diagnostics.Add(d);
  }
  if (trouble.pastWidth > 0) {
    Diagnostic d = MakeDiagnostic(DiagnosticKind::RowsPastWidth, frameIndex);
    d.row = trouble.firstPastWidth;
    d.count = trouble.pastWidth;
    d.width = width;
    diagnostics.Add(d);
  }
}

std::array<uint8_t, kBmpPixelOffset> BmpHeadOf(int32_t width, int32_t height, int64_t pixelBytes,
                                               const Palette& palette) {
  std::array<uint8_t, kBmpPixelOffset> head{};
  SerializeBmpHeader(FrameBmpHeader(std::max(width, 0), std::max(height, 0), pixelBytes),
                     head.data());
  std::memcpy(head.data() + kBmpHeaderSize, palette.data(), kBmpColourTableSize);
  return head;
}

}  // namespace

IndexedImage DecodeFrameImage(const Archive& archive, const std::vector<uint8_t>& bytes,
                              int32_t frameIndex, const DecodeOptions& options,
                              DecodeBudget* budget, Diagnostics& diagnostics,
                              int64_t maxPixelBytes) {
  const std::optional<PlannedFrame> plan =
      PlanFrameDecode(archive, bytes, frameIndex, budget, diagnostics, maxPixelBytes);
  if (!plan) return EmptyImage(archive);
  IndexedImage image;
  image.width = plan->head.fullWidth;
  image.height = plan->head.fullHeight;
  image.stride = plan->stride;
  image.palette = archive.palette;
  image.pixels.assign(size_t(plan->pixelBytes), 0);
  const RowTrouble trouble = DecodeBand(archive, bytes, *plan, options,
                                        RowBand{0, plan->head.fullHeight}, image.pixels.data());
  ReportRowTrouble(trouble, frameIndex, plan->head.width, diagnostics);
  return image;
}

bool WritePlannedFrameBmp(const Archive& archive, const std::vector<uint8_t>& bytes,
                          const PlannedFrame& plan, const DecodeOptions& options,
                          Diagnostics& diagnostics, Stream& target, int64_t bandBytes) {
  const FrameHeader& h = plan.head;
  const auto head = BmpHeadOf(h.fullWidth, h.fullHeight, plan.pixelBytes, archive.palette);
  SeekTo(target, 0);
  if (plan.pixelBytes == 0) {
    // No rows (fullWidth or fullHeight 0): the head alone, as WriteFrameBmp writes it.
    const bool complete = WriteBytes(target, head.data(), int32_t(head.size())) == int32_t(head.size());
    SeekTo(target, 0);
    return complete;
  }
  const int64_t bandRows =
      std::max<int64_t>(1, std::min<int64_t>(bandBytes / plan.stride, h.fullHeight));
  const int64_t bands = (int64_t{h.fullHeight} + bandRows - 1) / bandRows;
  // The file holds the bottom row first: bands go from the bottom up, the
  // head travelling with the first of them.
  const auto rowsOf = [&](int64_t band) {
    const int64_t below = h.fullHeight - band * bandRows;  // rows from here up are not written yet
    const int64_t rows = std::min(bandRows, below);
    return RowBand{below - rows, rows};
  };
  std::vector<uint8_t> pixels(size_t(bandRows * plan.stride));
  RowTrouble trouble;
  bool complete = true;
  for (int64_t band = 0; band < bands; ++band) {
    // A stop request abandons the file between bands.
    if (StopRequested()) {
      complete = false;
      break;
    }
    const RowBand rows = rowsOf(band);
    const auto size = static_cast<int32_t>(rows.rows * plan.stride);
    std::fill_n(pixels.begin(), size, uint8_t{0});
    MergeRowTrouble(trouble, DecodeBand(archive, bytes, plan, options, rows, pixels.data()));
    // Once a write falls short the rest is only decoded, for the diagnostics.
    if (!complete) continue;
    const int32_t headSize = band == 0 ? int32_t(head.size()) : 0;
    const BytePiece pieces[] = {{head.data(), headSize}, {pixels.data(), size}};
    complete = WritePieces(target, pieces) == headSize + size;
  }
  SeekTo(target, 0);
  ReportRowTrouble(trouble, plan.frameIndex, h.width, diagnostics);
  return complete;
}

int64_t FrameBmpSize(const IndexedImage& image) {
  return kBmpPixelOffset + int64_t(image.pixels.size());
}

bool WriteFrameBmp(const IndexedImage& image, Stream& target) {
  const int64_t pixelBytes = int64_t(image.pixels.size());
  const auto head = BmpHeadOf(image.width, image.height, pixelBytes, image.palette);
  const BytePiece pieces[] = {{head.data(), int32_t(head.size())},
                              {image.pixels.data(), static_cast<int32_t>(pixelBytes)}};
  SeekTo(target, 0);
  const bool complete = WritePieces(target, pieces) == FrameBmpSize(image);
  SeekTo(target, 0);
  return complete;
}

}  // namespace dw
