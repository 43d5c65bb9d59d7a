#include "cli/block_frames.h"

namespace dw::cli {

std::vector<std::vector<BlockEntry>> EntriesByBlock(const Archive& archive) {
  const std::vector<int32_t> table = TableIndicesOfDirectory(archive);
  std::vector<std::vector<BlockEntry>> blocks;
  size_t d = 0;
  for (const BlockInfo& block : archive.blocks) {
    std::vector<BlockEntry>& entries = blocks.emplace_back();
    for (size_t k = 0; k < block.frames.size(); ++k)
      entries.push_back(BlockEntry{table[d++], int32_t(k)});
  }
  return blocks;
}

const IndexedImage* DecodedHeads::Decode(int32_t tableIndex, ProblemReport& problems) {
  if (exhausted_) return nullptr;
  const int32_t offset = source_.archive().frames[size_t(tableIndex)].offset;
  if (const auto found = images_.find(offset); found != images_.end()) return &found->second;
  Diagnostics result;
  IndexedImage image = source_.Decode(tableIndex, result);
  problems.Add(result);
  if (result.budgetExhausted()) {
    exhausted_ = true;
    return nullptr;
  }
  return &images_.emplace(offset, std::move(image)).first->second;
}

}  // namespace dw::cli
