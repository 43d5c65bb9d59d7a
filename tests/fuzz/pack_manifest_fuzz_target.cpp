// Fuzz entry: any bytes as either kind of pack manifest. The readers must
// give a manifest or an error message, never crash, and a manifest they give
// must satisfy what the planner relies on. Every image path a folder manifest
// names is resolved as pack resolves it, in a folder beside a file outside
// it and a link leading out: nothing outside may ever be named.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "cli/pack_plan/contained_path.h"
#include "cli/manifest/manifest_reader.h"

namespace {

// <tmp>/root/inside.bmp, <tmp>/outside.bmp and <tmp>/root/out.bmp -> ../outside.bmp.
const std::string& Root() {
  static const std::string root = [] {
    char base[] = "/tmp/pack-manifest-fuzz-XXXXXX";
    const std::string top = mkdtemp(base);
    ::mkdir((top + "/root").c_str(), 0700);
    std::ofstream(top + "/root/inside.bmp") << "x";
    std::ofstream(top + "/outside.bmp") << "x";
    (void)::symlink("../outside.bmp", (top + "/root/out.bmp").c_str());
    return top + "/root";
  }();
  return root;
}

}  // namespace

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
      for (const auto& frame : block.frames) {
        if (frame.file.empty() || (frame.name && frame.name->size() > 12)) std::abort();
        const auto inside = dw::cli::FileInsideFolder(Root(), frame.file);
        if (inside && inside->rfind(Root() + "/", 0) != 0) std::abort();
      }
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
