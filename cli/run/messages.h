// What the converter tells the user on stderr. Errors and warnings are always
// shown; --quiet drops the closing summary and the progress line. Anything
// that makes the run fail (an error, a damaged archive) sets the exit status 1.
#pragma once

#include <ostream>
#include <sstream>
#include <string>

#include "cli/run/progress.h"

namespace dw::cli {

class Messages {
 public:
  Messages(std::ostream& err, bool quiet, bool terminal);

  void Error(const std::string& text);
  // A warning about damage: the archive was converted as far as it goes.
  void Damage(const std::string& text);
  // A warning that does not fail the run.
  void Note(const std::string& text);
  void Summary(const std::string& text);
  // Fails the run without printing (a problem counted but not shown).
  void Fail() { failed_ = true; }
  void Progress(const std::string& text) { progress_.Update(text); }
  // Prints what another Messages printed into a buffer (one archive of a
  // batch), failing the run when it failed.
  void Forward(const std::string& printed, bool failed);

  bool failed() const { return failed_; }
  bool quiet() const { return quiet_; }
  int ExitStatus() const { return failed_ ? 1 : 0; }

 private:
  void Print(const char* kind, const std::string& text);

  std::ostream& err_;
  bool quiet_;
  ProgressLine progress_;
  bool failed_ = false;
};

// The messages of one archive of a batch, kept until the batch prints them in
// input order: no progress line, and quiet when the batch is.
struct MessageBuffer {
  explicit MessageBuffer(bool quiet) : messages(printed, quiet, false) {}
  std::ostringstream printed;
  Messages messages;
};

inline constexpr const char* kProgramName = "duskweave-convert";

}  // namespace dw::cli
