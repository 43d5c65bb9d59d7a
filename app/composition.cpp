#include "app/composition.h"

#include <memory>
#include <vector>

#include "app/frame_selection.h"
#include "app/preview.h"
#include "app/program_state.h"
#include "app/wait_window.h"
#include "archive/stream.h"
#include "image/compose.h"

namespace dw {
namespace {

// The shown image gets its own copy of the strip's pixels and palette; an
// empty strip leaves it empty.
void CopyIntoShownImage(Bitmap* strip) {
  Bitmap& shown = ShownImage();
  shown.Clear();
  if (strip == nullptr || strip->Empty()) return;
  StreamPtr bytes = CreateMemoryStream();
  strip->SaveToStream(*bytes);
  SeekTo(*bytes, 0);
  shown.LoadFromStream(*bytes);
  FreeStream(bytes);
}

}  // namespace

void ComposeSprites(MainWindow& window, ui::Control& /*sender*/) {
  const std::vector<int32_t> frames = SelectedItems(*window.frameList);
  if (frames.empty()) return;
  ShowWaitMessage("Компануем спрайты...");
  const bool separator = ui::IsChecked(*window.separatorCheck);
  ConversionState& state = ProgramState();
  std::unique_ptr<Bitmap> strip = ComposeStrip(state, frames, separator);
  state.hasComposite = true;
  CopyIntoShownImage(strip.get());
  ShowShownImage(window);
  HideWait();
}

}  // namespace dw
