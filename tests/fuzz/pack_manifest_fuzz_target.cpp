// Fuzz entry: any bytes as either kind of pack manifest. The readers must
// give a manifest or an error message, never crash, and a manifest they give
// must satisfy what the planner relies on.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/pack_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (auto manifest = dw::cli::ParseExportManifest(text, error)) {
    for (const auto& block : manifest->blocks)
      for (const auto& frame : block.frames) {
        if (frame.name.size() > 13 || frame.head.compression < 0 || frame.head.compression > 3)
          std::abort();
      }
  } else if (error.empty()) {
    std::abort();
  }
  error.clear();
  if (auto manifest = dw::cli::ParseFolderManifest(text, error)) {
    for (const auto& block : manifest->blocks)
      for (const auto& frame : block.frames)
        if (frame.file.empty() || (frame.name && frame.name->size() > 12)) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
