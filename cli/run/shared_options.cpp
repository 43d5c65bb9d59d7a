#include "cli/run/shared_options.h"

#include <CLI/CLI.hpp>

#include "cli/run/messages.h"

namespace dw::cli {

void AddQuiet(CLI::App& command, bool& quiet) {
  command.add_flag("-q,--quiet", quiet, "Print errors and warnings only");
}

void AddJobs(CLI::App& command, int& jobs, const char* what) {
  command.add_option("-j,--jobs", jobs, what)->check(CLI::PositiveNumber)->type_name("N");
}

void AddMaxOutput(CLI::App& command, int64_t& bytes) {
  command
      .add_option("--max-output", bytes,
                  "Most bytes one archive may decode and write (e.g. 16G); default: 1024 times "
                  "the archive's size (a LOD entry's once inflated), at least 256M. Real archives "
                  "write at most 212 times their size (274 MB over 120 of them), so the default "
                  "stops only damaged or hostile ones")
      ->transform(CLI::AsSizeValue(false))
      ->check(CLI::PositiveNumber)
      ->type_name("SIZE");
}

CLI::Option* AddFrames(CLI::App& command, std::string& list, const char* help) {
  return command.add_option("-f,--frames", list, help)->type_name("LIST");
}

int UsageError(std::ostream& err, const std::string& problem) {
  err << kProgramName << ": error: " << problem << '\n'
      << "Run with --help for more information.\n";
  return kUsageStatus;
}

bool SplitOutputFolder(const std::string& command, const std::vector<std::string>& paths,
                       std::vector<std::string>& inputs, std::string& folder, std::ostream& err) {
  if (paths.size() < 2) {
    UsageError(err, command + " needs at least one INPUT and the OUTDIR");
    return false;
  }
  // "-" names standard input or output, never a folder.
  if (paths.back() == "-") {
    UsageError(err,
               "OUTDIR cannot be '-': images go into a folder (only strip writes to standard "
               "output)");
    return false;
  }
  folder = paths.back();
  inputs.assign(paths.begin(), paths.end() - 1);
  return true;
}

}  // namespace dw::cli
