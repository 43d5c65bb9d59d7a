#include "cli/archive_report.h"
#include "cli/commands.h"
#include "cli/diagnostic_report.h"
#include "cli/open_archive.h"

namespace dw::cli {

int RunList(const ListRequest& request, std::ostream& out, Messages& messages) {
  std::optional<OpenedArchive> opened = OpenArchive(request.archive, messages);
  if (!opened) return messages.ExitStatus();
  const ArchiveReport report = ReportArchive(opened->archive, *opened->bytes);
  // Heads outside the file are damage the listing itself finds.
  Diagnostics found = opened->load;
  Diagnostics heads;
  for (const FrameReport& frame : report.frames) {
    if (frame.head) continue;
    Diagnostic d;
    d.kind = DiagnosticKind::FrameHeadOutside;
    d.frame = frame.index;
    d.value = frame.offset;
    heads.Add(d);
  }
  Report(request.archive, opened->archive, heads, messages);
  found.Append(heads);
  if (request.json) {
    out << ReportToJson(report, found)
               .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << '\n';
  } else {
    out << FormatReport(report);
  }
  return messages.ExitStatus();
}

}  // namespace dw::cli
