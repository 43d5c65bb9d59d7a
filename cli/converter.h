// duskweave-convert: lists DEF sprite archives and converts their frames to
// BMP or PNG files, or joins frames into one strip. The whole program behind
// main(), callable in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace dw::cli {

struct Terminal {
  bool stderrIsTerminal = false;  // enables the progress line
  bool stdoutIsTerminal = false;  // strip refuses to write an image there
};

// args: the arguments without the program name. Returns the exit status:
// 0 success, 1 an archive unreadable or damaged or a file not written, 2 wrong usage,
// 130 stopped by an interrupt (SIGINT or SIGTERM; see StopOnSignals).
int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const Terminal& terminal = {});

}  // namespace dw::cli
