#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

#include "archive/archive.h"
#include "archive/decode_budget.h"
#include "archive/frame_source.h"
#include "archive/frame_decoder.h"
#include "archive/frame_export.h"
#include "archive/stream.h"
#include "archive/text_encoding.h"
#include "cli/archive_inputs.h"
#include "cli/archive_report.h"
#include "cli/commands.h"
#include "cli/diagnostic_report.h"
#include "cli/manifest.h"
#include "cli/open_archive.h"
#include "cli/output_names.h"
#include "cli/png_writer.h"

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

FrameOutcome ExportOne(FrameSource& source, int32_t index, const std::string& path,
                       const ExportRequest& request, ProblemReport& problems, Messages& messages) {
  const Archive& archive = source.archive();
  Diagnostics result;
  if (request.format == ImageFormat::Bmp) {
    result = ExportFrame(source, index, path);
  } else {
    const IndexedImage& image = source.Decode(index, result);
    if (!result.budgetExhausted()) {
      if (!source.budget().ReserveWritten(FrameBmpSize(image))) {
        Diagnostic d;
        d.kind = DiagnosticKind::BudgetExhausted;
        d.frame = index;
        d.value = source.budget().writtenLimit();
        result.Add(d);
      } else if (const std::string error = WritePng(path, ViewOf(image), request.transparent);
                 !error.empty()) {
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
  FrameSource source(archive, opened->bytes, budget, DecodeOptions{request.keepSpecial});
  const std::vector<int32_t> indices = InTableOrder(resolved.indices);
  const OutputNames outputs = PlanOutputNames(
      archive, indices, request.format == ImageFormat::Png ? "png" : "bmp", request.uniqueNames);
  std::map<int32_t, std::string> files;  // table index -> the file that holds its image
  std::set<std::string> written;
  {
    ProblemReport problems(archivePath, archive, messages);
    for (size_t k = 0; k < indices.size(); ++k) {
      const int32_t index = indices[k];
      messages.Progress(progressPrefix + ": frame " + std::to_string(k + 1) + "/" +
                        std::to_string(indices.size()));
      const std::string& fileName = outputs.files[k];
      const FrameOutcome outcome =
          ExportOne(source, index, folder + "/" + fileName, request, problems, messages);
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
    if (!WriteManifest(path, BuildManifest(archive, report, files, opened->load), messages))
      failed = true;
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
    std::map<std::string, std::string> folders;  // output folder -> archive exported there
    for (size_t i = 0; i < inputs.archives.size(); ++i) {
      const std::string& archive = inputs.archives[i];
      const std::string folder = inputs.singleFile
                                     ? request.outputFolder
                                     : request.outputFolder + "/" + ArchiveStem(archive);
      const auto [previous, isNew] = folders.emplace(folder, archive);
      if (!isNew) {
        messages.Note(archive + " and " + previous->second + " both export into " + folder +
                      "; files of the same name are replaced");
      }
      ++totals.archives;
      // Built piece by piece: g++ 12 at -O3 warns falsely on the chained form.
      std::string prefix = "[" + std::to_string(i + 1);
      prefix += "/" + std::to_string(inputs.archives.size()) + "] ";
      prefix += PrintableName(fs::path(archive).filename().string());
      ExportArchive(archive, folder, request, prefix, messages, totals);
    }
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
