#include "cli/inputs/block_frames.h"

#include <filesystem>
#include <system_error>

#include "cli/inputs/archive_inputs.h"
#include "cli/outputs/output_file.h"

namespace dw::cli {

std::optional<std::vector<std::string>> ArchivesForOutput(const std::vector<std::string>& inputs,
                                                         const std::string& outputFolder,
                                                         Messages& messages) {
  ArchiveInputs found = CollectArchives(inputs);
  for (const std::string& error : found.errors) messages.Error(error);
  for (const std::string& warning : found.warnings) messages.Damage(warning);
  if (found.archives.empty() || !MakeOutputFolder(outputFolder, messages)) return std::nullopt;
  return std::move(found.archives);
}

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
