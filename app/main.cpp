// Duskweave: a window program that converts DEF sprite archives into 8-bit BMP
// images.
#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/program.h"
#include "ui/window_layer.h"

#ifndef DUSKWEAVE_VERSION
#define DUSKWEAVE_VERSION "unknown"
#endif

int main(int argc, char** argv) {
  const dw::CommandLine line = dw::ParseCommandLine(argc, argv);
  switch (line.action) {
    case dw::CommandLine::Action::Help:
      std::fputs(dw::UsageText().c_str(), stdout);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case dw::CommandLine::Action::Version:
      std::printf("duskweave %s\n", DUSKWEAVE_VERSION);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case dw::CommandLine::Action::Wrong:
      std::fprintf(stderr, "duskweave: %s\nTry 'duskweave --help'.\n", line.problem.c_str());
      return 2;
    case dw::CommandLine::Action::Run:
      break;
  }
  // Qt aborts the process when it finds no display; say so plainly instead.
  if (!dw::HasDisplay([](const char* name) { return std::getenv(name); })) {
    std::fputs("duskweave: no display to show a window on (DISPLAY and WAYLAND_DISPLAY are unset)\n",
               stderr);
    return 1;
  }
  dw::ui::Control& application = dw::ui::CreateApplication("Larkspin");
  dw::CreateProgramWindows(application).startArchive = line.file;
  dw::ui::RunMessageLoop(application);
  return 0;
}
