#include "cli/run/messages.h"

namespace dw::cli {

Messages::Messages(std::ostream& err, bool quiet, bool terminal)
    : err_(err), quiet_(quiet), progress_(err, terminal && !quiet) {}

void Messages::Print(const char* kind, const std::string& text) {
  progress_.Finish();
  err_ << kProgramName << ": " << kind << text << '\n';
}

void Messages::Error(const std::string& text) {
  failed_ = true;
  Print("error: ", text);
}

void Messages::Damage(const std::string& text) {
  failed_ = true;
  Print("warning: ", text);
}

void Messages::Note(const std::string& text) {
  Print("warning: ", text);
}

void Messages::Forward(const std::string& printed, bool failed) {
  failed_ = failed_ || failed;
  if (printed.empty()) return;
  progress_.Finish();
  err_ << printed;
}

void Messages::Summary(const std::string& text) {
  if (quiet_) return;
  Print("", text);
}

}  // namespace dw::cli
