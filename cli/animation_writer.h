// Animated GIF and WebP files of decoded frames, for looking at a block's
// animation. Every frame is drawn on one canvas of the given size at its top
// left corner; index 0 and whatever a frame does not cover are transparent,
// and no frame shows through the next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/indexed_image.h"
#include "archive/palette.h"
#include "archive/stream.h"

namespace dw::cli {

struct Animation {
  int32_t width = 0, height = 0;  // the canvas
  Palette palette{};
  std::vector<const IndexedImage*> frames;  // in playing order; repeats allowed
  int delayMs = 100;
};

// Each encodes the animation into the file and returns an empty string, or
// what the encoder refused (a failed write is the file's own error).
// GIF: one global colour table, index 0 transparent, looping forever; delays
// are kept to the GIF's hundredths of a second.
std::string WriteGif(AtomicFile& file, const Animation& animation);
// WebP: lossless RGBA frames, looping forever.
std::string WriteWebp(AtomicFile& file, const Animation& animation);

}  // namespace dw::cli
