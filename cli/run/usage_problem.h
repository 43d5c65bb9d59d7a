// What the parser's complaint about the command line tells the user.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace dw::cli {

// The parser's message, with the closest command or option when the user
// seems to have mistyped one.
std::string UsageProblem(const CLI::App& app, const std::vector<std::string>& args,
                         const CLI::ParseError& error);

}  // namespace dw::cli
