// A request to stop the running operation, made by SIGINT or SIGTERM (or a
// test): the handler only sets a flag; long loops (frames, bands of a large
// frame) look at it between steps, abandon the file they have open and
// return what is done.
#pragma once

namespace dw {

// Installs handlers for SIGINT and SIGTERM that request a stop.
void StopOnSignals();
void RequestStop();
bool StopRequested();
// Forgets a request (tests run several operations in one process).
void ClearStopRequest();

// The exit status of a run stopped by a request, as a shell reports a
// program ended by SIGINT.
inline constexpr int kStoppedStatus = 130;

}  // namespace dw
