#include <cstdio>
#include <filesystem>
#include <system_error>

#include "archive/conversion_state.h"
#include "archive/text_encoding.h"
#include "cli/archive_report.h"
#include "cli/commands.h"
#include "cli/open_archive.h"
#include "image/bitmap.h"
#include "image/compose.h"

namespace dw::cli {

int RunStrip(const StripRequest& request, Messages& messages) {
  ConversionState state;
  const std::optional<Diagnostics> load = OpenArchive(state, request.archive, messages);
  if (!load) return messages.ExitStatus();
  std::vector<std::string> names;
  for (int32_t i = 0; i < state.frameCount; ++i)
    names.push_back(Cp1251ToUtf8(state.frames[i].name));
  const ResolvedFrames resolved = ResolveFrames(request.frames, names);
  for (const std::string& missing : resolved.outOfRange) {
    messages.Error(request.archive + ": no frame " + missing + " (the archive has " +
                   std::to_string(names.size()) + " frames)");
  }
  if (resolved.indices.empty()) {
    messages.Error(request.archive + ": no frames to join");
    return messages.ExitStatus();
  }
  Diagnostics decoded;
  const std::unique_ptr<Bitmap> strip =
      ComposeStrip(state, resolved.indices, request.separator, &decoded);
  // The decoder names frames by index; add the name, as export does.
  for (const std::string& problem : decoded.problems) {
    std::string text = problem;
    int32_t index = -1;
    const size_t colon = problem.find(": ");
    if (colon != std::string::npos && std::sscanf(problem.c_str(), "frame %d", &index) == 1 &&
        index >= 0 && index < state.frameCount &&
        problem.compare(0, colon, "frame " + std::to_string(index)) == 0) {
      text = "frame " + std::to_string(index) + " (" +
             PrintableName(Cp1251ToUtf8(state.frames[size_t(index)].name)) + ")" +
             problem.substr(colon);
    }
    messages.Damage(request.archive + ": " + text);
  }
  if (decoded.cannotOpen) {
    messages.Error(request.archive + ": the archive can no longer be read");
    return messages.ExitStatus();
  }
  if (!strip || strip->Empty()) {
    messages.Error(request.archive + ": the first frame has no image, so the strip is empty");
    return messages.ExitStatus();
  }
  // SaveToFile says nothing when it fails: clear the way first, then check
  // that the whole image arrived.
  std::error_code ec;
  if (std::filesystem::is_regular_file(request.output, ec))
    std::filesystem::remove(request.output, ec);
  strip->SaveToFile(request.output);
  const auto expected =
      static_cast<std::uintmax_t>(1078) + static_cast<std::uintmax_t>(strip->dibSize());
  const std::uintmax_t written = std::filesystem::file_size(request.output, ec);
  if (ec || written != expected) {
    messages.Error(request.output + ": cannot write the strip");
  }
  return messages.ExitStatus();
}

}  // namespace dw::cli
