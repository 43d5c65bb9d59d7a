#include "cli/outputs/lod_listing.h"

#include <cstdio>

#include "archive/text_encoding.h"
#include "cli/outputs/archive_report.h"
#include "cli/inputs/lod_container.h"
#include "cli/inputs/lod_input.h"
#include "cli/run/diagnostic_report.h"

namespace dw::cli {
namespace {

std::string Padded(const std::string& text, size_t width, bool right) {
  if (text.size() >= width) return text;
  const std::string pad(width - text.size(), ' ');
  return right ? pad + text : text + pad;
}

std::string FormatTable(const std::string& path, const LodIndex& index) {
  std::string text = "LOD container " + PrintableName(path) + ": kind " +
                     std::to_string(index.kind) + ", " + std::to_string(index.declaredCount) +
                     " entries\n";
  text += "index  name              offset        size  compressed  type\n";
  for (const LodEntry& entry : index.entries) {
    text += Padded(std::to_string(entry.index), 5, true) + "  ";
    text += Padded(PrintableName(Cp1251ToUtf8(entry.name)), 16, false);
    text += Padded(std::to_string(entry.offset), 8, true);
    text += Padded(std::to_string(entry.size), 12, true);
    text += Padded(entry.stored() ? "stored" : std::to_string(entry.compressedSize), 12, true);
    text += Padded(std::to_string(entry.type), 6, true) + "\n";
  }
  return text;
}

nlohmann::ordered_json TableToJson(const std::string& path, const LodIndex& index) {
  nlohmann::ordered_json result;
  result["container"] = path;
  result["kind"] = index.kind;
  result["declaredEntries"] = index.declaredCount;
  result["entries"] = nlohmann::ordered_json::array();
  for (const LodEntry& entry : index.entries) {
    nlohmann::ordered_json item;
    item["index"] = entry.index;
    item["name"] = Cp1251ToUtf8(entry.name);
    item["offset"] = entry.offset;
    item["size"] = entry.size;
    if (entry.stored()) {
      item["compressedSize"] = nullptr;
    } else {
      item["compressedSize"] = entry.compressedSize;
    }
    item["stored"] = entry.stored();
    item["type"] = entry.type;
    result["entries"].push_back(std::move(item));
  }
  result["problems"] = nlohmann::ordered_json::array();
  return result;
}

}  // namespace

bool IsLodContainerInput(const std::string& path) {
  return HasLodExtension(path) && !SplitLodInput(path);
}

std::optional<nlohmann::ordered_json> ListLodContainer(const std::string& path, bool json,
                                                       std::ostream& out, Messages& messages) {
  const std::shared_ptr<LodSource> source = OpenLodSource(path);
  if (!source) {
    messages.Error(path + ": cannot open or read the LOD container");
    return std::nullopt;
  }
  const std::vector<uint8_t>* bytes = &source->bytes();
  const LodIndex& index = source->index();
  if (!index.container) {
    messages.Error(path + ": " + DescribeLodProblem(index.problems.front()));
    return std::nullopt;
  }
  std::vector<std::string> problems;
  for (const LodProblem& problem : index.problems) problems.push_back(DescribeLodProblem(problem));
  for (const LodEntry& entry : index.entries) {
    if (const auto problem = LodEntryPlacementProblem(entry, int64_t(bytes->size())))
      problems.push_back("entry " + std::to_string(entry.index) + " (" +
                         PrintableName(Cp1251ToUtf8(entry.name)) +
                         "): " + DescribeLodProblem(*problem));
  }
  for (const std::string& problem : problems) messages.Error(path + ": " + problem);
  if (!json) {
    out << FormatTable(path, index);
    return nlohmann::ordered_json();
  }
  nlohmann::ordered_json result = TableToJson(path, index);
  for (const std::string& problem : problems) result["problems"].push_back(problem);
  return result;
}

}  // namespace dw::cli
