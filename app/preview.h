// The preview: the shown image (the current frame, or the last composed
// strip) drawn 1:1 at the top left of the scrolling preview box. The paint
// area always takes the image's exact size.
#pragma once

#include "app/main_window_record.h"

namespace dw {

// Selection-change handler of the frame list: decodes the focused frame,
// selected or not, and shows it at once. Nothing changes while no DEF file or
// no frame is current.
void PreviewCurrentFrame(MainWindow& window, ui::Control& sender);

// Paint handler of the preview area: draws the shown image without decoding;
// before anything was shown the area shrinks to width 0.
void PaintPreview(MainWindow& window, ui::Control& sender);

// Sizes the preview area to the shown image and draws it there at once.
void ShowShownImage(MainWindow& window);

}  // namespace dw
