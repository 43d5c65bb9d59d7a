#include "cli/manifest/manifest_writer.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "archive/text_encoding.h"

namespace dw::cli {

std::string ToHex(const uint8_t* bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * size);
  for (size_t i = 0; i < size; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0x0F];
  }
  return hex;
}

nlohmann::ordered_json BuildManifest(const Archive& archive, const ArchiveReport& report,
                                     const std::map<int32_t, std::string>& files,
                                     const Diagnostics& load) {
  const std::vector<int32_t> tableIndex = TableIndicesOfDirectory(archive);
  nlohmann::ordered_json manifest;
  manifest["archive"] = report.path.substr(report.path.find_last_of('/') + 1);
  manifest["type"] = report.type;
  manifest["width"] = report.width;
  manifest["height"] = report.height;
  manifest["blockCount"] = report.blockCount;
  manifest["palette"] = nlohmann::ordered_json::array();
  for (const ColourQuad& colour : archive.palette) {
    manifest["palette"].push_back({colour.red, colour.green, colour.blue});
  }
  manifest["blocks"] = nlohmann::ordered_json::array();
  size_t d = 0;
  for (const BlockInfo& block : archive.blocks) {
    nlohmann::ordered_json item;
    item["identifier"] = block.identifier;
    item["reserved"] = ToHex(block.reserved.data(), block.reserved.size());
    item["declaredCount"] = block.declaredCount;
    item["frames"] = nlohmann::ordered_json::array();
    for (const FrameEntry& entry : block.frames) {
      nlohmann::ordered_json frame;
      const int32_t index = tableIndex[d++];
      frame["index"] = index >= 0 ? nlohmann::ordered_json(index) : nullptr;
      frame["name"] = Cp1251ToUtf8(entry.name);
      frame["nameHex"] =
          ToHex(reinterpret_cast<const uint8_t*>(entry.name.data()), entry.name.size());
      frame["offset"] = entry.offset;
      AddFrameHead(frame, index >= 0 ? report.frame(index).head : std::nullopt);
      const auto file = index >= 0 ? files.find(index) : files.end();
      frame["file"] = file != files.end() ? nlohmann::ordered_json(file->second) : nullptr;
      item["frames"].push_back(std::move(frame));
    }
    manifest["blocks"].push_back(std::move(item));
  }
  manifest["problems"] = nlohmann::ordered_json::array();
  for (const Diagnostic& d : load.items) manifest["problems"].push_back(FormatDiagnostic(d));
  return manifest;
}

}  // namespace dw::cli
