// The frames of one archive as one operation (an export, a batch entry)
// decodes them: every decode draws from the operation's budget, and entries
// that share one frame head (real archives list a frame under several names;
// the table keeps such entries together) are decoded once, the next request
// for the same head reusing the image.
//
// The source borrows the archive and the budget, which must outlive it, and
// shares ownership of the bytes. Without bytes (the archive could no longer
// be read) every frame is an empty image with a CannotOpen diagnostic.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "archive/archive.h"
#include "archive/decode_budget.h"
#include "archive/diagnostics.h"
#include "archive/frame_decoder.h"
#include "archive/indexed_image.h"
#include "archive/stream.h"

namespace dw {

class FrameSource {
 public:
  FrameSource(const Archive& archive, std::shared_ptr<const std::vector<uint8_t>> bytes,
              DecodeBudget& budget, DecodeOptions options = {});

  // The image of frame frameIndex, valid until the next call. What the decode
  // found is added to diagnostics, for a reused image too (under this index).
  const IndexedImage& Decode(int32_t frameIndex, Diagnostics& diagnostics);

  // True when frame frameIndex is better written to its file band by band
  // than decoded whole: its image is larger than a few bands and no other
  // entry names its head, so nothing would reuse the decoded image.
  bool WritesInBands(int32_t frameIndex) const;
  // Writes frame frameIndex as its BMP file to the stream that open gives,
  // band by band: the same budget draws, diagnostics and bytes as Decode and
  // WriteFrameBmp. open is called only once both the decode and the file's
  // bytes are drawn from the budget; otherwise a BudgetExhausted diagnostic
  // says which refused. False only when the file did not take every byte.
  template <typename Open>
  bool WriteInBands(int32_t frameIndex, Diagnostics& diagnostics, Open open);

  const Archive& archive() const { return archive_; }
  DecodeBudget& budget() { return budget_; }
  // How many frames were really decoded, for tests and benchmarks.
  int64_t decodeCount() const { return decodeCount_; }

 private:
  const Archive& archive_;
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
  DecodeBudget& budget_;
  DecodeOptions options_;
  int32_t cachedOffset_ = 0;
  bool cached_ = false;
  IndexedImage image_;
  Diagnostics found_;  // what the cached decode found, frame numbers as decoded
  int64_t decodeCount_ = 0;

  // The steps of WriteInBands around the caller's stream.
  std::optional<PlannedFrame> PlanBanded(int32_t frameIndex, Diagnostics& diagnostics);
  bool WriteBanded(const PlannedFrame& plan, Stream& target, Diagnostics& diagnostics);
};

template <typename Open>
bool FrameSource::WriteInBands(int32_t frameIndex, Diagnostics& diagnostics, Open open) {
  const std::optional<PlannedFrame> plan = PlanBanded(frameIndex, diagnostics);
  if (!plan) return true;
  StreamPtr target = open();
  const bool complete = WriteBanded(*plan, *target, diagnostics);
  FreeStream(target);
  return complete;
}

}  // namespace dw
