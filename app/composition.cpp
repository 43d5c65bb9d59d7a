#include "app/composition.h"

#include <memory>
#include <vector>

#include "app/frame_selection.h"
#include "app/preview.h"
#include "app/program_state.h"
#include "app/wait_window.h"
#include "image/compose.h"

namespace dw {
namespace {

// The strip becomes the shown image as it is, so that its pixels are held
// once; an empty strip leaves the shown image empty.
void ShowStrip(ConversionState& state, std::unique_ptr<Bitmap> strip) {
  if (strip == nullptr) strip = CreateBitmap(0, 0);
  if (strip->Empty()) strip->Clear();
  state.composite = std::move(strip);
}

}  // namespace

void ComposeSprites(MainWindow& window, ui::Control& /*sender*/) {
  const std::vector<int32_t> frames = SelectedItems(*window.frameList);
  if (frames.empty()) return;
  ShowWaitMessage("Компануем спрайты...");
  const bool separator = ui::IsChecked(*window.separatorCheck);
  ConversionState& state = ProgramState();
  // A budget that runs out stops the composition and keeps what it joined.
  DecodeBudget budget = OperationBudget(state);
  std::unique_ptr<Bitmap> strip =
      ComposeStrip(state.archive, CurrentBytes(state), frames, separator, budget);
  state.hasComposite = true;
  ShowStrip(state, std::move(strip));
  ShowShownImage(window);
  HideWait();
}

}  // namespace dw
