// Fuzz entry: any bytes as a LOD container, read as the converter reads one:
// the table once, every entry by its position under one small budget for the
// whole container, PCX entries read as images within it. Nothing may read
// outside the bytes, pass the budget, pick another entry than the one its
// input name stands for, or give an output name that leaves its folder.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/inputs/lod_container.h"
#include "cli/inputs/lod_input.h"
#include "cli/inputs/pcx_image.h"

namespace {

constexpr int64_t kLimit = int64_t{1} << 20;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool SafeName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.front() == '.') return false;
  for (const char c : name)
    if (c == '/' || (unsigned char)c < 0x20 || c == 0x7F) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
  dw::cli::LodSource source(bytes);
  const dw::cli::LodIndex& index = source.index();
  Require(index.entries.size() * 32 <= size);
  for (const dw::cli::LodEntry& entry : index.entries) {
    std::string note;
    // Every entry is reached by its input name, unless another entry is
    // literally named "#<its position>" as well.
    const std::string input = source.InputName(entry.index);
    Require(source.Resolve(input, note) == entry.index ||
            (input[0] == '#' && source.Named(input) != nullptr));
    Require(SafeName(dw::cli::LodOutputName(entry)));
    dw::cli::LodProblem problem;
    const auto got = source.Extract(entry.index, kLimit, problem);
    if (!got) continue;
    Require(got->size() == entry.size);
    if (dw::cli::KindOfEntry(entry) == dw::cli::LodEntryKind::Pcx) {
      std::string error;
      const auto image = dw::cli::ReadPcxImage(*got, kLimit, error);
      if (image)
        Require(int64_t(image->pixels.size()) ==
                int64_t{image->width} * image->height * (image->indexed ? 1 : 3));
    }
  }
  return 0;
}
