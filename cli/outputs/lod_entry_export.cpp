#include "cli/outputs/lod_entry_export.h"

#include <cstdio>

#include "archive/decode_budget.h"
#include "archive/stop_request.h"
#include "cli/inputs/lod_input.h"
#include "cli/outputs/output_file.h"
#include "cli/inputs/pcx_image.h"
#include "cli/outputs/png_writer.h"
#include "cli/run/diagnostic_report.h"

namespace dw::cli {
namespace {

struct ReadEntry {
  ResolvedLodInput lod;
  std::shared_ptr<const std::vector<uint8_t>> bytes;
};

std::optional<ReadEntry> Read(const std::string& input, int64_t maxOutput, Messages& messages) {
  const std::optional<LodInput> split = SplitLodInput(input);
  std::optional<ResolvedLodInput> lod = ResolveLodInput(input);
  if (!split || !lod) {
    messages.Error(input + ": the LOD container has no entry of that name");
    return std::nullopt;
  }
  std::shared_ptr<const std::vector<uint8_t>> bytes = ReadLodInput(*split, input, maxOutput, messages);
  if (!bytes) return std::nullopt;
  return ReadEntry{std::move(*lod), std::move(bytes)};
}

// An indexed image as the palettised writer takes it: rows bottom first,
// padded to four bytes, a colour table of blue, green, red, 0.
WriteResult WriteIndexedPng(AtomicFile& file, const PcxImage& image) {
  const int64_t stride = (int64_t{image.width} + 3) / 4 * 4;
  std::vector<uint8_t> rows(size_t(stride * image.height));
  for (int64_t y = 0; y < image.height; ++y) {
    std::copy_n(image.pixels.begin() + y * image.width, image.width,
                rows.begin() + (image.height - 1 - y) * stride);
  }
  std::vector<uint8_t> table(256 * 4, 0);
  for (size_t i = 0; i < 256; ++i) {
    table[4 * i] = image.palette[3 * i + 2];
    table[4 * i + 1] = image.palette[3 * i + 1];
    table[4 * i + 2] = image.palette[3 * i];
  }
  BmpView view;
  view.width = image.width;
  view.height = image.height;
  view.stride = stride;
  view.colourTable = table.data();
  view.pixels = rows.data();
  return WritePng(file, view, false);
}

}  // namespace

bool ExportLodFile(const std::string& input, const std::string& path, int64_t maxOutput,
                   Messages& messages) {
  const std::optional<ReadEntry> entry = Read(input, maxOutput, messages);
  if (!entry) return false;
  DecodeBudget budget = DecodeBudget::ForInput(int64_t(entry->bytes->size()), maxOutput);
  WriteOutcome outcome;
  if (KindOfEntry(entry->lod.entry()) != LodEntryKind::Pcx) {
    if (!budget.ReserveWritten(int64_t(entry->bytes->size()))) {
      messages.Error(input + ": the output would pass the limit of " +
                     std::to_string(budget.writtenLimit()) + " bytes (raise it with --max-output)");
      return false;
    }
    outcome = WriteOutputFile(path, entry->bytes->data(), entry->bytes->size());
  } else {
    std::string why;
    const std::optional<PcxImage> image = ReadPcxImage(*entry->bytes, budget.decodedLimit(), why);
    if (!image) {
      messages.Damage(input + ": damaged PCX image: " + why);
      return false;
    }
    // The pixels, their copy in rows, and at most as much again written.
    const int64_t pixels = int64_t(image->pixels.size());
    if (!budget.ReserveDecoded(2 * pixels) || !budget.ReserveWritten(pixels + 1024)) {
      messages.Error(input + ": the output would pass the limit of " +
                     std::to_string(budget.decodedLimit()) + " bytes (raise it with --max-output)");
      return false;
    }
    outcome = WriteOutputFile(path, [&](AtomicFile& file) {
      return image->indexed ? WriteIndexedPng(file, *image)
                            : WriteRgbPng(file, image->width, image->height, image->pixels.data());
    });
  }
  if (!outcome.ok()) {
    TellWriteFailure(path, outcome, messages);
    return false;
  }
  return true;
}

std::optional<nlohmann::ordered_json> ListLodFile(const std::string& input, bool json,
                                                  std::ostream& out, Messages& messages) {
  const std::optional<ReadEntry> entry = Read(input, 0, messages);
  if (!entry) return std::nullopt;
  nlohmann::ordered_json result;
  result["entry"] = input;
  result["size"] = entry->bytes->size();
  std::string line = input + ": " + LodEntryKindText(entry->lod.entry()) + ", " +
                     std::to_string(entry->bytes->size()) + " bytes";
  result["problems"] = nlohmann::ordered_json::array();
  if (KindOfEntry(entry->lod.entry()) == LodEntryKind::Pcx) {
    result["kind"] = "pcx";
    std::string why;
    // Only the head is needed: no pixels are kept.
    if (const std::optional<PcxImage> image = ReadPcxImage(*entry->bytes, INT64_MAX, why)) {
      result["width"] = image->width;
      result["height"] = image->height;
      result["indexed"] = image->indexed;
      line += ", " + std::to_string(image->width) + " x " + std::to_string(image->height) +
              (image->indexed ? " palette indices" : " colours");
    } else {
      messages.Damage(input + ": damaged PCX image: " + why);
      result["problems"].push_back("damaged PCX image: " + why);
    }
  } else {
    result["kind"] = "file";
  }
  if (!json) out << line << '\n';
  return result;
}

}  // namespace dw::cli
