// What the reader found wrong with a damaged archive or frame. The window
// program ignores it; the command-line converter prints it.
#pragma once

#include <string>
#include <vector>

namespace dw {

struct Diagnostics {
  bool cannotOpen = false;            // the file could not be opened or read
  std::vector<std::string> problems;  // one sentence each, lower case, no final stop

  bool ok() const { return !cannotOpen && problems.empty(); }
  void Add(std::string problem) { problems.push_back(std::move(problem)); }
};

}  // namespace dw
