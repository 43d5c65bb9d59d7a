#include "archive/stop_request.h"

#include <csignal>

namespace dw {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) {
  stopRequested = 1;
}

}  // namespace

void StopOnSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void RequestStop() {
  stopRequested = 1;
}

bool StopRequested() {
  return stopRequested != 0;
}

void ClearStopRequest() {
  stopRequested = 0;
}

}  // namespace dw
