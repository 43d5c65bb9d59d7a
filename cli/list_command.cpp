#include "cli/archive_report.h"
#include "cli/commands.h"
#include "cli/diagnostic_report.h"
#include "cli/lod_listing.h"
#include "cli/open_archive.h"

namespace dw::cli {
namespace {

// One archive's report, with every problem stderr shows also in the JSON.
std::optional<nlohmann::ordered_json> ListOne(const std::string& path, bool json,
                                              std::ostream& out, Messages& messages) {
  if (IsLodContainerInput(path)) return ListLodContainer(path, json, out, messages);
  std::optional<OpenedArchive> opened = OpenArchive(path, messages);
  if (!opened) return std::nullopt;
  const ArchiveReport report = ReportArchive(opened->archive, *opened->bytes);
  // Heads outside the file are damage the listing itself finds.
  Diagnostics heads;
  for (int32_t i = 0; i < report.frameCount(); ++i) {
    const FrameReport frame = report.frame(i);
    if (frame.head) continue;
    Diagnostic d;
    d.kind = DiagnosticKind::FrameHeadOutside;
    d.frame = frame.index;
    d.value = frame.offset;
    heads.Add(d);
  }
  {
    ProblemReport problems(path, opened->archive, messages);
    problems.Add(heads);
  }
  if (!json) {
    PrintReport(report, out);
    return nlohmann::ordered_json();
  }
  nlohmann::ordered_json result = ReportToJson(report);
  for (const Diagnostics* found : {&opened->load, &heads})
    for (const Diagnostic& d : found->items)
      result["problems"].push_back(ProblemText(opened->archive, d));
  return result;
}

}  // namespace

int RunList(const ListRequest& request, std::ostream& out, Messages& messages) {
  nlohmann::ordered_json reports = nlohmann::ordered_json::array();
  for (size_t i = 0; i < request.archives.size(); ++i) {
    if (i > 0 && !request.json) out << '\n';
    if (auto report = ListOne(request.archives[i], request.json, out, messages); report && request.json)
      reports.push_back(std::move(*report));
  }
  if (request.json) {
    // One archive gives its object, several an array of them.
    const nlohmann::ordered_json& shown =
        request.archives.size() == 1 && reports.size() == 1 ? reports[0] : reports;
    out << shown.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  }
  return messages.ExitStatus();
}

}  // namespace dw::cli
