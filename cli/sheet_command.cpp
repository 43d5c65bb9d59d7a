#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <system_error>

#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_info.h"
#include "archive/frame_source.h"
#include "archive/text_encoding.h"
#include "cli/archive_inputs.h"
#include "cli/batch_runner.h"
#include "cli/block_frames.h"
#include "cli/commands.h"
#include "cli/diagnostic_report.h"
#include "cli/open_archive.h"
#include "cli/png_writer.h"
#include "cli/sprite_alpha.h"
#include "cli/sprite_crop.h"

namespace dw::cli {
namespace {

// The largest sheet made: as large as a bitmap may be.
constexpr int64_t kMaxSheetPixels = int64_t{256} << 20;

struct Cell {
  int32_t block = 0, position = 0, tableIndex = 0;
  int32_t x = 0, y = 0;
  IndexedImage image;  // what the cell shows (cut when cropping)
  CropBox box;         // where it lies in the full frame
  int32_t fullWidth = 0, fullHeight = 0;
};

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return bool(out);
}

void SheetArchive(const std::string& path, const SheetRequest& request, Messages& messages) {
  const std::optional<OpenedArchive> opened = OpenArchive(path, messages);
  if (!opened) return;
  const Archive& archive = opened->archive;
  DecodeBudget budget = DecodeBudget::ForInput(int64_t(opened->bytes->size()), request.maxOutput);
  FrameSource source(archive, opened->bytes, budget, DecodeOptions{request.alpha});
  ProblemReport problems(path, archive, messages);
  DecodedHeads heads(source);
  const std::vector<std::vector<BlockEntry>> blocks = EntriesByBlock(archive);
  const int32_t pad = request.padding;

  // Layout: one row per block, cells left to right in directory order.
  std::vector<Cell> cells;
  int64_t y = pad, width = 0;
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b].empty()) continue;
    int64_t x = pad, rowHeight = 0;
    for (const BlockEntry& entry : blocks[b]) {
      const IndexedImage* full = heads.Decode(entry.tableIndex, problems);
      if (full == nullptr) return;  // the budget ran out; reported
      Cell cell;
      cell.block = int32_t(b);
      cell.position = entry.positionInBlock;
      cell.tableIndex = entry.tableIndex;
      cell.fullWidth = full->width;
      cell.fullHeight = full->height;
      if (request.crop) {
        const auto head = ReadFrameHeader(archive, *opened->bytes, entry.tableIndex);
        cell.box = head ? StoredRectangle(*head, *full) : CropBox{0, 0, 0, 0, true};
        cell.image = Crop(*full, cell.box);
      } else {
        cell.box = CropBox{0, 0, full->width, full->height, full->Empty()};
        cell.image = *full;
      }
      cell.x = int32_t(std::min<int64_t>(x, INT32_MAX));
      cell.y = int32_t(std::min<int64_t>(y, INT32_MAX));
      x += int64_t{cell.image.width} + pad;
      rowHeight = std::max<int64_t>(rowHeight, cell.image.height);
      width = std::max(width, x);
      cells.push_back(std::move(cell));
      if (x > INT32_MAX) break;
    }
    y += rowHeight + pad;
    if (y > INT32_MAX) break;
  }
  const std::string stem = request.outputFolder + "/" + ArchiveStem(path);
  if (cells.empty()) {
    messages.Error(path + ": no frames to put on a sheet");
    return;
  }
  const int64_t height = y;
  const int64_t bytes = StrideOf(width) * height * (request.alpha ? 4 : 1);
  if (width > INT32_MAX || height > INT32_MAX || StrideOf(width) * height > kMaxSheetPixels) {
    messages.Error(stem + ".png: a sheet of " + std::to_string(width) + " x " +
                   std::to_string(height) + " pixels is too large (at most 256 Mi pixels)");
    return;
  }
  if (!budget.ReserveWritten(bytes)) {
    messages.Error(stem + ".png: the sheet would pass the limit of " +
                   std::to_string(budget.writtenLimit()) +
                   " bytes for one archive (raise it with --max-output)");
    return;
  }
  IndexedImage sheet;
  sheet.width = int32_t(width);
  sheet.height = int32_t(height);
  sheet.stride = StrideOf(width);
  sheet.palette = archive.palette;
  sheet.pixels.assign(size_t(sheet.stride * sheet.height), 0);
  nlohmann::ordered_json atlas;
  atlas["archive"] = path.substr(path.find_last_of('/') + 1);
  atlas["image"] = ArchiveStem(path) + ".png";
  atlas["width"] = sheet.width;
  atlas["height"] = sheet.height;
  atlas["frames"] = nlohmann::ordered_json::array();
  for (const Cell& cell : cells) {
    for (int32_t row = 0; row < cell.image.height; ++row)
      std::memcpy(sheet.TopRow(cell.y + row) + cell.x, cell.image.TopRow(row),
                  size_t(cell.image.width));
    const BlockInfo& block = archive.blocks[size_t(cell.block)];
    nlohmann::ordered_json frame;
    frame["name"] = Cp1251ToUtf8(block.frames[size_t(cell.position)].name);
    frame["block"] = {{"identifier", block.identifier}, {"position", cell.block}};
    frame["index"] = cell.position;
    frame["x"] = cell.x;
    frame["y"] = cell.y;
    frame["w"] = cell.image.width;
    frame["h"] = cell.image.height;
    frame["fullWidth"] = cell.fullWidth;
    frame["fullHeight"] = cell.fullHeight;
    frame["left"] = cell.box.left;
    frame["top"] = cell.box.top;
    if (request.crop && cell.box.empty) frame["empty"] = true;
    atlas["frames"].push_back(std::move(frame));
  }
  const std::string error =
      request.alpha ? WriteRgbaPng(stem + ".png", sheet, AlphaColours(sheet.palette, request.outline))
                    : WritePng(stem + ".png", ViewOf(sheet), true);
  if (!error.empty()) {
    messages.Error(stem + ".png: " + error);
    return;
  }
  if (!WriteText(stem + ".json",
                 atlas.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n"))
    messages.Error(stem + ".json: cannot write the atlas");
}

}  // namespace

int RunSheet(const SheetRequest& request, Messages& messages) {
  const auto archives = ArchivesForOutput(request.inputs, request.outputFolder, messages);
  if (!archives) return messages.ExitStatus();
  std::vector<std::string> stems;  // archives of one stem write the same files
  for (const std::string& archive : *archives) stems.push_back(ArchiveStem(archive));
  RunArchiveBatch(*archives, stems, request.jobs, messages,
                  [&](const std::string& archive, Messages& out) {
                    SheetArchive(archive, request, out);
                    return 0;
                  });
  return messages.ExitStatus();
}

}  // namespace dw::cli
