#include "cli/manifest/fill_record.h"

#include <algorithm>
#include <map>

#include "archive/byte_cursor.h"
#include "archive/def_format.h"
#include "archive/frame_info.h"
#include "archive/frame_decoder.h"
#include "archive/pixel_rows.h"
#include "cli/outputs/sprite_colour_rule.h"

namespace dw::cli {

namespace {

// Indices an image of colour and alpha cannot tell: the special 1 to 7, and
// any whose colour a lower index has too.
std::array<bool, 256> AmbiguousIndices(const Palette& palette) {
  std::array<bool, 256> ambiguous{};
  for (int v = 1; v < 256; ++v) {
    ambiguous[size_t(v)] = v < kSpecialCount;
    for (int u = 0; u < v && !ambiguous[size_t(v)]; ++u)
      ambiguous[size_t(v)] = palette[size_t(u)].red == palette[size_t(v)].red &&
                             palette[size_t(u)].green == palette[size_t(v)].green &&
                             palette[size_t(u)].blue == palette[size_t(v)].blue;
  }
  return ambiguous;
}

// The runs of one frame's fill pixels of codes 1 and up, or with literal its
// literal pixels of ambiguous indices, as [row, start, length, code or index].
std::optional<nlohmann::ordered_json> RunsOf(const Archive& archive,
                                             const std::vector<uint8_t>& bytes,
                                             int32_t frameIndex, DecodeBudget& budget,
                                             bool literal) {
  if (!archive.HasFrame(frameIndex)) return std::nullopt;
  const int32_t offset = archive.frames[size_t(frameIndex)].offset;
  const std::optional<FrameHeader> head = ReadFrameHeaderAt(bytes, offset);
  if (!head || head->compression < 0 || head->compression > 3) return std::nullopt;
  const FrameHeader& h = *head;
  // Only the stored rectangle is decoded, as it lands in the full image.
  FramePlacement place;
  place.width = std::max(h.width, 0);
  place.visibleColumns =
      std::clamp<int64_t>(int64_t{h.fullWidth} - std::max(h.leftMargin, 0), 0, place.width);
  place.visibleRows = std::clamp<int64_t>(int64_t{h.fullHeight} - std::max(h.topMargin, 0), 0,
                                          std::max(h.height, 0));
  place.fullHeight = place.visibleRows;
  place.stride = place.visibleColumns;
  const int64_t area = place.visibleColumns * place.visibleRows;
  nlohmann::ordered_json runs = nlohmann::ordered_json::array();
  if (area == 0 || (h.compression == 0 && !literal)) return runs;  // no fill runs
  if (area > kMaxPixelBytes || !budget.ReserveDecoded(2 * area)) return std::nullopt;
  // A fill of code c shows 0 plainly and c with codes kept; a literal pixel
  // shows its index both ways.
  std::vector<uint8_t> plain(size_t(area), 0), kept(size_t(area), 0);
  const RowBand band{0, place.visibleRows};
  for (bool keep : {false, true}) {
    ByteCursor in(bytes.data(), int64_t(bytes.size()));
    DecodePixels(in, int64_t{offset} + kFrameHeaderSize, h.compression, place,
                 DecodeOptions{keep}, band, keep ? kept.data() : plain.data());
  }
  const std::array<bool, 256> ambiguous = AmbiguousIndices(archive.palette);
  const auto wanted = [&](size_t i, uint8_t code) {
    if (kept[i] != code) return false;
    return literal ? plain[i] == code && ambiguous[code] : plain[i] != code;
  };
  for (int64_t r = 0; r < place.visibleRows; ++r) {
    const size_t row = size_t(place.visibleRows - 1 - r) * size_t(place.stride);  // bottom-up
    for (int64_t x = 0; x < place.visibleColumns;) {
      const uint8_t code = kept[row + size_t(x)];
      if (!wanted(row + size_t(x), code)) {
        ++x;
        continue;
      }
      int64_t end = x + 1;
      while (end < place.visibleColumns && wanted(row + size_t(end), code)) ++end;
      runs.push_back({r, x, end - x, code});
      x = end;
    }
  }
  return runs;
}

}  // namespace

std::optional<nlohmann::ordered_json> FillRunsOf(const Archive& archive,
                                                 const std::vector<uint8_t>& bytes,
                                                 int32_t frameIndex, DecodeBudget& budget) {
  return RunsOf(archive, bytes, frameIndex, budget, false);
}

void AddFillRecords(nlohmann::ordered_json& manifest, const Archive& archive,
                    const std::vector<uint8_t>& bytes, DecodeBudget& budget,
                    bool literals) {
  std::map<int32_t, std::optional<nlohmann::ordered_json>> byIndex, literalsByIndex;
  for (auto& block : manifest["blocks"]) {
    for (auto& frame : block["frames"]) {
      if (!frame["index"].is_number() || frame["file"].is_null()) continue;
      const auto index = frame["index"].get<int32_t>();
      auto found = byIndex.find(index);
      if (found == byIndex.end())
        found = byIndex.emplace(index, FillRunsOf(archive, bytes, index, budget)).first;
      if (found->second) frame["fill"] = *found->second;
      if (!literals) continue;
      auto seen = literalsByIndex.find(index);
      if (seen == literalsByIndex.end())
        seen = literalsByIndex.emplace(index, RunsOf(archive, bytes, index, budget, true)).first;
      if (seen->second) frame["literal"] = *seen->second;
    }
  }
}

}  // namespace dw::cli
