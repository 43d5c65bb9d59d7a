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

namespace {

std::string Bytes(int64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

}  // namespace

std::string DescribeLodProblem(const LodProblem& p) {
  switch (p.kind) {
    case LodProblemKind::NotAContainer:
      return "not a LOD container (it does not start with \"LOD\")";
    case LodProblemKind::HeadCutOff:
      return "the container's head is cut off (" + Bytes(p.bytes) + " of " + Bytes(p.of) + ")";
    case LodProblemKind::TableTooLong:
      return "the table claims " + std::to_string(p.bytes) +
             " entries, but the file has room for " + std::to_string(p.of);
    case LodProblemKind::DataOutside:
      return "the entry's data (" + Bytes(p.bytes) + " at offset " + std::to_string(p.offset) +
             ") lies outside the file (" + Bytes(p.of) + ")";
    case LodProblemKind::OverLimit:
      return "the entry holds " + Bytes(p.bytes) + " once uncompressed, over the limit of " +
             Bytes(p.of);
    case LodProblemKind::ContainerOverLimit:
      return "the container's entries would inflate past the limit of " + std::to_string(p.of) +
             " bytes for one container (raise it with --max-output)";
    case LodProblemKind::CannotInflate:
      return "cannot start inflating the entry";
    case LodProblemKind::InflatesPast:
      return "the zlib stream inflates past the entry's stated size of " + Bytes(p.of);
    case LodProblemKind::EndsShort:
      return "the zlib stream ends after " + Bytes(p.bytes) + " of the stated " + Bytes(p.of);
    case LodProblemKind::CutOff:
      return "the zlib stream is cut off after " + Bytes(p.bytes) + " of the stated " +
             Bytes(p.of);
    case LodProblemKind::StreamDamaged:
      return "the zlib stream is damaged" + (p.detail.empty() ? "" : " (" + p.detail + ")");
  }
  return "the LOD container is damaged";
}

std::string DescribeWriteProblem(const WriteProblem& p) {
  switch (p.kind) {
    case WriteProblemKind::SystemRefused:
      return CannotWrite(p.code);
    case WriteProblemKind::PngSize:
      return "an image of " + std::to_string(p.width) + " x " + std::to_string(p.height) +
             " pixels cannot be stored as PNG";
    case WriteProblemKind::GifSize:
      return "a GIF needs 1 to 65535 pixels a side and at least one frame";
    case WriteProblemKind::WebpSize:
      return "a WebP needs 1 to 16383 pixels a side and at least one frame";
    case WriteProblemKind::EncoderRefused:
      return p.detail;
    case WriteProblemKind::LibraryMismatch:
      return "the WebP library does not match its headers";
    case WriteProblemKind::OutOfMemory:
      return "out of memory";
    case WriteProblemKind::AnimationSetUp:
      return "cannot set up the animation";
    case WriteProblemKind::FrameNotEncoded:
      return "cannot encode a frame";
    case WriteProblemKind::FrameNotAdded:
      return "cannot add a frame";
    case WriteProblemKind::AnimationNotAssembled:
      return "cannot assemble the animation";
  }
  return "cannot write the file";
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
