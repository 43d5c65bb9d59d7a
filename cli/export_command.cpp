#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include "archive/archive.h"
#include "archive/decode_budget.h"
#include "archive/frame_source.h"
#include "archive/frame_decoder.h"
#include "archive/frame_export.h"
#include "archive/frame_info.h"
#include "archive/stream.h"
#include "archive/text_encoding.h"
#include "cli/archive_inputs.h"
#include "cli/archive_report.h"
#include "cli/batch_runner.h"
#include "cli/commands.h"
#include "cli/diagnostic_report.h"
#include "cli/manifest.h"
#include "cli/open_archive.h"
#include "cli/output_names.h"
#include "cli/png_writer.h"
#include "cli/sprite_alpha.h"
#include "cli/sprite_crop.h"

namespace dw::cli {
namespace {

namespace fs = std::filesystem;

bool MakeFolder(const std::string& folder, Messages& messages) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ec && fs::is_directory(folder, ec)) return true;
  messages.Error(folder + ": cannot create the output folder" +
                 (ec ? ": " + ec.message() : ": a file of that name is in the way"));
  return false;
}

struct FrameOutcome {
  bool written = false;
  bool damaged = false;
  bool stopped = false;  // the archive's budget ran out
};

// Writes one image in the request's format; an empty string or what went wrong.
std::string WriteImage(const std::string& path, const IndexedImage& image,
                       const ExportRequest& request) {
  if (request.format == ImageFormat::Bmp) {
    StreamPtr file = CreateWriteStream(path);
    const bool written = StreamOpened(*file) && WriteFrameBmp(image, *file);
    FreeStream(file);
    return written ? std::string() : "cannot write the file";
  }
  if (request.alpha) return WriteRgbaPng(path, image, AlphaColours(image.palette, request.outline));
  return WritePng(path, ViewOf(image), request.transparent);
}

FrameOutcome ExportOne(FrameSource& source, const std::vector<uint8_t>& bytes, int32_t index,
                       const std::string& path, const ExportRequest& request,
                       ProblemReport& problems, Messages& messages, CropBox* crop) {
  const Archive& archive = source.archive();
  Diagnostics result;
  if (request.format == ImageFormat::Bmp && !request.crop) {
    // The window program's export, byte for byte.
    result = ExportFrame(source, index, path);
  } else {
    const IndexedImage& decoded = source.Decode(index, result);
    if (!result.budgetExhausted()) {
      IndexedImage cut;
      const IndexedImage* image = &decoded;
      if (request.crop) {
        const std::optional<FrameHeader> head = ReadFrameHeader(archive, bytes, index);
        *crop = head ? StoredRectangle(*head, decoded) : CropBox{0, 0, 0, 0, true};
        cut = Crop(decoded, *crop);
        image = &cut;
      }
      if (!source.budget().ReserveWritten(FrameBmpSize(*image))) {
        Diagnostic d;
        d.kind = DiagnosticKind::BudgetExhausted;
        d.frame = index;
        d.value = source.budget().writtenLimit();
        result.Add(d);
      } else if (const std::string error = WriteImage(path, *image, request); !error.empty()) {
        problems.Add(result);
        messages.Error(path + ": " + FrameLabel(archive, index) + ": " + error);
        return FrameOutcome{false, result.damaged(), false};
      }
    }
  }
  problems.Add(result);
  return FrameOutcome{!result.writeFailed() && !result.budgetExhausted(), result.damaged(),
                      result.budgetExhausted()};
}

// Where each cropped image lies in its full frame, for engines and pack.
void AddCropBoxes(nlohmann::ordered_json& manifest, const std::map<int32_t, CropBox>& boxes) {
  manifest["crop"] = true;
  for (auto& block : manifest["blocks"]) {
    for (auto& frame : block["frames"]) {
      if (!frame["index"].is_number()) continue;
      const auto box = boxes.find(frame["index"].get<int32_t>());
      if (box == boxes.end()) continue;
      frame["crop"] = {{"left", box->second.left},
                       {"top", box->second.top},
                       {"width", box->second.width},
                       {"height", box->second.height}};
      if (box->second.empty) frame["empty"] = true;
    }
  }
}

