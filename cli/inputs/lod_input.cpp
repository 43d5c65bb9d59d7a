#include "cli/inputs/lod_input.h"
#include "cli/run/diagnostic_report.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <tuple>
#include <unordered_map>

#include "archive/archive_bytes.h"
#include "archive/ascii_case.h"
#include "archive/decode_budget.h"
#include "archive/frame_export.h"
#include "archive/text_encoding.h"

namespace dw::cli {
namespace {

bool EndsWithLod(const std::string& text) {
  return text.size() >= 4 && FoldAsciiCase(text.substr(text.size() - 4)) == ".lod";
}

// "a.def", 2 -> "a~2.def"; "a" -> "a~2"
std::string Numbered(const std::string& name, int n) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name + "~" + std::to_string(n);
  return name.substr(0, dot) + "~" + std::to_string(n) + name.substr(dot);
}

// "a~2.def" -> {"a.def", 2}; nothing when there is no such number.
std::optional<std::pair<std::string, int>> Unnumbered(const std::string& name) {
  const size_t dot = name.rfind('.');
  const size_t end = dot == std::string::npos || dot == 0 ? name.size() : dot;
  const size_t tilde = name.rfind('~', end);
  if (tilde == std::string::npos || tilde + 1 >= end || end - tilde > 6) return std::nullopt;
  int n = 0;
  for (size_t i = tilde + 1; i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    n = n * 10 + (name[i] - '0');
  }
  if (n < 2) return std::nullopt;
  return std::make_pair(name.substr(0, tilde) + name.substr(end), n);
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<LodSource>> sources;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

struct LodSource::State {
  std::unordered_map<std::string, std::vector<int32_t>> byName;  // lower-case name -> positions
  std::vector<int32_t> rank;  // per position: 1 for the first of its name, 2 for the next, ...
  std::unique_ptr<DecodeBudget> budget;  // made by the first extraction, with its limit
  std::mutex mutex;
  // Data named by several entries, inflated once and kept while entries of it remain.
  using Key = std::tuple<uint32_t, uint32_t, uint32_t>;
  std::map<Key, int32_t> namedBy;
  std::map<Key, std::shared_ptr<const std::vector<uint8_t>>> shared;

};

bool HasLodExtension(const std::string& path) { return EndsWithLod(path); }

std::optional<LodInput> SplitLodInput(const std::string& input) {
  // The first ".lod:" whose part before is an existing file splits.
  for (size_t at = input.find(':'); at != std::string::npos; at = input.find(':', at + 1)) {
    LodInput lod{input.substr(0, at), input.substr(at + 1)};
    if (!EndsWithLod(lod.container)) continue;
    std::error_code ec;
    if (std::filesystem::is_regular_file(lod.container, ec)) return lod;
  }
  return std::nullopt;
}

void BeginLodOperation() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.sources.clear();
}

std::shared_ptr<LodSource> OpenLodSource(const std::string& path) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  // Read once per operation: every entry then comes from the same bytes and
  // the same table, and the budget spans them all.
  std::shared_ptr<LodSource>& source = registry.sources[path];
  if (source) return source;
  ArchiveBytes file;
  const std::shared_ptr<const std::vector<uint8_t>> bytes = file.Current(path);
  if (!bytes) {
    registry.sources.erase(path);
    return nullptr;
  }
  source = std::make_shared<LodSource>(bytes);
  return source;
}

LodSource::LodSource(std::shared_ptr<const std::vector<uint8_t>> bytes)
    : bytes_(std::move(bytes)), index_(ReadLodIndex(*bytes_)), state_(std::make_unique<State>()) {
  state_->rank.resize(index_.entries.size());
  for (const LodEntry& entry : index_.entries) {
    std::vector<int32_t>& named = state_->byName[FoldAsciiCase(entry.name)];
    named.push_back(entry.index);
    state_->rank[size_t(entry.index)] = int32_t(named.size());
    ++state_->namedBy[{entry.offset, entry.size, entry.compressedSize}];
  }
}

LodSource::~LodSource() = default;

const std::vector<int32_t>* LodSource::Named(const std::string& name) const {
  const auto found = state_->byName.find(FoldAsciiCase(name));
  return found == state_->byName.end() ? nullptr : &found->second;
}

std::string LodSource::InputName(int32_t position) const {
  const std::string& name = index_.entries[size_t(position)].name;
  const int32_t rank = state_->rank[size_t(position)];
  if (rank == 1) return name;
  // "a~2.def" may itself be the name of another entry: then the position.
  std::string note;
  const std::string numbered = Numbered(name, rank);
  return Resolve(numbered, note) == position ? numbered : "#" + std::to_string(position);
}

std::optional<int32_t> LodSource::Resolve(const std::string& name, std::string& note) const {
  if (const std::vector<int32_t>* named = Named(name)) {
    if (named->size() > 1) {
      note = std::to_string(named->size()) + " entries have this name; took entry " +
             std::to_string(named->front()) + ", the first (" + Numbered(name, 2) +
             " names the next)";
    }
    return named->front();
  }
  if (const auto numbered = Unnumbered(name)) {
    const std::vector<int32_t>* named = Named(numbered->first);
    if (named != nullptr && size_t(numbered->second) <= named->size())
      return (*named)[size_t(numbered->second) - 1];
  }
  // "#N": the entry at position N of the table.
  if (name.size() > 1 && name.size() <= 11 && name[0] == '#' &&
      name.find_first_not_of("0123456789", 1) == std::string::npos) {
    const int64_t position = std::stoll(name.substr(1));
    if (position < int64_t(index_.entries.size())) return int32_t(position);
  }
  return std::nullopt;
}

