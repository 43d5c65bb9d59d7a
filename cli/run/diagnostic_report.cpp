#include "cli/run/diagnostic_report.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "archive/text_encoding.h"
#include "cli/outputs/archive_report.h"

namespace dw::cli {

std::string SystemReason(int error) {
  return std::strerror(error);
}

std::string CannotWrite(int error) {
  return "cannot write the file: " + SystemReason(error);
}

bool DiskFull(int error) {
  return error == ENOSPC || error == EDQUOT;
}

std::string FrameLabel(const Archive& archive, int32_t frameIndex) {
  std::string label = "frame " + std::to_string(frameIndex);
  if (archive.HasFrame(frameIndex))
    label += " (" + PrintableName(Cp1251ToUtf8(archive.frames[size_t(frameIndex)].name)) + ")";
  return label;
}

std::string DiagnosticLine(const std::string& archivePath, const Archive& archive,
                           const Diagnostic& d) {
  const bool ofFrame = d.frame >= 0;
  switch (d.kind) {
    case DiagnosticKind::CannotOpen:
      return archivePath + (ofFrame ? ": " + FrameLabel(archive, d.frame) +
                                          ": the archive can no longer be read"
                                    : ": cannot open or read the archive");
    case DiagnosticKind::WriteFailed:
      return (d.path.empty() ? archivePath : d.path) +
             (ofFrame ? ": " + FrameLabel(archive, d.frame) : std::string()) + ": " +
             CannotWrite(d.value != 0 ? int(d.value) : EIO);
    case DiagnosticKind::BudgetExhausted:
      return archivePath + ": stopped" +
             (ofFrame ? " at " + FrameLabel(archive, d.frame) : std::string()) +
             ": the output would pass the limit of " + std::to_string(d.value) +
             " bytes for one archive (raise it with --max-output)";
    default:
      break;
  }
  if (!ofFrame) return archivePath + ": damaged archive: " + DescribeDiagnostic(d);
  return archivePath + ": " + FrameLabel(archive, d.frame) + ": " + DescribeDiagnostic(d);
}

void Report(const std::string& archivePath, const Archive& archive, const Diagnostics& found,
            Messages& messages) {
  for (const Diagnostic& d : found.items) {
    const std::string line = DiagnosticLine(archivePath, archive, d);
    if (IsDamage(d.kind)) {
      messages.Damage(line);
    } else {
      messages.Error(line);
    }
  }
}

ProblemReport::ProblemReport(std::string archivePath, const Archive& archive, Messages& messages)
    : path_(std::move(archivePath)), archive_(archive), messages_(messages) {}

ProblemReport::~ProblemReport() {
  Finish();
}

void ProblemReport::Add(const Diagnostics& found) {
  if (finished_) return;
  for (const Diagnostic& d : found.items) {
    if (shown_ < kShownProblems) {
      ++shown_;
      Diagnostics one;
      one.Add(d);
      Report(path_, archive_, one, messages_);
    } else {
      ++hidden_;
      messages_.Fail();
    }
  }
}

void ProblemReport::Finish() {
  if (finished_) return;
  finished_ = true;
  if (hidden_ > 0)
    messages_.Note(path_ + ": and " + std::to_string(hidden_) + " more problem" +
                   (hidden_ == 1 ? "" : "s"));
}

bool ReportSelection(const std::string& archivePath, const Archive& archive,
                     const ResolvedFrames& resolved, Messages& messages) {
  const std::string count = std::to_string(archive.frameCount());
  for (const std::string& missing : resolved.outOfRange)
    messages.Error(archivePath + ": no frame " + missing + " (the archive has " + count +
                   " frames)");
  if (!resolved.pastEnd.empty()) {
    std::string ranges;
    for (const std::string& range : resolved.pastEnd)
      ranges += (ranges.empty() ? "" : ", ") + range;
    messages.Note(archivePath + ": --frames " + ranges +
                  " reaches past the last frame (the archive has " + count +
                  " frames); the frames that exist are used");
  }
  if (!resolved.unmatched.empty()) {
    std::string hint;
    const int32_t shown = std::min<int32_t>(archive.frameCount(), 5);
    for (int32_t i = 0; i < shown; ++i)
      hint += (i > 0 ? ", " : "") + PrintableName(Cp1251ToUtf8(archive.frames[size_t(i)].name));
    if (archive.frameCount() > shown) hint += ", ...";
    for (const std::string& pattern : resolved.unmatched) {
      messages.Error(archivePath + ": no frame matches '" + PrintableName(pattern) + "'" +
                     (shown > 0 ? " (its frames: " + hint + ")" : " (the archive has no frames)"));
    }
  }
  return !resolved.outOfRange.empty() || !resolved.unmatched.empty();
}

std::string ProblemText(const Archive& archive, const Diagnostic& diagnostic) {
  const std::string line = DiagnosticLine("", archive, diagnostic);
  return line.rfind(": ", 0) == 0 ? line.substr(2) : line;
}

}  // namespace dw::cli
