#include "cli/outputs/archive_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>

#include "archive/frame_info.h"
#include "archive/text_encoding.h"

namespace dw::cli {
namespace {

size_t DisplayWidth(const std::string& utf8) {
  return static_cast<size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Pad(const std::string& text, size_t width, bool right) {
  const size_t shown = DisplayWidth(text);
  if (shown >= width) return text;
  const std::string fill(width - shown, ' ');
  return right ? fill + text : text + fill;
}

std::string Hex32(int32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<uint32_t>(value));
  return buffer;
}

}  // namespace

std::string PrintableName(const std::string& utf8) {
  std::string shown;
  shown.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    // C1 controls arrive from the code page as U+0080..U+009F (C2 80..C2 9F).
    if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
        static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      shown += '?';
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      shown += '?';
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

ArchiveReport ReportArchive(const Archive& archive, const std::vector<uint8_t>& bytes) {
  ArchiveReport report;
  report.path = archive.path;
  report.type = archive.head.archiveType;
  report.width = archive.head.width;
  report.height = archive.head.height;
  report.blockCount = archive.head.blockCount;
  report.archive = &archive;
  report.bytes = &bytes;
  report.places.resize(size_t(archive.frameCount()));
  // Each table entry is one directory entry: where it stands in its block.
  const std::vector<int32_t> table = TableIndicesOfDirectory(archive);
  size_t d = 0;
  for (size_t b = 0; b < archive.blocks.size(); ++b) {
    for (size_t k = 0; k < archive.blocks[b].frames.size() && d < table.size(); ++k, ++d) {
      FramePlace& place = report.places[size_t(table[d])];
      place.blockIdentifier = archive.blocks[b].identifier;
      place.blockPosition = int32_t(b);
      place.indexInBlock = int32_t(k);
    }
  }
  return report;
}

FrameReport ArchiveReport::frame(int32_t index) const {
  FrameReport frame;
  frame.index = index;
  frame.name = Cp1251ToUtf8(archive->frames[size_t(index)].name);
  frame.offset = archive->frames[size_t(index)].offset;
  frame.head = ReadFrameHeader(*archive, *bytes, index);
  const FramePlace& place = places[size_t(index)];
  frame.blockIdentifier = place.blockIdentifier;
  frame.blockPosition = place.blockPosition;
  frame.indexInBlock = place.indexInBlock;
  return frame;
}

namespace {

constexpr size_t kColumns = 9;
using Row = std::array<std::string, kColumns>;

Row RowOf(const FrameReport& frame) {
  Row row;
  row[0] = std::to_string(frame.index);
  row[1] = PrintableName(frame.name);
  row[2] = std::to_string(frame.blockIdentifier);
  row[3] = std::to_string(frame.indexInBlock);
  row[4] = std::to_string(frame.offset);
  if (frame.head) {
    const FrameHeader& h = *frame.head;
    row[5] = std::to_string(h.compression);
    row[6] = std::to_string(h.fullWidth) + "x" + std::to_string(h.fullHeight);
    row[7] = std::to_string(h.width) + "x" + std::to_string(h.height);
    row[8] = std::to_string(h.leftMargin) + "," + std::to_string(h.topMargin);
  } else {
    row[5] = row[6] = row[7] = row[8] = "-";
  }
  return row;
}

}  // namespace

void PrintReport(const ArchiveReport& report, std::ostream& out) {
  out << "Archive: " << PrintableName(report.path) << '\n'
      << "Type:    " << Hex32(report.type) << " (" << report.type << ")\n"
      << "Size:    " << report.width << " x " << report.height << '\n'
      << "Blocks:  " << report.blockCount << '\n'
      << "Frames:  " << report.frameCount() << '\n';
  if (report.frameCount() == 0) return;

  const Row titles = {"Index", "Name",  "Block",  "In block", "Offset",
                      "Compression", "Full", "Stored", "Margins"};
  const std::array<bool, kColumns> rightAligned = {true, false, true,  true, true,
                                                   true, false, false, false};
  // The rows are made twice, once for the column widths and once to print,
  // rather than held: a table of 100,000 frames would hold far more memory
  // than the archive itself.
  std::array<size_t, kColumns> widths{};
  for (size_t c = 0; c < kColumns; ++c) widths[c] = DisplayWidth(titles[c]);
  for (int32_t i = 0; i < report.frameCount(); ++i) {
    const Row row = RowOf(report.frame(i));
    for (size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  }
  std::string line;
  auto printRow = [&](const Row& row) {
    line.clear();
    for (size_t c = 0; c < kColumns; ++c) {
      if (c > 0) line += "  ";
      // The last column needs no trailing blanks.
      line += (c + 1 == kColumns && !rightAligned[c]) ? row[c]
                                                      : Pad(row[c], widths[c], rightAligned[c]);
    }
    line += '\n';
    out << line;
  };
  out << '\n';
  printRow(titles);
  for (int32_t i = 0; i < report.frameCount(); ++i) printRow(RowOf(report.frame(i)));
}

void AddFrameHead(nlohmann::ordered_json& frame, const std::optional<FrameHeader>& head) {
  if (!head) {
    for (const char* key : {"dataSize", "compression", "fullWidth", "fullHeight", "width", "height",
                            "leftMargin", "topMargin"}) {
      frame[key] = nullptr;
    }
    return;
  }
  frame["dataSize"] = head->dataSize;
  frame["compression"] = head->compression;
  frame["fullWidth"] = head->fullWidth;
  frame["fullHeight"] = head->fullHeight;
  frame["width"] = head->width;
  frame["height"] = head->height;
  frame["leftMargin"] = head->leftMargin;
  frame["topMargin"] = head->topMargin;
}

nlohmann::ordered_json ReportHeadToJson(const ArchiveReport& report) {
  nlohmann::ordered_json json;
  json["archive"] = report.path;
  json["type"] = report.type;
  json["width"] = report.width;
  json["height"] = report.height;
  json["blockCount"] = report.blockCount;
  json["frameCount"] = size_t(report.frameCount());
  json["frames"] = nlohmann::ordered_json::array();
  json["problems"] = nlohmann::ordered_json::array();
  return json;
}

nlohmann::ordered_json FrameToJson(const FrameReport& frame) {
  nlohmann::ordered_json item;
  item["index"] = frame.index;
  item["name"] = frame.name;
  item["block"] = {{"identifier", frame.blockIdentifier}, {"position", frame.blockPosition}};
  item["indexInBlock"] = frame.indexInBlock;
  item["offset"] = frame.offset;
  AddFrameHead(item, frame.head);
  return item;
}

}  // namespace dw::cli
