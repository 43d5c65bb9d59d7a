// Writes a seed corpus for the DEF fuzz target into the folder given: every
// saved input, and well-formed archives of every compression from the test
// archive writer.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/saved_inputs.h"
#include "tests/support/def_writer.h"

using namespace dw::testing;

namespace {

ArchiveSpec Sample(int32_t compression, int32_t width, int32_t height) {
  ArchiveSpec plan;
  std::vector<uint8_t> pixels(size_t(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % 5 < 2) ? 0 : uint8_t(i);
  plan.frames = {MakeFrame(compression, width + 6, height + 3, width, height, 2, 1, pixels),
                 MakeFrame(compression, width, height, width, height, 0, 0, pixels)};
  Block first, second;
  first.entries = {{"walk1.pcx", 1, {}, {}}, {"walk2.pcx", 0, {}, {}}};
  second.entries = {{"idle", 0, {}, {}}};
  plan.blocks = {first, second};
  return plan;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: def_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  int n = 0;
  for (const SavedInput& input : SavedFuzzInputs())
    WriteFile(folder + "/saved-" + std::to_string(n++), DecodeSavedBytes(input.bytes));
  for (int32_t compression : {0, 1, 2, 3})
    for (auto [w, h] : {std::pair{5, 3}, {33, 4}, {70, 2}})
      WriteFile(folder + "/sample-" + std::to_string(n++), BuildArchive(Sample(compression, w, h)));
  return 0;
}
