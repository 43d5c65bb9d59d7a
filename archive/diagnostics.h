// What the reader found wrong with a damaged archive or frame. The window
// program ignores it; the command-line converter prints it.
#pragma once

#include <string>
#include <vector>

namespace dw {

struct Diagnostics {
  bool cannotOpen = false;            // the file could not be opened or read
  bool writeFailed = false;           // the output could not be created or written in full
  std::vector<std::string> problems;  // what is damaged: one sentence each, lower case, no final stop

  bool ok() const { return !cannotOpen && !writeFailed && problems.empty(); }
  void Add(std::string problem) { problems.push_back(std::move(problem)); }
};

}  // namespace dw
