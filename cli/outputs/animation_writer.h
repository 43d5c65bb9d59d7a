// Animated GIF and WebP files of decoded frames, for looking at a block's
// animation. Every frame is drawn on one canvas of the given size at its top
// left corner; whatever a frame does not cover is transparent, and no frame
// shows through the next. Every entry is a frame of its own, repeats too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/indexed_image.h"
#include "archive/palette.h"
#include "archive/stream.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "cli/run/write_problem.h"

namespace dw::cli {

struct Animation {
  int32_t width = 0, height = 0;  // the canvas
  Palette palette{};
  std::vector<const IndexedImage*> frames;  // in playing order; repeats allowed
  int delayMs = 100;
  std::array<Rgba, 256> colours{};  // WebP: the colour of each index
};

// The shortest GIF delay browsers play as given; shorter ones they slow down.
inline constexpr int kMinGifDelayMs = 20;
// The GIF delay of delayMs, in hundredths of a second: rounded to the
// nearest, at least kMinGifDelayMs.
int GifDelay(int delayMs);

// What the WebP encoder holds while it encodes the animation, as far as it
// can be known beforehand: the canvas we draw, its copy in the picture and
// the encoder's own canvases, candidates and lossless work buffers.
int64_t WebpEncoderBytes(const Animation& animation);

// Each encodes the animation into the file and returns an empty string, or
// what the encoder refused (a failed write is the file's own error).
// GIF: one global colour table, index 0 transparent, looping forever; delays
// as GifDelay gives them.
WriteResult WriteGif(AtomicFile& file, const Animation& animation);
// WebP: lossless RGBA frames through colours, looping forever.
WriteResult WriteWebp(AtomicFile& file, const Animation& animation);

}  // namespace dw::cli
