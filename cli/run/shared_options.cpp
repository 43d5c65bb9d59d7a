#include "cli/run/shared_options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <limits>

#include "cli/run/messages.h"

namespace dw::cli {

namespace {

// A size as 4G, 512M, 100k (powers of 1024) or plain bytes, turned into bytes.
CLI::Validator SizeValue() {
  return CLI::Validator(
      [](std::string& input) -> std::string {
        static const CLI::AsSizeValue bytes(false);
        const std::string refused =
            "must be a size above 0 such as 16G, 512M, 100k or a number of bytes";
        std::string value = input;
        try {  // the parser throws on an unknown unit or an overflow
          if (!bytes(value).empty()) return refused;
        } catch (const CLI::Error&) {
          return refused;
        }
        int64_t number = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (error != std::errc() || end != value.data() + value.size() || number < 1)
          return refused;
        input = value;
        return {};
      },
      "");
}

}  // namespace

CLI::Validator OneOf(const std::vector<std::string>& values) {
  std::string listed, braced;
  for (const std::string& value : values) {
    listed += (listed.empty() ? "" : ", ") + value;
    braced += (braced.empty() ? "" : ",") + value;
  }
  // The help shows the choices from the braces: "--format bmp|png".
  return CLI::Validator(
      [values, listed](std::string& input) -> std::string {
        for (const std::string& value : values)
          if (input == value) return {};
        return "must be one of " + listed;
      },
      "{" + braced + "}");
}

CLI::Validator WholeNumber(int64_t least, int64_t most) {
  return CLI::Validator(
      [least, most](std::string& input) -> std::string {
        int64_t number = 0;
        const auto [end, error] = std::from_chars(input.data(), input.data() + input.size(), number);
        if (error == std::errc() && end == input.data() + input.size() && number >= least &&
            number <= most)
          return {};
        if (most == std::numeric_limits<int>::max())
          return "must be a whole number of at least " + std::to_string(least);
        return "must be a whole number from " + std::to_string(least) + " to " +
               std::to_string(most);
      },
      "");
}

void AddQuiet(CLI::App& command, bool& quiet) {
  command.add_flag("-q,--quiet", quiet, "Print errors and warnings only");
}

void AddJobs(CLI::App& command, int& jobs, const char* what) {
  command.add_option("-j,--jobs", jobs, what)
      ->check(WholeNumber(1, std::numeric_limits<int>::max()))
      ->type_name("N");
}

void AddMaxOutput(CLI::App& command, int64_t& bytes) {
  command
      .add_option("--max-output", bytes,
                  "Most bytes one archive may decode and write (e.g. 16G); default: 1024 times "
                  "the archive's size (a LOD entry's once inflated), at least 256M. Real archives "
                  "write at most 212 times their size (274 MB over 120 of them), so the default "
                  "stops only damaged or hostile ones")
      ->transform(SizeValue())
      ->type_name("SIZE");
}

void AddOutline(CLI::App& command, bool& outline) {
  command.add_flag("--outline", outline,
                   "With --alpha: keep the special 5, 6 and 7 (selection outline) opaque");
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
