// `pack`: builds the archive wholly in memory, then writes it to a temporary
// file beside OUT and renames it over OUT, so that a failed run leaves no
// partial archive behind and an existing OUT untouched.
#include <CLI/CLI.hpp>
#include <memory>
#include <filesystem>
#include <system_error>

#include "cli/commands/command.h"
#include "cli/commands/commands.h"
#include "cli/run/shared_options.h"
#include "cli/outputs/output_file.h"
#include "cli/pack_plan/pack_plan.h"
#include "cli/run/diagnostic_report.h"
#include "pack/def_builder.h"

namespace dw::cli {

int RunPack(const PackRequest& request, Messages& messages) {
  std::error_code ec;
  if (!request.fromFolder && std::filesystem::is_directory(request.input, ec)) {
    messages.Error(request.input + ": is a folder; to pack the images in it, add --from-folder");
    return messages.ExitStatus();
  }
  std::string error;
  const std::optional<pack::ArchivePlan> plan =
      request.fromFolder ? PlanFromFolder(request.input, error)
                         : PlanFromExportManifest(request.input, error);
  if (!plan) {
    messages.Error(error);
    return messages.ExitStatus();
  }
  const std::optional<std::vector<uint8_t>> bytes = pack::BuildDef(*plan, error);
  if (!bytes) {
    messages.Error(request.input + ": " + error);
    return messages.ExitStatus();
  }
  const WriteOutcome written = WriteOutputFile(request.output, bytes->data(), bytes->size());
  if (!written.ok()) {
    messages.Error(request.output + ": " + DescribeWriteProblem(*written.problem));
    return messages.ExitStatus();
  }
  size_t entries = 0;
  for (const pack::BlockPlan& block : plan->blocks) entries += block.entries.size();
  messages.Summary(request.output + ": " + std::to_string(bytes->size()) + " bytes, " +
                   std::to_string(plan->blocks.size()) + " blocks, " + std::to_string(entries) +
                   " entries, " + std::to_string(plan->frames.size()) + " stored frames");
  return messages.ExitStatus();
}

Command AddPackCommand(CLI::App& app, bool& quiet) {
  auto request = std::make_shared<PackRequest>();
  CLI::App* command =
      app.add_subcommand("pack", "Build a DEF archive from images and a manifest");
  command
      ->add_option("MANIFEST", request->input,
                   "Manifest written by export --manifest, or with --from-folder a folder "
                   "holding pack.json")
      ->required();
  command->add_option("OUTPUT", request->output, "DEF archive to write")->required();
  command->add_flag("--from-folder", request->fromFolder,
                    "Read the folder's pack.json: blocks of image files, margins found by "
                    "trimming");
  AddQuiet(*command, quiet);
  command->footer(
      "Examples:\n  duskweave-convert export --manifest --keep-special creature.def out/\n"
      "  duskweave-convert pack out/creature.json creature.def\n"
      "  duskweave-convert pack --from-folder frames/ creature.def");
  return {command,
          [request](CommandContext& context) { return RunPack(*request, context.messages); }};
}

}  // namespace dw::cli
