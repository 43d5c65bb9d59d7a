// `pack --batch`: several manifests or folders packed in one call, each into
// its own archive in one output folder, the way `export` converts several
// archives: on a few threads, messages and results in input order.
#include <filesystem>
#include <system_error>

#include "cli/commands/commands.h"
#include "cli/run/batch_runner.h"

namespace dw::cli {
namespace {

namespace fs = std::filesystem;

// OUTDIR/NAME.def: the manifest's name without its extension, or the folder's.
std::string OutputFor(const std::string& folder, const std::string& input, bool fromFolder) {
  fs::path path(input);
  if (!path.has_filename()) path = path.parent_path();  // "frames/" names "frames"
  const std::string name = fromFolder ? path.filename().string() : path.stem().string();
  return (fs::path(folder) / (name + ".def")).string();
}

}  // namespace

int RunPackBatch(const PackBatchRequest& request, Messages& messages) {
  std::error_code ec;
  fs::create_directories(request.outputFolder, ec);
  if (ec) {
    messages.Error(request.outputFolder + ": cannot create the folder: " + ec.message());
    return messages.ExitStatus();
  }
  // Inputs of one name write one archive: they run in input order, the later
  // replacing the earlier, as without threads.
  std::vector<std::string> outputs;
  for (const std::string& input : request.inputs)
    outputs.push_back(OutputFor(request.outputFolder, input, request.fromFolder));
  RunArchiveBatch(request.inputs, outputs, request.jobs, messages,
                  [&](size_t i, Messages& itsMessages) {
                    return RunPack(PackRequest{request.inputs[i], outputs[i], request.each.fromFolder,
                                       request.each.remap, request.each.dither},
                                   itsMessages);
                  });
  return messages.ExitStatus();
}

}  // namespace dw::cli
