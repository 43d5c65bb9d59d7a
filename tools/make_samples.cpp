// Writes the sample archives into the folder given: a walking knight and a set
// of terrain tiles, the archives that run.sh opens and converts.
#include <filesystem>
#include <iostream>
#include <string>

#include "tests/support/def_writer.h"
#include "tools/sample_frames.h"

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
    dw::testing::WriteFile(folder + "/knight.def",
                           dw::testing::BuildArchive(dw::samples::CreatureArchive()));
    dw::testing::WriteFile(folder + "/terrain.def",
                           dw::testing::BuildArchive(dw::samples::TerrainArchive()));
  } catch (const std::exception& e) {
    std::cerr << "duskweave-make-samples: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
