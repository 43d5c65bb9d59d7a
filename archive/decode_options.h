// How a frame's pixels are decoded, shared by the row decoders and the whole
// frame decode above them.
#pragma once

namespace dw {

struct DecodeOptions {
  // Background runs of compressions 1, 2 and 3 write their code as the palette
  // index (shadows and outlines) instead of index 0.
  bool keepSpecial = false;
};

}  // namespace dw
