// `pack --batch`: several manifests or folders packed in one call, each into
// its own archive in one output folder, the way `export` converts several
// archives: on a few threads, messages and results in input order.
#include <filesystem>
#include <system_error>

#include "cli/commands/commands.h"
#include "cli/outputs/output_file.h"
#include "cli/run/batch_runner.h"

namespace dw::cli {
namespace {

namespace fs = std::filesystem;

// NAME.def: the manifest's name without its extension, or the folder's.
std::string ArchiveNameFor(const std::string& input, bool fromFolder) {
  fs::path path(input);
  if (!path.has_filename()) path = path.parent_path();  // "frames/" names "frames"
  const std::string name = fromFolder ? path.filename().string() : path.stem().string();
  return name + ".def";
}

}  // namespace

int RunPackBatch(const PackBatchRequest& request, Messages& messages) {
  std::error_code ec;
  fs::create_directories(request.outputFolder, ec);
  if (ec) {
    messages.Error(request.outputFolder + ": cannot create the folder: " + ec.message());
    return messages.ExitStatus();
  }
  // Inputs of one name get archives of their own: NAME.def, NAME~2.def, ...
  std::vector<std::string> names;
  for (const std::string& input : request.inputs)
    names.push_back(ArchiveNameFor(input, request.each.fromFolder));
  const std::vector<std::string> stems = UniqueStems(names);
  std::vector<std::string> outputs;
  for (size_t i = 0; i < names.size(); ++i) {
    outputs.push_back((fs::path(request.outputFolder) / (stems[i] + ".def")).string());
    if (stems[i] + ".def" != names[i])
      messages.Note(request.inputs[i] + ": packed into " + outputs[i] +
                    ", because an earlier input has the name " + names[i]);
  }
  RunArchiveBatch(request.inputs, outputs, request.jobs, messages,
                  [&](size_t i, Messages& itsMessages) {
                    PackRequest one = request.each;
                    one.input = request.inputs[i];
                    one.output = outputs[i];
                    return RunPack(one, itsMessages);
                  });
  return messages.ExitStatus();
}

}  // namespace dw::cli
