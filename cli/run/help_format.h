// How duskweave-convert and its subcommands print --help: lines wrapped at 80
// columns, an option's value shown by its own name (LIST, N, SIZE) or its
// choices (bmp|png) instead of the parser's type names and checks, and the
// usage line of the commands whose last path is the output folder.
#pragma once

#include <memory>
#include <string>

namespace CLI {
class Formatter;
}

namespace dw::cli {

inline constexpr size_t kHelpWidth = 80;

std::shared_ptr<CLI::Formatter> MakeHelpFormatter();

// A paragraph of one line broken into lines of at most 78 columns, for a footer.
std::string WrappedText(const std::string& text);

}  // namespace dw::cli
