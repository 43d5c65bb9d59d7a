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
#include "cli/pack_plan/pack_images.h"
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
  ImageOptions images{request.remap, request.dither};
  std::optional<pack::ArchivePlan> plan =
      request.fromFolder ? PlanFromFolder(request.input, error, &images)
                         : PlanFromVcmiAnimation(request.input, error, &images);
  if (!plan && error.empty() && !request.fromFolder)
    plan = PlanFromExportManifest(request.input, error, &images);
  if (!plan) {
    messages.Error(error);
    return messages.ExitStatus();
  }
  for (const std::string& note : plan->notes) messages.Note(note);
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
  if (request.remap)
    messages.Summary(request.output + ": --remap moved " + std::to_string(images.moved) +
                     " pixels to the nearest palette entry");
  size_t entries = 0;
  for (const pack::BlockPlan& block : plan->blocks) entries += block.entries.size();
  messages.Summary(request.output + ": " + std::to_string(bytes->size()) + " bytes, " +
                   std::to_string(plan->blocks.size()) + " blocks, " + std::to_string(entries) +
                   " entries, " + std::to_string(plan->frames.size()) + " stored frames");
  return messages.ExitStatus();
}

Command AddPackCommand(CLI::App& app, bool& quiet) {
  struct Options {
    PackRequest request;
    std::vector<std::string> more;  // with --batch: more inputs, then the output folder
    bool batch = false;
    int jobs = 0;
  };
  auto options = std::make_shared<Options>();
  PackRequest& request = options->request;
  CLI::App* command =
      app.add_subcommand("pack", "Build a DEF archive from images and a manifest");
  command
      ->add_option("MANIFEST", request.input,
                   "Manifest written by export --manifest or --vcmi, or with --from-folder a "
                   "folder holding pack.json")
      ->required();
  command->add_option("OUTPUT", request.output, "DEF archive to write")->required();
  command->add_option("MORE", options->more,
                      "With --batch: more inputs; the last path is then the folder the archives "
                      "go to, each named after its manifest or folder (NAME.def)");
  command->add_flag("--from-folder", request.fromFolder,
                    "Read the folder's pack.json: blocks of image files, margins found by "
                    "trimming");
  command->add_flag("--remap", request.remap,
                    "Map a colour in no palette entry to the nearest entry (default: an error)");
  command->add_flag(
      "--dither", request.dither,
      "With --from-folder and no palette: dither the images to the palette made for them");
  command->add_flag("--batch", options->batch,
                    "Pack several manifests or folders, one archive each");
  AddJobs(*command, options->jobs, "With --batch: inputs packed at once (default: one per core)");
  AddQuiet(*command, quiet);
  command->footer(
      "Examples:\n  duskweave-convert export --manifest --keep-special creature.def out/\n"
      "  duskweave-convert pack out/creature.json creature.def\n"
      "  duskweave-convert pack --from-folder frames/ creature.def\n"
      "  duskweave-convert pack --batch --jobs 2 out/*.json packed/");
  return {command, [options](CommandContext& context) {
            if (options->batch) {
              PackBatchRequest batch;
              batch.inputs = {options->request.input, options->request.output};
              batch.inputs.insert(batch.inputs.end(), options->more.begin(), options->more.end());
              batch.outputFolder = batch.inputs.back();
              batch.inputs.pop_back();
              batch.each = options->request;
              batch.jobs = options->jobs;
              return RunPackBatch(batch, context.messages);
            }
            if (!options->more.empty())
              return UsageError(context.err,
                                "pack takes one input and one archive; for several, add --batch");
            return RunPack(options->request, context.messages);
          }};
}

}  // namespace dw::cli