bool WriteManifest(const std::string& path, const nlohmann::ordered_json& manifest,
                   Messages& messages) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << manifest.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  out.close();
  if (out) return true;
  messages.Error(path + ": cannot write the manifest");
  return false;
}

struct Totals {
  int archives = 0;
  int files = 0;
  int damagedArchives = 0;
  int failedArchives = 0;
};

void ExportArchive(const std::string& archivePath, const std::string& folder,
                   const ExportRequest& request, const std::string& progressPrefix,
                   Messages& messages, Totals& totals) {
  const std::optional<OpenedArchive> opened = OpenArchive(archivePath, messages, request.maxOutput);
  if (!opened) {
    ++totals.failedArchives;
    return;
  }
  const Archive& archive = opened->archive;
  bool damaged = opened->load.damaged();
  const ArchiveReport report = ReportArchive(archive, *opened->bytes);

  std::vector<std::string> names;
  for (const FrameReport& frame : report.frames) names.push_back(frame.name);
  const ResolvedFrames resolved = ResolveFrames(request.frames, names);
  bool failed = false;
  for (const std::string& missing : resolved.outOfRange) {
    messages.Error(archivePath + ": no frame " + missing + " (the archive has " +
                   std::to_string(names.size()) + " frames)");
    failed = true;
  }
  for (const std::string& pattern : resolved.unmatched) {
    messages.Error(archivePath + ": no frame matches '" + PrintableName(pattern) + "'");
    failed = true;
  }
  if (!MakeFolder(folder, messages)) {
    ++totals.failedArchives;
    return;
  }

  const int64_t limit = request.maxOutput > 0
                            ? request.maxOutput
                            : DecodeBudget::LimitFor(int64_t(opened->bytes->size()));
  DecodeBudget budget(limit);
  // --alpha maps shadow and outline codes, so their fill runs keep them.
  FrameSource source(archive, opened->bytes, budget,
                     DecodeOptions{request.keepSpecial || request.alpha});
  const std::vector<int32_t> indices = InTableOrder(resolved.indices);
  const OutputNames outputs = PlanOutputNames(
      archive, indices, request.format == ImageFormat::Png ? "png" : "bmp", request.uniqueNames);
  std::map<int32_t, std::string> files;  // table index -> the file that holds its image
  std::set<std::string> written;
  std::map<int32_t, CropBox> boxes;
  {
    ProblemReport problems(archivePath, archive, messages);
    for (size_t k = 0; k < indices.size(); ++k) {
      const int32_t index = indices[k];
      messages.Progress(progressPrefix + ": frame " + std::to_string(k + 1) + "/" +
                        std::to_string(indices.size()));
      const std::string& fileName = outputs.files[k];
      CropBox box;
      const FrameOutcome outcome = ExportOne(source, *opened->bytes, index, folder + "/" + fileName,
                                             request, problems, messages, &box);
      if (request.crop && outcome.written) boxes[index] = box;
      damaged = damaged || outcome.damaged;
      if (outcome.written) {
        written.insert(fileName);
        // A file a later frame of another head replaced no longer holds this one.
        if (!outputs.overwritten[k]) files[index] = fileName;
      } else {
        failed = true;
      }
      if (outcome.stopped) break;
    }
  }
  totals.files += int(written.size());
  if (outputs.overwrittenCount > 0) {
    messages.Note(archivePath + ": " + std::to_string(outputs.overwrittenCount) +
                  (outputs.overwrittenCount == 1 ? " frame was" : " frames were") +
                  " overwritten by later frames of the same name; --unique-names keeps them");
  }

  if (request.manifest) {
    const std::string path = folder + "/" + ArchiveStem(archivePath) + ".json";
    nlohmann::ordered_json manifest = BuildManifest(archive, report, files, opened->load);
    // pack encodes shadow and outline indices back as fill runs only when it
    // knows the images hold them.
    manifest["keepSpecial"] = request.keepSpecial || request.alpha;
    if (request.alpha) manifest["alpha"] = true;
    if (request.crop) AddCropBoxes(manifest, boxes);
    if (!WriteManifest(path, manifest, messages)) failed = true;
  }
  if (failed) {
    ++totals.failedArchives;
  } else if (damaged) {
    ++totals.damagedArchives;
  }
}

