// Writes the sample archives into the folder given: a walking knight and a set
// of terrain tiles, the archives that run.sh opens and converts.
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "archive/stream.h"
#include "pack/def_builder.h"
#include "tools/sample_frames.h"

namespace {

// Builds plan and writes it whole to path, or throws.
void WriteArchive(const std::string& path, const dw::pack::ArchivePlan& plan) {
  std::string error;
  const std::optional<std::vector<uint8_t>> bytes = dw::pack::BuildDef(plan, error);
  if (!bytes) throw std::runtime_error(path + ": " + error);
  dw::AtomicFile file(path);
  if (!file.Write(bytes->data(), bytes->size()) || !file.Commit())
    throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: duskweave-make-samples OUTDIR\n";
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::cerr << "duskweave-make-samples: " << folder << ": " << ec.message() << '\n';
    return 1;
  }
  try {
    WriteArchive(folder + "/knight.def", dw::samples::CreatureArchive());
    WriteArchive(folder + "/terrain.def", dw::samples::TerrainArchive());
  } catch (const std::exception& e) {
    std::cerr << "duskweave-make-samples: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
