// Joining frames side by side into one strip, and loading one frame as a
// bitmap.
//
// The strip has the height of the first frame; frames follow in the order
// given, each flush against the previous one or one separator column later;
// a later frame taller than the first is cut at the bottom. Pixels no frame
// covers are index 0. A frame that gives no image contributes width 0 (the
// separator is still added); a first frame that gives none, no frames at all,
// or a strip of more than kMaxBitmapBytes give an empty strip (0 x 0).
//
// The strip's final width is read from the frames' heads before anything is
// decoded, so the strip is allocated once. Each frame is then decoded once
// and painted; a frame listed again (the same head) is copied from where it
// was painted, never decoded again. Every decode draws from the budget; when
// it runs out the composition stops and keeps the frames painted so far (the
// rest stay index 0). The first frame is loaded, so its indices and header
// are kept exactly; later frames are painted by colour through the strip's
// Canvas. Time and memory are linear in the strip's size.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "archive/decode_budget.h"
#include "archive/diagnostics.h"
#include "image/bitmap.h"

namespace dw {

using ArchiveBytesPtr = std::shared_ptr<const std::vector<uint8_t>>;

// Decodes frame frameIndex and loads it into target, replacing whatever
// target held; the decoded pixels move into the bitmap without a copy. No
// bytes (an archive that can no longer be read) give an empty bitmap and a
// CannotOpen diagnostic.
void LoadFrameBitmap(const Archive& archive, const ArchiveBytesPtr& bytes, int32_t frameIndex,
                     Bitmap& target, DecodeBudget* budget = nullptr,
                     Diagnostics* problems = nullptr);

// frames: frame indices in list order; separator: one empty column between
// neighbours. What the decoder found wrong is added to problems when given,
// once per frame listed.
std::unique_ptr<Bitmap> ComposeStrip(const Archive& archive, const ArchiveBytesPtr& bytes,
                                     const std::vector<int32_t>& frames, bool separator,
                                     DecodeBudget& budget, Diagnostics* problems = nullptr);

}  // namespace dw
