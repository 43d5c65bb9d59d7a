// The one conversion state of the window program. Every handler reaches the
// open archive, its frame table and the shown image through it.
#pragma once

#include "app/conversion_state.h"
#include "image/bitmap.h"

namespace dw {

ConversionState& ProgramState();

// The image the preview shows (composite); created on first use when the main
// window has not prepared it yet.
Bitmap& ShownImage();

}  // namespace dw
