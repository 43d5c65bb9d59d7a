#include "cli/run/usage_problem.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/run/suggestion.h"

namespace dw::cli {
namespace {

std::vector<std::string> SubcommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    names.push_back(sub->get_name());
  return names;
}

std::vector<std::string> OptionNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
  return names;
}

}  // namespace

std::string UsageProblem(const CLI::App& app, const std::vector<std::string>& args,
                         const CLI::ParseError& error) {
  std::string message = error.what();
  // A value the option's check refused: "--delay must be a whole number ...".
  if (const size_t colon = message.find(": must "); colon != std::string::npos &&
                                                     dynamic_cast<const CLI::ValidationError*>(&error))
    message.erase(colon, 1);
  const CLI::App* command = nullptr;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    if (sub->parsed()) command = sub;
  std::string suggestion;
  if (command == nullptr) {
    const auto word = std::find_if(args.begin(), args.end(),
                                   [](const std::string& a) { return !a.empty() && a[0] != '-'; });
    if (word != args.end()) {
      message = "unknown command '" + *word + "'";
      suggestion = ClosestName(*word, SubcommandNames(app));
    }
  } else {
    for (const std::string& arg : args) {
      if (arg.size() < 2 || arg[0] != '-' || message.find(arg) == std::string::npos) continue;
      const std::string name = arg.substr(0, arg.find('='));
      // An option that exists was typed right: its value is what is wrong.
      const std::vector<std::string> names = OptionNames(*command);
      if (std::find(names.begin(), names.end(), name) != names.end()) continue;
      suggestion = ClosestName(name, names);
      if (!suggestion.empty()) break;
    }
  }
  if (!suggestion.empty()) message += " (did you mean " + suggestion + "?)";
  return message;
}

}  // namespace dw::cli
