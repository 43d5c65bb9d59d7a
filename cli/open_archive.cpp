#include "cli/open_archive.h"

namespace dw::cli {

std::optional<Diagnostics> OpenArchive(ConversionState& state, const std::string& path,
                                       Messages& messages) {
  InitConversionState(state);
  Diagnostics load = LoadArchive(state, path);
  if (load.cannotOpen) {
    messages.Error(path + ": cannot open or read the archive");
    return std::nullopt;
  }
  for (const std::string& problem : load.problems) {
    messages.Damage(path + ": damaged archive: " + problem);
  }
  return load;
}

}  // namespace dw::cli
