#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "archive/stop_request.h"
#include "cli/converter.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  dw::cli::Terminal terminal;
  terminal.stderrIsTerminal = ::isatty(STDERR_FILENO) == 1;
  terminal.stdoutIsTerminal = ::isatty(STDOUT_FILENO) == 1;
  dw::StopOnSignals();
  return dw::cli::RunConverter(args, std::cout, std::cerr, terminal);
}
