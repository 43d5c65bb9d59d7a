#include "cli/lod_input.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "archive/archive_bytes.h"
#include "archive/decode_budget.h"

namespace dw::cli {
namespace {

bool EndsWithLod(const std::string& text) {
  if (text.size() < 4) return false;
  std::string tail = text.substr(text.size() - 4);
  for (char& c : tail)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return tail == ".lod";
}

}  // namespace

bool HasLodExtension(const std::string& path) { return EndsWithLod(path); }

std::optional<LodInput> SplitLodInput(const std::string& input) {
  const size_t colon = input.find_last_of(':');
  if (colon == std::string::npos) return std::nullopt;
  LodInput lod{input.substr(0, colon), input.substr(colon + 1)};
  if (!EndsWithLod(lod.container)) return std::nullopt;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(lod.container, ec)) return std::nullopt;
  return lod;
}

std::shared_ptr<const std::vector<uint8_t>> LodContainerBytes(const std::string& path) {
  // One container at a time: inputs list a container's entries together.
  static std::mutex mutex;
  static ArchiveBytes cache;
  std::lock_guard<std::mutex> lock(mutex);
  return cache.Current(path);
}

std::vector<std::string> LodDefInputs(const std::string& path, std::vector<std::string>& errors) {
  const std::shared_ptr<const std::vector<uint8_t>> bytes = LodContainerBytes(path);
  if (!bytes) {
    errors.push_back(path + ": cannot open or read the LOD container");
    return {};
  }
  const LodIndex index = ReadLodIndex(*bytes);
  for (const std::string& problem : index.problems) errors.push_back(path + ": " + problem);
  std::vector<std::string> inputs;
  for (const LodEntry& entry : index.entries)
    if (IsDefEntry(entry)) inputs.push_back(path + ":" + entry.name);
  if (index.container && inputs.empty() && index.problems.empty())
    errors.push_back(path + ": the LOD container holds no DEF archives");
  return inputs;
}

std::shared_ptr<const std::vector<uint8_t>> ReadLodInput(const LodInput& lod,
                                                         const std::string& input,
                                                         int64_t maxBytes, Messages& messages) {
  const std::shared_ptr<const std::vector<uint8_t>> bytes = LodContainerBytes(lod.container);
  if (!bytes) {
    messages.Error(input + ": cannot open or read the LOD container");
    return nullptr;
  }
  const LodIndex index = ReadLodIndex(*bytes);
  if (!index.container) {
    messages.Error(input + ": " + index.problems.front());
    return nullptr;
  }
  const LodEntry* entry = FindLodEntry(index, lod.entry);
  if (entry == nullptr) {
    messages.Error(input + ": the LOD container has no entry of that name (" +
                   std::to_string(index.entries.size()) + " entries; list " + lod.container +
                   " shows them)");
    return nullptr;
  }
  const int64_t limit = DecodeBudget::LimitForInput(int64_t(bytes->size()), maxBytes);
  ExtractedEntry extracted = ExtractLodEntry(*bytes, *entry, limit);
  if (!extracted.error.empty()) {
    messages.Error(input + ": " + extracted.error);
    return nullptr;
  }
  return std::make_shared<const std::vector<uint8_t>>(std::move(extracted.bytes));
}

}  // namespace dw::cli
