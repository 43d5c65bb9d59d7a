#include "archive/frame_source.h"

#include <utility>

#include "archive/bmp_layout.h"

namespace dw {

FrameSource::FrameSource(const Archive& archive, std::shared_ptr<const std::vector<uint8_t>> bytes,
                         DecodeBudget& budget, DecodeOptions options)
    : archive_(archive), bytes_(std::move(bytes)), budget_(budget), options_(options) {}

const IndexedImage& FrameSource::Decode(int32_t frameIndex, Diagnostics& diagnostics) {
  const bool known = archive_.HasFrame(frameIndex);
  if (known && bytes_ && cached_ && archive_.frames[size_t(frameIndex)].offset == cachedOffset_) {
    for (Diagnostic d : found_.items) {
      d.frame = frameIndex;
      diagnostics.Add(std::move(d));
    }
    return image_;
  }
  cached_ = false;
  image_ = IndexedImage{};
  image_.palette = archive_.palette;
  found_ = Diagnostics{};
  if (!bytes_) {
    diagnostics.Add(MakeDiagnostic(DiagnosticKind::CannotOpen, frameIndex));
    return image_;
  }
  image_ = DecodeFrameImage(archive_, *bytes_, frameIndex, options_, &budget_, found_);
  ++decodeCount_;
  diagnostics.Append(found_);
  // A decode the budget refused is not an image of the frame.
  if (known && !found_.budgetExhausted()) {
    cached_ = true;
    cachedOffset_ = archive_.frames[size_t(frameIndex)].offset;
  }
  return image_;
}

bool FrameSource::WritesInBands(int32_t frameIndex) const {
  if (!bytes_ || !archive_.HasFrame(frameIndex)) return false;
  const ImageSize size = DecodedImageSize(archive_, *bytes_, frameIndex);
  if (StrideOf(size.width) * size.height <= 2 * kBandBytes) return false;
  // The table is sorted by offset, so entries of one head stand together.
  const auto& frames = archive_.frames;
  const auto i = size_t(frameIndex);
  const int32_t offset = frames[i].offset;
  return !(i > 0 && frames[i - 1].offset == offset) &&
         !(i + 1 < frames.size() && frames[i + 1].offset == offset);
}

std::optional<PlannedFrame> FrameSource::PlanBanded(int32_t frameIndex, Diagnostics& diagnostics) {
  std::optional<PlannedFrame> plan =
      PlanFrameDecode(archive_, *bytes_, frameIndex, &budget_, diagnostics);
  if (!plan) return std::nullopt;
  if (!ReserveFileBytes(budget_, kBmpPixelOffset + plan->pixelBytes, frameIndex, diagnostics))
    return std::nullopt;
  return plan;
}

bool FrameSource::WriteBanded(const PlannedFrame& plan, Stream& target, Diagnostics& diagnostics) {
  ++decodeCount_;
  return WritePlannedFrameBmp(archive_, *bytes_, plan, options_, diagnostics, target);
}

bool ReserveFileBytes(DecodeBudget& budget, int64_t bytes, int32_t frameIndex,
                      Diagnostics& diagnostics) {
  if (budget.ReserveWritten(bytes)) return true;
  diagnostics.Add(
      MakeDiagnostic(DiagnosticKind::BudgetExhausted, frameIndex, budget.writtenLimit()));
  return false;
}

}  // namespace dw
