// A plain text table: aligned columns, with full-width section lines between
// groups of rows.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace dw::bench {

class Table {
 public:
  // Columns listed in rightAligned (numbers) are aligned to the right.
  Table(std::vector<std::string> headings, std::vector<size_t> rightAligned);
  void AddSection(std::string text);
  void AddRow(std::vector<std::string> cells);
  void Print(std::ostream& out) const;

 private:
  struct Line {
    bool section = false;
    std::vector<std::string> cells;
  };
  std::vector<std::string> headings_;
  std::vector<size_t> rightAligned_;
  std::vector<Line> lines_;
};

// "12.34 ms", "1.2 s"
std::string FormatMs(double ms);
// "1.23"
std::string FormatRatio(double ratio);
// "3.4 MiB", "177.6 KiB"
std::string FormatBytes(int64_t bytes);

}  // namespace dw::bench