std::string Plural(int count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// "out/" and "out" name the same folder; keep paths in messages tidy.
std::string WithoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

int RunExport(const ExportRequest& givenRequest, Messages& messages) {
  ExportRequest request = givenRequest;
  request.outputFolder = WithoutTrailingSlashes(request.outputFolder);
  const ArchiveInputs inputs = CollectArchives(request.inputs, request.lodFiles);
  for (const std::string& error : inputs.errors) messages.Error(error);
  for (const std::string& warning : inputs.warnings) messages.Damage(warning);
  Totals totals;
  if (!inputs.archives.empty() && MakeFolder(request.outputFolder, messages)) {
    const size_t count = inputs.archives.size();
    std::vector<std::string> folders(count), notes(count);
    std::map<std::string, std::string> firstInFolder;  // output folder -> archive exported there
    for (size_t i = 0; i < count; ++i) {
      const std::string& archive = inputs.archives[i];
      folders[i] = inputs.singleFile ? request.outputFolder
                                     : request.outputFolder + "/" + ArchiveStem(archive);
      const auto [previous, isNew] = firstInFolder.emplace(folders[i], archive);
      if (!isNew) {
        notes[i] = archive + " and " + previous->second + " both export into " + folders[i] +
                   "; files of the same name are replaced";
      }
    }
    // Each archive prints into its own buffer and counts into its own totals;
    // both reach the user in input order, whatever order the jobs end in.
    std::vector<std::unique_ptr<MessageBuffer>> buffers(count);
    std::vector<Totals> archiveTotals(count);
    const auto work = [&](size_t i) {
      buffers[i] = std::make_unique<MessageBuffer>();
      // Built piece by piece: g++ 12 at -O3 warns falsely on the chained form.
      std::string prefix = "[";
      prefix += std::to_string(i + 1);
      prefix += '/';
      prefix += std::to_string(count);
      prefix += "] ";
      prefix += PrintableName(fs::path(inputs.archives[i]).filename().string());
      ExportArchive(inputs.archives[i], folders[i], request, prefix, buffers[i]->messages,
                    archiveTotals[i]);
    };
    const auto finish = [&](size_t i) {
      if (!notes[i].empty()) messages.Note(notes[i]);
      messages.Forward(buffers[i]->printed.str(), buffers[i]->messages.failed());
      buffers[i].reset();
      ++totals.archives;
      totals.files += archiveTotals[i].files;
      totals.damagedArchives += archiveTotals[i].damagedArchives;
      totals.failedArchives += archiveTotals[i].failedArchives;
      messages.Progress(std::to_string(i + 1) + "/" + std::to_string(count) + " archives done");
    };
    RunBatch(folders, request.jobs > 0 ? request.jobs : DefaultJobs(), work, finish);
  }
  std::string summary = Plural(totals.files, "file") + " written from " +
                        Plural(totals.archives, "archive") + " into " + request.outputFolder;
  if (totals.damagedArchives > 0)
    summary += "; " + Plural(totals.damagedArchives, "damaged archive");
  if (totals.failedArchives > 0) {
    summary += "; " + Plural(totals.failedArchives, "archive") + " with errors";
  }
  messages.Summary(summary);
  return messages.ExitStatus();
}

}  // namespace dw::cli
