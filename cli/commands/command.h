// A subcommand as the converter joins it in: each Add...Command declares the
// command's options, help and footer on the program's parser and returns
// how to run it once the arguments are parsed.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "cli/inputs/frame_selection.h"
#include "cli/run/messages.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace dw::cli {

struct CommandContext {
  std::ostream& out;
  std::ostream& err;  // usage errors; everything else goes through messages
  Messages& messages;
  bool stdoutIsTerminal = false;
};

struct Command {
  CLI::App* parser = nullptr;
  // Checks what the parser cannot, then does the work; returns the exit status.
  std::function<int(CommandContext&)> run;
};

// quiet: the flag every command's -q sets.
Command AddListCommand(CLI::App& app, bool& quiet);
Command AddInfoCommand(CLI::App& app, bool& quiet);
Command AddExportCommand(CLI::App& app, bool& quiet);
Command AddStripCommand(CLI::App& app, bool& quiet);
Command AddPackCommand(CLI::App& app, bool& quiet);
Command AddAnimCommand(CLI::App& app, bool& quiet);
Command AddSheetCommand(CLI::App& app, bool& quiet);

// The text of a --frames option read into selection; without the option
// every frame is used, and an empty or malformed list is a usage error
// (false, printed to err).
bool ReadFramesOption(const CLI::Option& option, const std::string& text,
                      FrameSelection& selection, std::ostream& err);

}  // namespace dw::cli
