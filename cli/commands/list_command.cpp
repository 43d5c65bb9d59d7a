#include <CLI/CLI.hpp>

#include "cli/outputs/archive_report.h"
#include "cli/commands/command.h"
#include "cli/commands/commands.h"
#include "cli/run/shared_options.h"
#include "cli/run/diagnostic_report.h"
#include "cli/outputs/lod_entry_export.h"
#include "cli/inputs/lod_input.h"
#include "cli/outputs/lod_listing.h"
#include "cli/inputs/open_archive.h"

#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace dw::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& json) {
  return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

// text with margin after every line break (its first line is already placed).
void WriteIndented(std::ostream& out, const std::string& text, const std::string& margin) {
  size_t from = 0;
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', from)) {
    out.write(text.data() + from, std::streamsize(at + 1 - from));
    out << margin;
    from = at + 1;
  }
  out.write(text.data() + from, std::streamsize(text.size() - from));
}

// Stands for the frames while the rest of an archive's object is dumped. A
// string value cannot contain a raw line break, so the line below is found
// only where the frames belong.
constexpr const char* kFramesMark = "\x01" "frames" "\x01";

// The archive's JSON object as the whole document's dump would show it at
// margin, with its frames dumped one at a time instead of held as one
// document: 100,000 frames would take several times the archive's memory.
void WriteReportJson(const ArchiveReport& report, Json object, const std::string& margin,
                     std::ostream& out) {
  object["frames"] = kFramesMark;
  const std::string text = Dump(object);
  const std::string mark = "\n  \"frames\": \"\\u0001frames\\u0001\"";
  const size_t at = text.find(mark);
  const size_t valueAt = at + mark.size() - std::string("\"\\u0001frames\\u0001\"").size();
  WriteIndented(out, text.substr(0, valueAt), margin);
  if (report.frameCount() == 0) {
    out << "[]";
  } else {
    const std::string itemMargin = margin + "    ";
    out << "[\n" << itemMargin;
    for (int32_t i = 0; i < report.frameCount(); ++i) {
      if (i > 0) out << ",\n" << itemMargin;
      WriteIndented(out, Dump(FrameToJson(report.frame(i))), itemMargin);
    }
    out << '\n' << margin << "  ]";
  }
  WriteIndented(out, text.substr(at + mark.size()), margin);
}

// One archive's report, with every problem stderr shows also in the JSON;
// false when the archive could not be listed. JSON goes to out at margin.
bool ListOne(const std::string& path, bool json, const std::string& margin, std::ostream& out,
             Messages& messages) {
  if (IsLodContainerInput(path)) {
    const std::optional<Json> lod = ListLodContainer(path, json, out, messages);
    if (lod && json) WriteIndented(out, Dump(*lod), margin);
    return lod.has_value();
  }
  if (const std::optional<ResolvedLodInput> entry = ResolveLodInput(path);
      entry && KindOfEntry(entry->entry()) != LodEntryKind::Def) {
    const std::optional<Json> file = ListLodFile(path, json, out, messages);
    if (file && json) WriteIndented(out, Dump(*file), margin);
    return file.has_value();
  }
  // list takes no --max-output: a LOD entry inflates within the default.
  std::optional<OpenedArchive> opened = OpenArchive(path, messages, 0);
  if (!opened) return false;
  const ArchiveReport report = ReportArchive(opened->archive, *opened->bytes);
  // Heads outside the file are damage the listing itself finds.
  Diagnostics heads;
  for (int32_t i = 0; i < report.frameCount(); ++i) {
    const FrameReport frame = report.frame(i);
    if (frame.head) continue;
    heads.Add(MakeDiagnostic(DiagnosticKind::FrameHeadOutside, frame.index, frame.offset));
  }
  {
    ProblemReport problems(path, opened->archive, messages);
    problems.Add(heads);
  }
  if (!json) {
    PrintReport(report, out);
    return true;
  }
  Json result = ReportHeadToJson(report);
  for (const Diagnostics* found : {&opened->load, &heads})
    for (const Diagnostic& d : found->items)
      result["problems"].push_back(ProblemText(opened->archive, d));
  WriteReportJson(report, std::move(result), margin, out);
  return true;
}

}  // namespace

int RunList(const ListRequest& request, std::ostream& out, Messages& messages) {
  // One archive gives its object, several an array of them (an empty one when
  // none could be listed), written as each archive is read.
  const bool single = request.archives.size() == 1;
  bool listed = false;
  for (size_t i = 0; i < request.archives.size(); ++i) {
    if (!request.json) {
      if (i > 0) out << '\n';
      ListOne(request.archives[i], false, "", out, messages);
      continue;
    }
    if (single) {
      listed = ListOne(request.archives[i], true, "", out, messages);  // writes nothing on failure
      continue;
    }
    // The separator goes out before the archive, which may fail: an object
    // is written only after it was read, so its text is gathered first.
    std::ostringstream one;
    if (!ListOne(request.archives[i], true, "  ", one, messages)) continue;
    out << (listed ? ",\n  " : "[\n  ") << one.str();
    listed = true;
  }
  if (request.json) {
    if (!listed) out << "[]";
    else if (!single) out << "\n]";
    out << '\n';
  }
  return messages.ExitStatus();
}

namespace {

Command AddReportCommand(CLI::App& app, bool& quiet, bool info) {
  auto request = std::make_shared<ListRequest>();
  CLI::App* command =
      info ? app.add_subcommand("info", "Show what list shows, optionally as JSON")
           : app.add_subcommand("list", "Show an archive's head and its frames");
  command->add_option("ARCHIVE", request->archives, "DEF archives")->required()->expected(1, -1);
  if (info) command->add_flag("--json", request->json, "Print JSON instead of a table");
  AddQuiet(*command, quiet);
  command->footer(info ? "Example:\n  duskweave-convert info --json creature.def"
                       : "Example:\n  duskweave-convert list creature.def");
  return {command, [request](CommandContext& context) {
            return RunList(*request, context.out, context.messages);
          }};
}

}  // namespace

Command AddListCommand(CLI::App& app, bool& quiet) { return AddReportCommand(app, quiet, false); }

Command AddInfoCommand(CLI::App& app, bool& quiet) { return AddReportCommand(app, quiet, true); }

}  // namespace dw::cli
