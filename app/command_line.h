// What the window program does with its command line: --help and --version
// answer and end at once, without a display; a file argument is opened at
// start-up as if the user had chosen its folder with "..." and clicked it.
#pragma once

#include <functional>
#include <string>

namespace dw {

struct CommandLine {
  enum class Action { Run, Help, Version, Wrong } action = Action::Run;
  std::string file;     // Run: the DEF file to open, or empty
  std::string problem;  // Wrong: what is wrong with the arguments
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// The --help text, ending in a newline.
std::string UsageText();

// Whether a window can be shown at all: some display is named in the
// environment, or Qt is told which platform to use.
using Environment = std::function<const char*(const char* name)>;
bool HasDisplay(const Environment& environment);

}  // namespace dw
