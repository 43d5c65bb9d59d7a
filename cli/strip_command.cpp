
#include "archive/archive.h"
#include "archive/bmp_layout.h"
#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/stop_request.h"
#include "archive/stream.h"
#include "archive/text_encoding.h"
#include "cli/commands.h"
#include "cli/diagnostic_report.h"
#include "cli/open_archive.h"
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
  const int64_t limit = request.maxOutput > 0
                            ? request.maxOutput
                            : DecodeBudget::LimitFor(int64_t(opened->bytes->size()));
  DecodeBudget budget(limit);
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

}  // namespace dw::cli
