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
  // A banded write in two steps: PlanBanded draws the frame's decode and its
  // file's bytes from the budget (or adds the BudgetExhausted diagnostic that
  // says which refused, and gives nullopt); WriteBanded then writes the BMP
  // file band by band, with the bytes and diagnostics of Decode and
  // WriteFrameBmp. Create the file between the two, so that a refused frame
  // touches no file. WriteBanded is false when the target did not take every
  // byte.
  std::optional<PlannedFrame> PlanBanded(int32_t frameIndex, Diagnostics& diagnostics);
  bool WriteBanded(const PlannedFrame& plan, Stream& target, Diagnostics& diagnostics);

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
};

// Draws a file of bytes for frame frameIndex from budget; when it has no
// room, adds the BudgetExhausted diagnostic and is false.
bool ReserveFileBytes(DecodeBudget& budget, int64_t bytes, int32_t frameIndex,
                      Diagnostics& diagnostics);

}  // namespace dw
