#include <filesystem>
#include <system_error>

#include "archive/archive.h"
#include "archive/bmp_layout.h"
#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
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
  for (const std::string& missing : resolved.outOfRange) {
    messages.Error(request.archive + ": no frame " + missing + " (the archive has " +
                   std::to_string(archive.frameCount()) + " frames)");
  }
  if (resolved.indices.empty()) {
    messages.Error(request.archive + ": no frames to join");
    return messages.ExitStatus();
  }
  DecodeBudget budget = DecodeBudget::ForInput(int64_t(opened->bytes->size()), request.maxOutput);
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
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.flush();
    if (!out) messages.Error("cannot write the strip to standard output");
    return messages.ExitStatus();
  }
  // SaveToFile says nothing when it fails: clear the way first, then check
  // that the whole image arrived.
  std::error_code ec;
  if (std::filesystem::is_regular_file(request.output, ec))
    std::filesystem::remove(request.output, ec);
  strip->SaveToFile(request.output);
  const auto expected = static_cast<std::uintmax_t>(kBmpPixelOffset) +
                        static_cast<std::uintmax_t>(strip->dibSize());
  const std::uintmax_t written = std::filesystem::file_size(request.output, ec);
  if (ec || written != expected) {
    messages.Error(request.output + ": cannot write the strip");
  }
  return messages.ExitStatus();
}

}  // namespace dw::cli
