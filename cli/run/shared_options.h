// The options several subcommands share, each declared here once so that
// every command takes it the same way, and the one way a usage error is
// printed.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
class Validator;
}  // namespace CLI

namespace dw::cli {

inline constexpr int kUsageStatus = 2;

// -q, --quiet: errors and warnings only.
void AddQuiet(CLI::App& command, bool& quiet);
// -j, --jobs N; what says what runs at once.
void AddJobs(CLI::App& command, int& jobs, const char* what);
inline constexpr const char* kArchivesAtOnce =
    "Archives converted at once (the output is the same for any number); default: one per core";
// --max-output SIZE: sizes as 4G, 512M, 100k (powers of 1024) or plain bytes.
void AddMaxOutput(CLI::App& command, int64_t& bytes);
// --outline: with --alpha, the selection outline stays opaque.
void AddOutline(CLI::App& command, bool& outline);
// -f, --frames LIST, kept as text: the command reads it once its archive is known.
CLI::Option* AddFrames(CLI::App& command, std::string& list,
                       const char* help = "Frames to use, comma-separated: indices (4), ranges "
                                          "(3-7), name patterns (walk*); default: all");

// Checks of an option's value whose message names what is allowed:
// "--format must be one of bmp, png", "--delay must be a whole number from
// 10 to 60000".
CLI::Validator OneOf(const std::vector<std::string>& values);
CLI::Validator WholeNumber(int64_t least, int64_t most);

// Prints "duskweave-convert: error: PROBLEM" and the one pointer to --help;
// returns kUsageStatus.
int UsageError(std::ostream& err, const std::string& problem);

// The paths of a command whose last path is its output folder, split into
// inputs and that folder; false after a usage error when there is no folder
// or it is "-".
bool SplitOutputFolder(const std::string& command, const std::vector<std::string>& paths,
                       std::vector<std::string>& inputs, std::string& folder, std::ostream& err);

}  // namespace dw::cli
