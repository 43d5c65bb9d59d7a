// The program's windows, as start-up makes them: the main window, then the
// About and Wait windows, all under the application object. The About and
// Wait records become the process-wide ones the handlers use.
#pragma once

#include "app/main_window.h"

namespace dw {

MainWindow& CreateProgramWindows(ui::Control& application);

}  // namespace dw
