#include <CLI/CLI.hpp>
#include <memory>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <system_error>

#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_info.h"
#include "archive/frame_source.h"
#include "archive/stop_request.h"
#include "archive/text_encoding.h"
#include "cli/inputs/archive_inputs.h"
#include "cli/run/batch_runner.h"
#include "cli/inputs/block_frames.h"
#include "cli/commands/command.h"
#include "cli/commands/commands.h"
#include "cli/run/shared_options.h"
#include "cli/run/diagnostic_report.h"
#include "cli/inputs/open_archive.h"
#include "cli/outputs/output_file.h"
#include "cli/outputs/png_writer.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "cli/outputs/sprite_crop.h"

namespace dw::cli {
namespace {

// The largest page made: as large as a bitmap may be.
constexpr int64_t kMaxSheetPixels = int64_t{256} << 20;

// One stored frame on a page; every entry naming the frame points at it.
struct Cell {
  const IndexedImage* full = nullptr;  // the decoded frame
  CropBox box;                         // the part shown (the whole frame unless cropping)
  int32_t tableIndex = 0;              // the first entry naming the frame
  int32_t page = 0, x = 0, y = 0;
};

struct Page {
  int64_t width = 0, height = 0;
};

std::string PagePath(const std::string& stem, size_t page) {
  return stem + (page == 0 ? std::string() : "-" + std::to_string(page)) + ".png";
}

// Places the cells left to right, a new row for each block and wherever the
// next cell would pass maxSize, a new page wherever the next row would.
// Cells of a block that starts mid-page begin a new row. False (with the
// message) when a frame cannot fit on a page at all.
bool LayOut(std::vector<Cell>& cells, const std::vector<bool>& startsBlock,
            const SheetRequest& request, const Archive& archive, const std::string& path,
            std::vector<Page>& pages, Messages& messages) {
  const int64_t pad = request.padding, limit = request.maxSize;
  int64_t x = pad, y = pad, rowHeight = 0;
  pages.assign(1, Page{});
  for (size_t c = 0; c < cells.size(); ++c) {
    Cell& cell = cells[c];
    const int64_t w = cell.box.width, h = cell.box.height;
    if (w + 2 * pad > limit || h + 2 * pad > limit) {
      messages.Error(path + ": " + FrameLabel(archive, cell.tableIndex) + " is " +
                     std::to_string(w) + " x " + std::to_string(h) +
                     " pixels, more than a sheet page of --max-size " + std::to_string(limit) +
                     " holds with --padding " + std::to_string(pad) + " (raise --max-size)");
      return false;
    }
    if (x > pad && (startsBlock[c] || x + w + pad > limit)) {
      y += rowHeight + pad;
      x = pad;
      rowHeight = 0;
    }
    if (y > pad && y + h + pad > limit) {
      pages.push_back(Page{});
      x = pad;
      y = pad;
      rowHeight = 0;
    }
    cell.page = int32_t(pages.size() - 1);
    cell.x = int32_t(x);
    cell.y = int32_t(y);
    x += w + pad;
    rowHeight = std::max(rowHeight, h);
    pages.back().width = std::max(pages.back().width, x);
    pages.back().height = std::max(pages.back().height, y + h + pad);
  }
  // Empty frames alone without padding still make a (1 x 1) image.
  for (Page& page : pages) {
    page.width = std::max<int64_t>(page.width, 1);
    page.height = std::max<int64_t>(page.height, 1);
  }
  return true;
}

// A page's image: its cells copied from their frames, index 0 elsewhere.
IndexedImage DrawPage(const std::vector<Cell>& cells, int32_t page, const Page& size,
                      const Palette& palette) {
  IndexedImage image;
  image.width = int32_t(size.width);
  image.height = int32_t(size.height);
  image.stride = StrideOf(size.width);
  image.palette = palette;
  image.pixels.assign(size_t(image.stride * image.height), 0);
  for (const Cell& cell : cells) {
    // An empty frame has an empty cell: nothing to copy.
    if (cell.page != page || cell.box.empty || cell.box.width <= 0 || cell.box.height <= 0)
      continue;
    for (int32_t row = 0; row < cell.box.height; ++row)
      std::memcpy(image.TopRow(cell.y + row) + cell.x,
                  cell.full->TopRow(cell.box.top + row) + cell.box.left, size_t(cell.box.width));
  }
  return image;
}

nlohmann::ordered_json CellJson(const Cell& cell, const Archive& archive) {
  nlohmann::ordered_json json;
  json["page"] = cell.page;
  json["x"] = cell.x;
  json["y"] = cell.y;
  json["w"] = cell.box.width;
  json["h"] = cell.box.height;
  json["fullWidth"] = cell.full->width;
  json["fullHeight"] = cell.full->height;
  json["left"] = cell.box.left;
  json["top"] = cell.box.top;
  json["offset"] = archive.frames[size_t(cell.tableIndex)].offset;
  if (cell.box.empty || cell.box.width <= 0 || cell.box.height <= 0) json["empty"] = true;
  return json;
}

// One archive's sheet: the number of files written (the PNG and the JSON).
int SheetArchive(const std::string& path, const std::string& stemName, const SheetRequest& request,
                 Messages& messages) {
  if (OutputHalted()) return 0;
  const std::optional<OpenedArchive> opened = OpenArchive(path, messages, request.maxOutput);
  if (!opened) return 0;
  const Archive& archive = opened->archive;
  DecodeBudget budget = opened->Budget();
  FrameSource source(archive, opened->bytes, budget, DecodeOptions{request.alpha});
  ProblemReport problems(path, archive, messages);
  DecodedHeads heads(source);
  const std::vector<std::vector<BlockEntry>> blocks = EntriesByBlock(archive);

  // One cell per stored frame, in the order the directory first names them.
  std::vector<Cell> cells;
  std::vector<bool> startsBlock;
  std::map<int32_t, size_t> cellOfOffset;
  std::vector<size_t> cellOfEntry;  // directory order
  for (const std::vector<BlockEntry>& block : blocks) {
    bool first = true;
    for (const BlockEntry& entry : block) {
      const int32_t offset = archive.frames[size_t(entry.tableIndex)].offset;
      if (const auto found = cellOfOffset.find(offset); found != cellOfOffset.end()) {
        cellOfEntry.push_back(found->second);
        continue;
      }
      const IndexedImage* full = heads.Decode(entry.tableIndex, problems);
      if (full == nullptr) return 0;  // the budget ran out; reported
      Cell cell;
      cell.full = full;
      cell.tableIndex = entry.tableIndex;
      if (request.crop) {
        const auto head = ReadFrameHeader(archive, *opened->bytes, entry.tableIndex);
        cell.box = head ? StoredRectangle(*head, *full) : CropBox{0, 0, 0, 0, true};
        if (cell.box.empty) cell.box.width = cell.box.height = 0;
      } else {
        cell.box = full->Empty() ? CropBox{0, 0, 0, 0, true}
                                 : CropBox{0, 0, full->width, full->height, false};
      }
      cellOfOffset.emplace(offset, cells.size());
      cellOfEntry.push_back(cells.size());
      cells.push_back(cell);
      startsBlock.push_back(first);
      first = false;
    }
  }
  const std::string stem = request.outputFolder + "/" + stemName;
  if (cells.empty()) {
    messages.Error(path + ": no frames to put on a sheet");
    return 0;
  }
  std::vector<Page> pages;
  if (!LayOut(cells, startsBlock, request, archive, path, pages, messages)) return 0;
  // Every page is held once and written once: draw both before any is made,
  // so that a refusal leaves no file.
  int64_t held = 0;
  for (size_t p = 0; p < pages.size(); ++p) {
    const int64_t pixels = StrideOf(pages[p].width) * pages[p].height;
    if (pixels > kMaxSheetPixels) {
      messages.Error(PagePath(stem, p) + ": a sheet page of " + std::to_string(pages[p].width) +
                     " x " + std::to_string(pages[p].height) +
                     " pixels is too large (at most 256 Mi pixels; lower --max-size)");
      return 0;
    }
    held += pixels;
  }
  const int64_t written = held * (request.alpha ? 4 : 1);
  if (!budget.ReserveDecoded(held) || !budget.ReserveWritten(written)) {
    messages.Error(stem + ".png: the sheet would pass the limit of " +
                   std::to_string(budget.writtenLimit()) +
                   " bytes for one archive (raise it with --max-output)");
    return 0;
  }

  nlohmann::ordered_json atlas;
  atlas["archive"] = path.substr(path.find_last_of('/') + 1);
  atlas["pages"] = nlohmann::ordered_json::array();
  for (size_t p = 0; p < pages.size(); ++p) {
    const std::string file = PagePath(stem, p);
    atlas["pages"].push_back({{"image", file.substr(file.find_last_of('/') + 1)},
                              {"width", pages[p].width},
                              {"height", pages[p].height}});
  }
  atlas["cells"] = nlohmann::ordered_json::array();
  for (const Cell& cell : cells) atlas["cells"].push_back(CellJson(cell, archive));
  atlas["frames"] = nlohmann::ordered_json::array();
  size_t d = 0;
  for (size_t b = 0; b < blocks.size(); ++b) {
    const BlockInfo& block = archive.blocks[b];
    for (const BlockEntry& entry : blocks[b]) {
      nlohmann::ordered_json frame;
      frame["index"] = entry.tableIndex;
      frame["name"] = Cp1251ToUtf8(block.frames[size_t(entry.positionInBlock)].name);
      frame["block"] = {{"identifier", block.identifier}, {"position", int32_t(b)}};
      frame["indexInBlock"] = entry.positionInBlock;
      frame["offset"] = archive.frames[size_t(entry.tableIndex)].offset;
      frame["cell"] = cellOfEntry[d++];
      atlas["frames"].push_back(std::move(frame));
    }
  }

  const std::array<Rgba, 256> colours =
      ColoursFor(archive.palette, archive.head.archiveType, SpriteLayer::Whole, request.outline);
  int files = 0;
  for (size_t p = 0; p < pages.size(); ++p) {
    const IndexedImage page = DrawPage(cells, int32_t(p), pages[p], archive.palette);
    const std::string file = PagePath(stem, p);
    const WriteOutcome image = WriteOutputFile(file, [&](AtomicFile& out) {
      return request.alpha ? WriteRgbaPng(out, ViewOf(page), colours)
                           : WritePng(out, ViewOf(page), true);
    });
    if (!image.ok()) {
      TellWriteFailure(file, image, messages);
      // A sheet is whole or not there: the pages already written go too.
      for (size_t q = 0; q < p; ++q) std::remove(PagePath(stem, q).c_str());
      return 0;
    }
    ++files;
  }
  const std::string text =
      atlas.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  const WriteOutcome json = WriteOutputFile(stem + ".json", text.data(), text.size());
  if (json.ok()) return files + 1;
  TellWriteFailure(stem + ".json", json, messages);
  return files;
}

}  // namespace

int RunSheet(const SheetRequest& request, Messages& messages) {
  const auto archives = ArchivesForOutput(request.inputs, request.outputFolder, messages);
  if (!archives) return messages.ExitStatus();
  // Archives of one stem write units.png, then units~2.png, ...
  const std::vector<std::string> stems = UniqueStems(*archives);
  const int files =
      RunArchiveBatch(*archives, stems, request.jobs, messages, [&](size_t i, Messages& out) {
        return SheetArchive((*archives)[i], stems[i], request, out);
      });
  messages.Summary(std::to_string(files) + " file" + (files == 1 ? "" : "s") + " written into " +
                   request.outputFolder + (DiskFullSeen() ? "; stopped: the disk is full" : ""));
  return messages.ExitStatus();
}

Command AddSheetCommand(CLI::App& app, bool& quiet) {
  struct Options {
    SheetRequest request;
    std::vector<std::string> paths;
  };
  auto options = std::make_shared<Options>();
  SheetRequest& request = options->request;
  CLI::App* command = app.add_subcommand("sheet", "Write a sprite sheet PNG and a JSON atlas");
  command->add_option("INPUT", options->paths, "DEF archives and folders of them, then OUTDIR")
      ->required()
      ->expected(1, -1);
  command
      ->add_option("--padding", request.padding, "Pixels between and around cells (default 1)")
      ->check(WholeNumber(0, 1024))
      ->type_name("N");
  command
      ->add_option("--max-size", request.maxSize,
                   "Most pixels a page may be wide or tall (default 4096); rows wrap and "
                   "further pages <stem>-1.png, ... open where one would pass it")
      ->check(WholeNumber(16, 65535))
      ->type_name("N");
  command->add_flag("--crop", request.crop, "Cells hold the stored rectangles only");
  command->add_flag("--alpha", request.alpha, "RGBA by the colour rule of export --alpha");
  AddOutline(*command, request.outline);
  AddMaxOutput(*command, request.maxOutput);
  AddJobs(*command, request.jobs, kArchivesAtOnce);
  AddQuiet(*command, quiet);
  command->footer(
      "One cell per stored frame (entries naming the same frame share it), a new row for\n"
      "each block, frames in directory order; rows wrap and pages <stem>.png, <stem>-1.png,\n"
      "... open so that no page passes --max-size. A frame too large for a page alone is\n"
      "refused, naming the frame. The atlas <stem>.json lists the pages; each cell's page,\n"
      "rectangle (x, y, w, h), full size, left/top offsets within the full frame and offset\n"
      "in the archive; and every directory entry (table index, name, block, index in the\n"
      "block, offset) with the cell it shows.\n\n"
      "Example:\n  duskweave-convert sheet --crop --padding 2 creature.def sheets/");
  return {command, [options](CommandContext& context) {
            SheetRequest& request = options->request;
            if (request.outline && !request.alpha)
              return UsageError(context.err, "--outline goes with --alpha");
            if (!SplitOutputFolder("sheet", options->paths, request.inputs, request.outputFolder,
                                   context.err))
              return kUsageStatus;
            return RunSheet(request, context.messages);
          }};
}

}  // namespace dw::cli
