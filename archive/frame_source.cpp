#include "archive/frame_source.h"

#include <utility>

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
    Diagnostic d;
    d.kind = DiagnosticKind::CannotOpen;
    d.frame = frameIndex;
    diagnostics.Add(d);
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

}  // namespace dw
