#include "cli/commands/command.h"

#include <CLI/CLI.hpp>

#include "cli/run/shared_options.h"

namespace dw::cli {

bool ReadFramesOption(const CLI::Option& option, const std::string& text,
                      FrameSelection& selection, std::ostream& err) {
  if (option.count() == 0) return true;
  std::string error;
  auto parsed = ParseFrameSelection(text, error);
  if (!parsed) {
    UsageError(err, "--frames: " + error);
    return false;
  }
  selection = std::move(*parsed);
  return true;
}

}  // namespace dw::cli
