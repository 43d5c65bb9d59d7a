// `pack`: builds the archive wholly in memory, then writes it to a temporary
// file beside OUT and renames it over OUT, so that a failed run leaves no
// partial archive behind and an existing OUT untouched.
#include <filesystem>
#include <system_error>

#include "cli/commands/commands.h"
#include "cli/outputs/output_file.h"
#include "cli/pack_plan/pack_images.h"
#include "cli/pack_plan/pack_plan.h"
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
    messages.Error(request.output + ": " + written.error);
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

}  // namespace dw::cli
