#include "cli/run/help_format.h"

#include <CLI/CLI.hpp>
#include <sstream>
#include <string>

namespace dw::cli {
namespace {

// Where option descriptions start.
constexpr size_t kDescriptionColumn = 28;

// The parser's own names for values whose option gave none.
bool IsParserTypeName(const std::string& name) {
  for (const char* noise : {"TEXT", "INT", "UINT", "FLOAT", "NUMBER", "BOOLEAN", "ENUM", "CHAR"})
    if (name == noise) return true;
  return false;
}

size_t Indentation(const std::string& line) {
  const size_t first = line.find_first_not_of(' ');
  return first == std::string::npos ? 0 : first;
}

// Breaks line at spaces so that no piece passes kHelpWidth; the pieces after
// the first start at column indent. A word longer than the room stays whole.
std::string WrapLine(const std::string& line, size_t indent) {
  if (line.size() <= kHelpWidth) return line;
  std::string out;
  std::string current = line.substr(0, Indentation(line));
  bool empty = true;
  std::istringstream words(line.substr(current.size()));
  std::string word;
  while (words >> word) {
    if (!empty && current.size() + 1 + word.size() > kHelpWidth) {
      out += current + "\n";
      current = std::string(indent, ' ');
      empty = true;
    }
    current += (empty ? "" : " ") + word;
    empty = false;
  }
  return out + current;
}

// Every line of text wrapped; a continued line keeps its indentation.
std::string WrapText(const std::string& text) {
  std::string out;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) out += WrapLine(line, Indentation(line)) + "\n";
  if (!text.empty() && text.back() != '\n' && !out.empty()) out.pop_back();
  return out;
}

class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter() { column_width(kDescriptionColumn); }

  std::string make_usage(const CLI::App* app, std::string name) const override {
    // These commands take their output folder as the last path.
    if (app->get_name() == "export" || app->get_name() == "anim" || app->get_name() == "sheet") {
      return "Usage: " + name + " [OPTIONS] INPUT... OUTDIR\n";
    }
    return WrapText(CLI::Formatter::make_usage(app, std::move(name)));
  }

  std::string make_description(const CLI::App* app) const override {
    return WrapText(CLI::Formatter::make_description(app));
  }

  std::string make_footer(const CLI::App* app) const override {
    return WrapText(CLI::Formatter::make_footer(app));
  }

  std::string make_subcommand(const CLI::App* sub) const override {
    return Entry(sub->get_name(), sub->get_description());
  }

  // "-f, --frames LIST", "--format bmp|png", "INPUT..."
  std::string make_option_name(const CLI::Option* option, bool positional) const override {
    if (positional) {
      const bool many = option->get_expected_max() >= CLI::detail::expected_max_vector_size;
      return option->get_name(true, false) + (many ? "..." : "");
    }
    std::string names;
    for (const std::string& name : option->get_snames()) names += (names.empty() ? "-" : ", -") + name;
    for (const std::string& name : option->get_lnames())
      names += (names.empty() ? "--" : ", --") + name;
    return names;
  }

  std::string make_option_opts(const CLI::Option* option) const override {
    // The type name carries the checks after a colon: "FORMAT:{bmp,png}";
    // flags have none.
    const std::string full = option->get_type_name();
    if (option->get_positional() || full.empty()) return "";
    const size_t open = full.find('{'), close = full.find('}');
    if (open != std::string::npos && close != std::string::npos && open < close) {
      std::string choices = full.substr(open + 1, close - open - 1);
      for (char& c : choices)
        if (c == ',') c = '|';
      return " " + choices;
    }
    const std::string name = full.substr(0, full.find(':'));
    return " " + (IsParserTypeName(name) ? std::string("VALUE") : name);
  }

  std::string make_option(const CLI::Option* option, bool positional) const override {
    return Entry(make_option_name(option, positional) + make_option_opts(option),
                 make_option_desc(option));
  }

 private:
  // "  NAME   description" with the description from kDescriptionColumn,
  // wrapped; a name too long for its column stands on a line of its own. At
  // least two spaces part a name from its description, so that scripts (the
  // bash completion) can tell the value an option takes from the words after it.
  static std::string Entry(const std::string& name, const std::string& description) {
    std::string head = "  " + name;
    std::string out;
    if (head.size() + 2 > kDescriptionColumn) {
      out = head + "\n";
      head.clear();
    }
    head.resize(kDescriptionColumn, ' ');
    const std::string body =
        WrapLine(std::string(kDescriptionColumn, ' ') + description, kDescriptionColumn);
    return out + head + body.substr(kDescriptionColumn) + "\n";
  }
};

}  // namespace

std::shared_ptr<CLI::Formatter> MakeHelpFormatter() {
  return std::make_shared<HelpFormatter>();
}

std::string WrappedText(const std::string& text) {
  std::string out, line;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > 78) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  return out + line;
}

}  // namespace dw::cli
