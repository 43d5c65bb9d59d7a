#include "app/program_state.h"

namespace dw {

ConversionState& ProgramState() {
  static ConversionState state;
  return state;
}

Bitmap& ShownImage() {
  ConversionState& state = ProgramState();
  if (!state.composite) state.composite = CreateBitmap(1, 1);
  return *state.composite;
}

}  // namespace dw
