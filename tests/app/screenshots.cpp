// Takes the screenshots of the window program that docs/ shows. Run on a real
// X display: app_screenshots SAMPLES_FOLDER OUTPUT_FOLDER (the samples folder
// holds knight.def).
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/about_window.h"
#include "app/program.h"
#include "app/wait_window.h"
#include "tests/ui_driver/ui_driver.h"

namespace dw {
namespace {

int TakeScreenshots(const std::string& samples, const std::string& out) {
  ui::Control& application = ui::CreateApplication("Larkspin");
  MainWindow& window = CreateProgramWindows(application);
  const std::string folder = std::filesystem::absolute(samples).lexically_normal().string();
  ui::SetDialogAnswerer([&](const ui::DialogRequest&) { return std::optional(folder); });
  testing::ShowWindows(application);
  testing::ProcessEvents(300);
  bool saved = testing::SavePng(*window.form, out + "/main-window.png");

  ui::SetVisible(*aboutWindow->form, true);
  testing::ProcessEvents(300);
  saved &= testing::SavePng(*aboutWindow->form, out + "/about-window.png");
  ui::SetVisible(*aboutWindow->form, false);

  ui::PerformClick(*window.browseButton);
  testing::ClickItem(*window.defList, 0);
  testing::ClickItem(*window.frameList, 6);  // a step of the walk
  testing::ProcessEvents(300);
  saved &= testing::SavePng(*window.form, out + "/frame-preview.png");

  for (int frame : {4, 5, 6, 7}) testing::ClickItem(*window.frameList, frame, frame != 4);
  ui::SetClientSize(*window.form, 900, 420);
  ui::CentreOnScreen(*window.form);
  ui::PerformClick(*window.composeButton);
  testing::ProcessEvents(300);
  saved &= testing::SavePng(*window.form, out + "/composed-strip.png");

  ShowWaitMessage("Сохраняем спрайты...");
  saved &= testing::SavePng(*waitWindow->form, out + "/wait-window.png");
  HideWait();

  ui::SetDialogAnswerer(nullptr);
  testing::FreeApplication(application);
  return saved ? 0 : 1;
}

}  // namespace
}  // namespace dw

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: app_screenshots SAMPLES_FOLDER OUTPUT_FOLDER\n";
    return 2;
  }
  return dw::TakeScreenshots(argv[1], argv[2]);
}
