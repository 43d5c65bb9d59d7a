#include "archive/diagnostics.h"

#include <algorithm>
#include <cstring>

namespace dw {
namespace {

std::string Size(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

std::string Rows(const Diagnostic& d, const std::string& what) {
  std::string text = "row " + std::to_string(d.row) + " " + what;
  if (d.count > 1) text += " (and " + std::to_string(d.count - 1) + " more rows)";
  return text;
}

}  // namespace

bool IsDamage(DiagnosticKind kind) {
  switch (kind) {
    case DiagnosticKind::CannotOpen:
    case DiagnosticKind::WriteFailed:
    case DiagnosticKind::BudgetExhausted:
      return false;
    default:
      return true;
  }
}

bool Diagnostics::Has(DiagnosticKind kind) const {
  return std::any_of(items.begin(), items.end(),
                     [kind](const Diagnostic& d) { return d.kind == kind; });
}

bool Diagnostics::damaged() const {
  return std::any_of(items.begin(), items.end(),
                     [](const Diagnostic& d) { return IsDamage(d.kind); });
}

std::string DescribeDiagnostic(const Diagnostic& d) {
  const std::string block = std::to_string(d.block);
  switch (d.kind) {
    case DiagnosticKind::CannotOpen:
      return "cannot open or read the archive";
    case DiagnosticKind::HeadTruncated:
      return "file ends inside the head";
    case DiagnosticKind::PaletteTruncated:
      return "file ends inside the palette";
    case DiagnosticKind::BlocksMissing:
      return "the file holds " + std::to_string(d.count) + " of " + std::to_string(d.value) +
             " declared blocks";
    case DiagnosticKind::BlockHeadTruncated:
      return "file ends inside the head of block " + block;
    case DiagnosticKind::NegativeFrameCount:
      return "block " + block + " declares a negative frame count (" + std::to_string(d.value) +
             ")";
    case DiagnosticKind::FramesMissing:
      return "block " + block + " declares " + std::to_string(d.value) +
             " frames but the file holds " + std::to_string(d.count) + " of them";
    case DiagnosticKind::NoFrames:
      return "the archive holds no frames";
    case DiagnosticKind::FrameNotInTable:
      return "not in the table";
    case DiagnosticKind::FrameHeadOutside:
      return "head at " + std::to_string(d.value) + " lies outside the file";
    case DiagnosticKind::NegativeFullSize:
      return "negative full size " + Size(d.width, d.height);
    case DiagnosticKind::TooLarge:
      return "image of " + Size(d.width, d.height) + " is too large";
    case DiagnosticKind::NegativeStoredSize:
      return "negative stored size " + Size(d.width, d.height);
    case DiagnosticKind::RectangleOutside:
      return "stored rectangle lies partly outside the full image";
    case DiagnosticKind::RowsOutside:
      return Rows(d, "starts outside the data");
    case DiagnosticKind::RowsCutShort:
      return Rows(d, "is cut short by the end of the data");
    case DiagnosticKind::RowsPastWidth:
      return Rows(d, "holds runs past the frame's width of " + std::to_string(d.width) + " pixels");
    case DiagnosticKind::UnknownCompression:
      return "unknown compression " + std::to_string(d.value);
    case DiagnosticKind::WriteFailed:
      return (d.path.empty() ? "" : d.path + ": ") + "cannot write the file" +
             (d.value != 0 ? ": " + std::string(std::strerror(int(d.value))) : "");
    case DiagnosticKind::BudgetExhausted:
      return "the operation reached its limit of " + std::to_string(d.value) +
             " bytes and stopped";
  }
  return "unknown problem";
}

std::string FormatDiagnostic(const Diagnostic& d) {
  if (d.frame < 0) return DescribeDiagnostic(d);
  return "frame " + std::to_string(d.frame) + ": " + DescribeDiagnostic(d);
}

}  // namespace dw
