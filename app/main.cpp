// Duskweave: a window program that converts DEF sprite archives into 8-bit BMP
// images.
#include "app/program.h"
#include "ui/window_layer.h"

int main() {
  dw::ui::Control& application = dw::ui::CreateApplication("Larkspin");
  dw::CreateProgramWindows(application);
  dw::ui::RunMessageLoop(application);
  return 0;
}
