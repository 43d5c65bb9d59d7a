#include <CLI/CLI.hpp>
#include <memory>
#include <limits>

#include "archive/archive.h"
#include "archive/bmp_layout.h"
#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/stop_request.h"
#include "archive/stream.h"
#include "archive/text_encoding.h"
#include "cli/commands/command.h"
#include "cli/commands/commands.h"
#include "cli/run/shared_options.h"
#include "cli/run/diagnostic_report.h"
#include "cli/inputs/open_archive.h"
#include "image/bitmap.h"
#include "image/compose.h"

namespace dw::cli {

int RunStrip(const StripRequest& request, std::ostream& out, Messages& messages) {
  const std::optional<OpenedArchive> opened = OpenArchive(request.archive, messages, request.maxOutput);
  if (!opened) return messages.ExitStatus();
  const Archive& archive = opened->archive;
  const ResolvedFrames resolved = ResolveFrames(request.frames, archive);
  ReportSelection(request.archive, archive, resolved, messages);
  if (resolved.indices.empty()) {
    messages.Error(request.archive + ": no frames to join");
    return messages.ExitStatus();
  }
  DecodeBudget budget = opened->Budget();
  // The joined image is held whole (twice when it goes to standard output)
  // and written whole: its size, from the heads alone, is drawn first.
  const int64_t height = DecodedImageSize(archive, *opened->bytes, resolved.indices[0]).height;
  int64_t width = 0;
  for (size_t k = 0; k < resolved.indices.size(); ++k)
    width += DecodedImageSize(archive, *opened->bytes, resolved.indices[k]).width +
             (k > 0 && request.separator ? 1 : 0);
  const int64_t most = std::numeric_limits<int64_t>::max() / 4;
  const int64_t pixels = width > std::numeric_limits<int32_t>::max() ||
                                 (height > 0 && StrideOf(width) > most / height)
                             ? most
                             : StrideOf(width) * height;
  if (!budget.ReserveDecoded(pixels * (request.output == "-" ? 2 : 1)) ||
      !budget.ReserveWritten(kBmpPixelOffset + pixels)) {
    messages.Error(request.output + ": the strip of " + std::to_string(width) + " x " +
                   std::to_string(height) + " pixels would pass the limit of " +
                   std::to_string(budget.writtenLimit()) + " bytes (raise it with --max-output)");
    return messages.ExitStatus();
  }
  Diagnostics decoded;
  const std::unique_ptr<Bitmap> strip =
      ComposeStrip(archive, opened->bytes, resolved.indices, request.separator, budget, &decoded);
  {
    ProblemReport problems(request.archive, archive, messages);
    problems.Add(decoded);
  }
  if (decoded.budgetExhausted()) return messages.ExitStatus();
  if (!strip || strip->Empty()) {
    const bool firstHasImage =
        DecodedImageSize(archive, *opened->bytes, resolved.indices[0]).height > 0;
    messages.Error(request.archive +
                   (firstHasImage ? ": the strip would be too large to hold (over 256 MiB)"
                                  : ": the first frame has no image, so the strip is empty"));
    return messages.ExitStatus();
  }
  if (request.output == "-") {
    StreamPtr bmp = CreateMemoryStream();
    strip->SaveToStream(*bmp);
    const std::vector<uint8_t>& bytes = *MemoryStreamBytes(*bmp);
    // A failed write to standard output is told once the command ends.
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return messages.ExitStatus();
  }
  if (const int error = strip->SaveToFile(request.output); error != 0 && !StopRequested())
    messages.Error(request.output + ": " + CannotWrite(error));
  return messages.ExitStatus();
}

Command AddStripCommand(CLI::App& app, bool& quiet) {
  struct Options {
    StripRequest request;
    std::string frames;
    bool noSeparator = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand("strip", "Join frames side by side into one BMP image");
  command->add_option("ARCHIVE", options->request.archive, "DEF archive")->required();
  command
      ->add_option("OUTPUT", options->request.output,
                   "BMP file to write, or - for standard output")
      ->required();
  CLI::Option* frames = AddFrames(*command, options->frames,
                                  "Frames in the order to join them, as for export; default: all");
  command->add_flag("--no-separator", options->noSeparator, "Let neighbouring frames touch");
  AddMaxOutput(*command, options->request.maxOutput);
  AddQuiet(*command, quiet);
  command->footer(
      R"(The strip has the height of the first frame; a separator column of index 0
stands between neighbouring frames unless --no-separator is given.

Examples:
  duskweave-convert strip creature.def strip.bmp
  duskweave-convert strip --frames 0,2,5 --no-separator creature.def strip.bmp)");
  return {command, [options, frames](CommandContext& context) {
            StripRequest& request = options->request;
            if (!ReadFramesOption(*frames, options->frames, request.frames, context.err))
              return kUsageStatus;
            request.separator = !options->noSeparator;
            if (request.output == "-" && context.stdoutIsTerminal) {
              context.err << kProgramName << ": error: strip: standard output is a terminal; "
                          << "redirect it to a file or name an output file\n";
              return 1;
            }
            return RunStrip(request, context.out, context.messages);
          }};
}

}  // namespace dw::cli