std::shared_ptr<const std::vector<uint8_t>> LodSource::Extract(int32_t position, int64_t maxOutput,
                                                               LodProblem& problem) {
  const LodEntry& entry = index_.entries[size_t(position)];
  const State::Key key{entry.offset, entry.size, entry.compressedSize};
  std::lock_guard<std::mutex> lock(state_->mutex);
  int32_t& remaining = state_->namedBy[key];
  const auto kept = state_->shared.find(key);
  if (kept != state_->shared.end()) {
    std::shared_ptr<const std::vector<uint8_t>> bytes = kept->second;
    if (--remaining <= 0) state_->shared.erase(kept);
    return bytes;
  }
  if (auto placement = LodEntryPlacementProblem(entry, int64_t(bytes_->size()))) {
    problem = std::move(*placement);
    return nullptr;
  }
  if (!state_->budget) {
    state_->budget = std::make_unique<DecodeBudget>(
        DecodeBudget::LimitForInput(int64_t(bytes_->size()), maxOutput));
  }
  if (!state_->budget->ReserveDecoded(entry.size)) {
    problem = MakeLodProblem(LodProblemKind::ContainerOverLimit, 0, state_->budget->decodedLimit());
    return nullptr;
  }
  ExtractedEntry extracted = ExtractLodEntry(*bytes_, entry, entry.size);
  if (extracted.problem) {
    problem = std::move(*extracted.problem);
    return nullptr;
  }
  auto bytes = std::make_shared<const std::vector<uint8_t>>(std::move(extracted.bytes));
  if (--remaining > 0) state_->shared[key] = bytes;
  return bytes;
}

LodEntryKind KindOfEntry(const LodEntry& entry) {
  const std::string name = FoldAsciiCase(entry.name);
  const auto endsWith = [&](const char* tail) {
    return name.size() >= 4 && name.compare(name.size() - 4, 4, tail) == 0;
  };
  return endsWith(".def") ? LodEntryKind::Def : endsWith(".pcx") ? LodEntryKind::Pcx : LodEntryKind::Other;
}

std::string LodEntryKindText(const LodEntry& entry) {
  switch (KindOfEntry(entry)) {
    case LodEntryKind::Def:
      return "a DEF archive";
    case LodEntryKind::Pcx:
      return "a PCX image";
    default:
      return "a file";
  }
}

std::string LodOutputName(const LodEntry& entry) {
  const LodEntryKind kind = KindOfEntry(entry);
  std::string name;
  if (kind == LodEntryKind::Other) {
    name = SafeFileName(Cp1251ToUtf8(entry.name));
  } else {
    name = ExportFileName(entry.name);  // "NAME.bmp", as a frame of that name
    name.resize(name.size() - 4);
  }
  if (name.empty() || name.front() == '.') name = "unnamed-" + std::to_string(entry.index);
  return kind == LodEntryKind::Pcx ? name + ".png" : name;
}

std::optional<ResolvedLodInput> ResolveLodInput(const std::string& input) {
  const std::optional<LodInput> lod = SplitLodInput(input);
  if (!lod) return std::nullopt;
  ResolvedLodInput resolved;
  resolved.source = OpenLodSource(lod->container);
  if (!resolved.source) return std::nullopt;
  std::string note;
  const std::optional<int32_t> position = resolved.source->Resolve(lod->entry, note);
  if (!position) return std::nullopt;
  resolved.position = *position;
  return resolved;
}

std::vector<std::string> LodEntryInputs(const std::string& path, std::vector<std::string>& errors,
                                        bool allEntries) {
  const std::shared_ptr<LodSource> source = OpenLodSource(path);
  if (!source) {
    errors.push_back(path + ": cannot open or read the LOD container");
    return {};
  }
  const LodIndex& index = source->index();
  for (const LodProblem& problem : index.problems)
    errors.push_back(path + ": " + DescribeLodProblem(problem));
  std::vector<std::string> inputs;
  for (const LodEntry& entry : index.entries)
    if (allEntries || IsDefEntry(entry)) inputs.push_back(path + ":" + source->InputName(entry.index));
  if (index.container && inputs.empty() && index.problems.empty())
    errors.push_back(path + (allEntries ? ": the LOD container holds no entries"
                                        : ": the LOD container holds no DEF archives"));
  return inputs;
}

std::shared_ptr<const std::vector<uint8_t>> ReadLodInput(const LodInput& lod,
                                                         const std::string& input,
                                                         int64_t maxOutput, Messages& messages) {
  const std::shared_ptr<LodSource> source = OpenLodSource(lod.container);
  if (!source) {
    messages.Error(input + ": cannot open or read the LOD container");
    return nullptr;
  }
  const LodIndex& index = source->index();
  if (!index.container) {
    messages.Error(input + ": " + DescribeLodProblem(index.problems.front()));
    return nullptr;
  }
  std::string note;
  const std::optional<int32_t> position = source->Resolve(lod.entry, note);
  if (!position) {
    messages.Error(input + ": the LOD container has no entry of that name (" +
                   std::to_string(index.entries.size()) + " entries; list " + lod.container +
                   " shows them)");
    return nullptr;
  }
  if (!note.empty()) messages.Note(input + ": " + note);
  LodProblem problem;
  auto bytes = source->Extract(*position, maxOutput, problem);
  if (!bytes) messages.Error(input + ": " + DescribeLodProblem(problem));
  return bytes;
}

}  // namespace dw::cli
