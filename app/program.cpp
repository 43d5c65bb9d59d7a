#include "app/program.h"

#include "app/about_window.h"
#include "app/wait_window.h"

namespace dw {

MainWindow& CreateProgramWindows(ui::Control& application) {
  MainWindow& mainWindow = CreateMainWindow(application);
  aboutWindow = &CreateAboutWindow(application);
  waitWindow = &CreateWaitWindow(application);
  return mainWindow;
}

}  // namespace dw
