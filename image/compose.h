// Joining frames side by side into one strip, and loading one frame as a
// bitmap. Both decode through DecodeFrame.
//
// The strip has the height of the first frame; frames follow in the order
// given, each flush against the previous one or one separator column later;
// a later frame taller than the first is cut at the bottom. Pixels no frame
// covers are index 0. A frame that fails to decode contributes width 0 (the
// separator is still added); a first frame that fails, no frames at all, or a
// strip of more than kMaxBitmapBytes give an empty strip (0 x 0).
//
// Each frame is decoded and loaded once (a later frame taller than the strip
// twice, so that no more than the strip's own size is held at once); the
// strip is allocated once at its final width. The first frame is loaded, so
// its indices and header are kept exactly; later frames are painted by colour
// through the strip's Canvas.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "archive/conversion_state.h"
#include "archive/diagnostics.h"
#include "image/bitmap.h"

namespace dw {

// Decodes frame frameIndex into a memory stream and loads it into target,
// replacing whatever target held. What the decoder found wrong is added to
// problems when given.
void LoadFrameBitmap(ConversionState& state, int32_t frameIndex, Bitmap& target,
                     Diagnostics* problems = nullptr);

// frames: frame indices in list order; separator: one empty column between
// neighbours. Time and memory are linear in the strip's size. What the
// decoder found wrong with the frames is added to problems when given, once
// per frame.
std::unique_ptr<Bitmap> ComposeStrip(ConversionState& state, const std::vector<int32_t>& frames,
                                     bool separator, Diagnostics* problems = nullptr);

}  // namespace dw
