#include "app/command_line.h"

namespace dw {

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      return {CommandLine::Action::Help, {}, {}};
    } else if (!optionsEnded && argument == "--version") {
      return {CommandLine::Action::Version, {}, {}};
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      return {CommandLine::Action::Wrong, {}, "unknown option " + argument};
    } else if (!line.file.empty()) {
      return {CommandLine::Action::Wrong, {}, "one DEF file at a time"};
    } else {
      line.file = argument;
    }
  }
  return line;
}

std::string UsageText() {
  return "Usage: duskweave [FILE.def]\n"
         "Shows the frames of DEF sprite archives and saves them as BMP images.\n"
         "With FILE.def, its folder is listed and the file opened.\n"
         "\n"
         "  -h, --help     print this help and exit\n"
         "      --version  print the version and exit\n"
         "\n"
         "duskweave-convert does the same from the command line.\n";
}

bool HasDisplay(const Environment& environment) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = environment(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace dw
