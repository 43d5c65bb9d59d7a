// Running the command-line converter as a child process and reading its peak
// resident memory.
//
// Linux carries a process's peak RSS across fork and exec: a child started by
// this (large) benchmark process would report at least our own peak. So the
// converter is started by a fresh, small copy of this program (exec'd with
// kMeasureChildFlag), which waits for it with wait4 and reports back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dw::bench {

inline constexpr const char* kMeasureChildFlag = "--measure-child";

struct ChildResult {
  bool started = false;
  int exitStatus = -1;  // the exit code; 128 + signal when killed
  int64_t maxRssBytes = 0;
  double wallMs = 0;
  double cpuMs = 0;        // user + system
  std::string stderrHead;  // the first line the child wrote to stderr
};

// Runs argv[0] with argv (no shell) and measures it as described above.
ChildResult RunMeasured(const std::vector<std::string>& argv);

// main() of the small copy: argv is {program, kMeasureChildFlag, log, command...}.
// Prints "<max rss KiB> <exit status> <wall ns> <cpu ns>" on stdout.
int MeasureChildMain(int argc, char** argv);

}  // namespace dw::bench
