// Which pixels of a stored rectangle pack writes as fill runs, and of which
// code: what the image itself marks (an RGBA image's shadows), the manifest's
// record of the original fill runs where the image still shows what the fill
// shows in the view it was exported in, and without a record the indices
// alone (keepSpecial: indices 0..7 are fill codes; otherwise only 0 is).
// Everything else, such as a pixel painted over a fill, is literal.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cli/inputs/image_reader.h"
#include "cli/manifest/manifest_reader.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "pack/frame_encoder.h"

namespace dw::cli {

struct FillSource {
  int32_t compression = 1;
  bool keepSpecial = false;                    // the image shows fill codes, not 0
  const std::vector<FillRun>* record = nullptr;  // runs in the original rectangle
  int32_t recordLeft = 0, recordTop = 0;       // where that rectangle lies in rect
  // For an image of colour and alpha: how each index looks in it. A fill the
  // image marks keeps the recorded code where both look alike there.
  const std::array<Rgba, 256>* colours = nullptr;
  // The original literal pixels of indices 1 to 7 (code: the index), in the
  // original rectangle, for an image of colour and alpha.
  const std::vector<FillRun>* literals = nullptr;
};

// The fill layer of rect, cut from image at left, top.
std::vector<uint8_t> FillLayer(const PalettedImage& image, const pack::PixelRect& rect,
                               int32_t left, int32_t top, const FillSource& source);

// An image of colour and alpha shows a literal pixel of a special index as
// that code, so it reads back as a fill or as another index: each recorded
// literal becomes literal again, with its index, where rect and layer still
// look as it does in the image's colours.
void KeepLiterals(pack::PixelRect& rect, std::vector<uint8_t>& layer, const FillSource& source);

}  // namespace dw::cli
