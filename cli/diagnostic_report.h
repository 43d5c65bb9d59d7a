// How the converter words what the core found: every diagnostic of an
// archive reaches stderr through Report, so the wording lives here alone.
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive.h"
#include "archive/diagnostics.h"
#include "cli/messages.h"

namespace dw::cli {

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

}  // namespace dw::cli
