// How the converter words what the core found: every diagnostic of an
// archive reaches stderr through Report, so the wording lives here alone.
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive.h"
#include "archive/diagnostics.h"
#include "cli/inputs/frame_selection.h"
#include "cli/run/lod_problem.h"
#include "cli/run/write_problem.h"
#include "cli/run/messages.h"

namespace dw::cli {

// The system's words for an error number: "No space left on device".
std::string SystemReason(int error);

// "cannot write the file: reason", for every output file that failed.
std::string CannotWrite(int error);

// A LOD container's or entry's problem in one sentence, lower case, without
// the path: "the zlib stream ends after 10 bytes of the stated 900 bytes".
std::string DescribeLodProblem(const LodProblem& problem);

// Why a file was not written, without the path: "cannot write the file: No
// space left on device".
std::string DescribeWriteProblem(const WriteProblem& problem);

// Whether an error number means the disk (or the user's quota) is full, after
// which no later file can be written either.
bool DiskFull(int error);

// "frame 3 (walk01.pcx)", the name shown safely for a terminal.
std::string FrameLabel(const Archive& archive, int32_t frameIndex);

// The line for one diagnostic of the archive at archivePath, without the
// program's name and kind.
std::string DiagnosticLine(const std::string& archivePath, const Archive& archive,
                           const Diagnostic& diagnostic);

// Prints each diagnostic: damage as a warning that fails the run, an archive
// that cannot be read, a file that cannot be written and an exhausted budget
// as errors.
void Report(const std::string& archivePath, const Archive& archive, const Diagnostics& found,
            Messages& messages);

// One archive's problems as they are found, frame by frame: the first
// kShownProblems are printed, the rest are counted and summed up in one line
// ("units.def: and 112 more problems") when the report ends, so a badly
// damaged archive stays readable. Every problem still counts for the exit
// status. The report borrows the archive and the messages.
class ProblemReport {
 public:
  static constexpr int kShownProblems = 20;
  ProblemReport(std::string archivePath, const Archive& archive, Messages& messages);
  ~ProblemReport();
  ProblemReport(const ProblemReport&) = delete;
  ProblemReport& operator=(const ProblemReport&) = delete;

  void Add(const Diagnostics& found);
  // Prints the closing line now (once); later problems are not counted.
  void Finish();

 private:
  std::string path_;
  const Archive& archive_;
  Messages& messages_;
  int shown_ = 0;
  int64_t hidden_ = 0;
  bool finished_ = false;
};

// Reports what --frames asked for and the archive lacks: indices past its end
// and patterns that match nothing are errors (with the archive's first names
// as a hint), a range reaching past the end one warning. True when there was
// an error.
bool ReportSelection(const std::string& archivePath, const Archive& archive,
                     const ResolvedFrames& resolved, Messages& messages);

// The text of a problem as stderr shows it, without the archive's path in
// front, for JSON reports that list the same problems.
std::string ProblemText(const Archive& archive, const Diagnostic& diagnostic);

}  // namespace dw::cli
