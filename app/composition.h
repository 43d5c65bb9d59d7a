// Composing the selected frames side by side into one strip, which becomes the
// shown image (and what a click on the preview saves).
#pragma once

#include "app/main_window_record.h"

namespace dw {

// Click handler of composeButton. Nothing selected: returns at once, without
// the Wait window. Otherwise the selected frames in list order, one empty
// column apart while separatorCheck is checked.
void ComposeSprites(MainWindow& window, ui::Control& sender);

}  // namespace dw
