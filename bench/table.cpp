#include "bench/table.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace dw::bench {

Table::Table(std::vector<std::string> headings, std::vector<size_t> rightAligned)
    : headings_(std::move(headings)), rightAligned_(std::move(rightAligned)) {}

void Table::AddSection(std::string text) {
  lines_.push_back(Line{true, {std::move(text)}});
}

void Table::AddRow(std::vector<std::string> cells) {
  cells.resize(headings_.size());
  lines_.push_back(Line{false, std::move(cells)});
}

void Table::Print(std::ostream& out) const {
  std::vector<size_t> widths;
  for (const std::string& h : headings_) widths.push_back(h.size());
  for (const Line& line : lines_) {
    if (line.section) continue;
    for (size_t i = 0; i < line.cells.size(); ++i)
      widths[i] = std::max(widths[i], line.cells[i].size());
  }
  size_t total = 0;
  for (size_t w : widths) total += w + 2;

  auto printCells = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (size_t i = 0; i < cells.size(); ++i) {
      const bool right =
          std::find(rightAligned_.begin(), rightAligned_.end(), i) != rightAligned_.end();
      const std::string pad(widths[i] - cells[i].size(), ' ');
      text += right ? pad + cells[i] : cells[i] + pad;
      if (i + 1 < cells.size()) text += "  ";
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  };
  printCells(headings_);
  out << std::string(total - 2, '-') << '\n';
  for (const Line& line : lines_) {
    if (line.section) {
      out << line.cells[0] << '\n';
    } else {
      printCells(line.cells);
    }
  }
}

std::string FormatMs(double ms) {
  char text[32];
  if (ms >= 10000) {
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000);
  } else if (ms >= 100) {
    std::snprintf(text, sizeof text, "%.0f ms", ms);
  } else if (ms >= 10) {
    std::snprintf(text, sizeof text, "%.1f ms", ms);
  } else {
    std::snprintf(text, sizeof text, "%.2f ms", ms);
  }
  return text;
}

std::string FormatRatio(double ratio) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ratio);
  return text;
}

std::string FormatBytes(int64_t bytes) {
  char text[32];
  if (bytes >= int64_t{1} << 20) {
    std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / (1 << 20));
  } else if (bytes >= 1024) {
    std::snprintf(text, sizeof text, "%.1f KiB", double(bytes) / 1024);
  } else {
    std::snprintf(text, sizeof text, "%lld B", static_cast<long long>(bytes));
  }
  return text;
}

}  // namespace dw::bench
