#include "app/preview.h"

#include "app/program_state.h"
#include "image/compose.h"

namespace dw {

void PreviewCurrentFrame(MainWindow& window, ui::Control& /*sender*/) {
  if (ui::CurrentIndex(*window.defList) < 0) return;
  const int frame = ui::CurrentIndex(*window.frameList);
  if (frame < 0) return;
  ConversionState& state = ProgramState();
  DecodeBudget budget = OperationBudget(state);
  LoadFrameBitmap(state.archive, CurrentBytes(state), frame, ShownImage(), &budget);
  state.hasComposite = true;  // even when the frame gave no image
  ShowShownImage(window);
}

void PaintPreview(MainWindow& window, ui::Control& /*sender*/) {
  if (ProgramState().hasComposite) {
    const Bitmap& image = ShownImage();
    if (!image.Empty()) image.Draw(ui::SurfaceOf(*window.previewArea), 0, 0);
  } else {
    ui::SetControlWidth(*window.previewArea, 0);
  }
}

void ShowShownImage(MainWindow& window) {
  const Bitmap& image = ShownImage();
  ui::Control& area = *window.previewArea;
  ui::SetControlWidth(area, image.Width());
  ui::SetControlHeight(area, image.Height());
  if (!image.Empty()) image.Draw(ui::SurfaceOf(area), 0, 0);
}

}  // namespace dw
