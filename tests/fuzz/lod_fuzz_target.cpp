// Fuzz entry: any bytes as a LOD container. Reads the table and extracts
// every entry under a small limit; nothing may read outside the bytes or
// hand back more than the stated size or the limit.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "cli/lod_container.h"

namespace {

constexpr int64_t kLimit = int64_t{1} << 20;

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const dw::cli::LodIndex index = dw::cli::ReadLodIndex(bytes);
  Require(index.entries.size() * 32 <= size);
  for (const dw::cli::LodEntry& entry : index.entries) {
    const dw::cli::ExtractedEntry got = dw::cli::ExtractLodEntry(bytes, entry, kLimit);
    Require(got.bytes.size() <= size_t(kLimit));
    if (got.error.empty()) Require(int64_t(got.bytes.size()) <= kLimit);
  }
  return 0;
}
