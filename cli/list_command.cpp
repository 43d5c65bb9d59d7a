#include "archive/conversion_state.h"
#include "cli/archive_report.h"
#include "cli/commands.h"
#include "cli/open_archive.h"

namespace dw::cli {

int RunList(const ListRequest& request, std::ostream& out, Messages& messages) {
  ConversionState state;
  const std::optional<Diagnostics> load = OpenArchive(state, request.archive, messages);
  if (!load) return messages.ExitStatus();
  const ArchiveReport report = ReportArchive(state);
  for (const FrameReport& frame : report.frames) {
    if (frame.head) continue;
    messages.Damage(request.archive + ": damaged archive: frame " + std::to_string(frame.index) +
                    " (" + PrintableName(frame.name) + "): head at " +
                    std::to_string(frame.offset) + " lies outside the file");
  }
  if (request.json) {
    out << ReportToJson(report, *load)
               .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << '\n';
  } else {
    out << FormatReport(report);
  }
  return messages.ExitStatus();
}

}  // namespace dw::cli
