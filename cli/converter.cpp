#include "cli/converter.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>

#include "archive/stop_request.h"
#include "cli/commands/command.h"
#include "cli/inputs/lod_input.h"
#include "cli/outputs/output_file.h"
#include "cli/run/diagnostic_report.h"
#include "cli/run/help_format.h"
#include "cli/run/messages.h"
#include "cli/run/shared_options.h"
#include "cli/run/usage_problem.h"

#ifndef DUSKWEAVE_VERSION
#define DUSKWEAVE_VERSION "unknown"
#endif

namespace dw::cli {
namespace {

const char* const kMainFooter = R"(Exit status:
  0  success
  1  an archive was unreadable or damaged, or a file could not be written
     (everything else was still converted)
  2  wrong usage

Examples:
  duskweave-convert list creature.def
  duskweave-convert info --json creature.def > creature.json
  duskweave-convert export creature.def out/
  duskweave-convert export --format png --transparent defs/ png/
  duskweave-convert strip --frames 0,2,5 creature.def strip.bmp

Run 'duskweave-convert SUBCOMMAND --help' for the options of a subcommand.)";

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const Terminal& terminal) {
  BeginLodOperation();  // LOD containers are read afresh, each with a budget of its own
  CLI::App app("duskweave-convert: convert DEF sprite archives into 8-bit BMP or PNG images",
               kProgramName);
  app.set_version_flag("--version", std::string(kProgramName) + " " + DUSKWEAVE_VERSION);
  app.require_subcommand(1);
  app.formatter(MakeHelpFormatter());
  bool quiet = false;
  AddQuiet(app, quiet);
  // In the order --help lists them.
  const Command commands[] = {AddListCommand(app, quiet),  AddInfoCommand(app, quiet),
                              AddExportCommand(app, quiet), AddStripCommand(app, quiet),
                              AddPackCommand(app, quiet),   AddAnimCommand(app, quiet),
                              AddSheetCommand(app, quiet)};
  app.footer(kMainFooter);

  try {
    // CLI11 wants the arguments last to first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    return UsageError(err, UsageProblem(app, args, e));
  }
  Messages messages(err, quiet, terminal.stderrIsTerminal);
  CommandContext context{out, err, messages, terminal.stdoutIsTerminal};
  for (const Command& command : commands)
    if (command.parser->parsed()) return command.run(context);
  return kUsageStatus;  // require_subcommand(1) leaves no other way
}

}  // namespace

int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const Terminal& terminal) {
  BeginOutputRun();
  int status = RunCommand(args, out, err, terminal);
  RemoveEmptyOutputFolders();
  // What went to standard output must have arrived: a full disk or a closed
  // pipe is a failure, not a silent loss. A failed write leaves its reason
  // in errno, which later calls that succeed do not change.
  out.flush();
  if (!out) {
    const int error = errno != 0 ? errno : EIO;
    err << kProgramName << ": error: cannot write to standard output: " << SystemReason(error)
        << '\n';
    status = std::max(status, 1);
  }
  if (StopRequested()) {
    err << kProgramName << ": error: interrupted; the files reported as written are complete, "
        << "no other file was left behind\n";
    return kStoppedStatus;
  }
  return status;
}

}  // namespace dw::cli
