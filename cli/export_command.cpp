#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <system_error>

#include "archive/archive.h"
#include "archive/bmp_layout.h"
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
#include "cli/frame_jobs.h"
#include "cli/lod_entry_export.h"
#include "cli/lod_input.h"
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

// What exporting one frame gave, kept until the frames are reported in table
// order.
struct FrameResult {
  bool written = false;
  bool damaged = false;
  bool stopped = false;  // the archive's budget ran out
  struct Detail {
    Diagnostics found;
    std::string error;  // a write that failed in a way the diagnostics do not say
    CropBox box;
  };
  std::unique_ptr<Detail> detail;  // only when there is something to tell or a crop box
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

FrameResult ExportOne(FrameSource& source, const std::vector<uint8_t>& bytes, int32_t index,
                      const std::string& path, const ExportRequest& request) {
  const Archive& archive = source.archive();
  Diagnostics found;
  std::string error;
  CropBox box;
  if (request.format == ImageFormat::Bmp && !request.crop) {
    // The window program's export, byte for byte.
    found = ExportFrame(source, index, path);
  } else {
    const IndexedImage& decoded = source.Decode(index, found);
    if (!found.budgetExhausted()) {
      IndexedImage cut;
      const IndexedImage* image = &decoded;
      if (request.crop) {
        const std::optional<FrameHeader> head = ReadFrameHeader(archive, bytes, index);
        box = head ? StoredRectangle(*head, decoded) : CropBox{0, 0, 0, 0, true};
        cut = Crop(decoded, box);
        image = &cut;
      }
      // An RGBA image holds four bytes a pixel: what the encoder is given.
      const int64_t bytes = request.alpha && request.format == ImageFormat::Png
                                ? kBmpPixelOffset + 4 * int64_t{image->width} * image->height
                                : FrameBmpSize(*image);
      if (ReserveFileBytes(source.budget(), bytes, index, found))
        error = WriteImage(path, *image, request);
    }
  }
  FrameResult result;
  result.written = error.empty() && !found.writeFailed() && !found.budgetExhausted();
  result.damaged = found.damaged();
  result.stopped = found.budgetExhausted();
  if (!found.ok() || !error.empty() || request.crop) {
    result.detail = std::make_unique<FrameResult::Detail>(
        FrameResult::Detail{std::move(found), std::move(error), box});
  }
  return result;
}

// Frames may be exported on several threads only when no order of their
// decodes and writes can exhaust the budget: then every order gives the same
// files as one thread does. Each entry is counted as decoded anew, its file
// at least as large as the 1 x 1 image of an empty crop.
bool BudgetHoldsInAnyOrder(const Archive& archive, const std::vector<uint8_t>& bytes,
                           const std::vector<int32_t>& indices, int64_t limit,
                           int64_t bytesPerPixel) {
  int64_t decoded = 0, written = 0;
  for (const int32_t index : indices) {
    const ImageSize size = DecodedImageSize(archive, bytes, index);
    const int64_t pixels = StrideOf(size.width) * size.height;
    decoded += pixels;
    written += std::max<int64_t>(kBmpPixelOffset + bytesPerPixel * pixels, kBmpPixelOffset + 4);
    if (decoded > limit || written > limit) return false;
  }
  return true;
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
                   const ExportRequest& request, int frameJobs, Messages& messages,
                   Totals& totals) {
  const std::optional<OpenedArchive> opened = OpenArchive(archivePath, messages, request.maxOutput);
  if (!opened) {
    ++totals.failedArchives;
    return;
  }
  const Archive& archive = opened->archive;
  bool damaged = opened->load.damaged();
  const ResolvedFrames resolved = ResolveFrames(request.frames, archive);
  bool failed = false;
  for (const std::string& missing : resolved.outOfRange) {
    messages.Error(archivePath + ": no frame " + missing + " (the archive has " +
                   std::to_string(archive.frameCount()) + " frames)");
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

  DecodeBudget budget = DecodeBudget::ForInput(int64_t(opened->bytes->size()), request.maxOutput);
  const int64_t limit = budget.decodedLimit();
  // --alpha maps shadow and outline codes, so their fill runs keep them.
  const DecodeOptions options{request.keepSpecial || request.alpha};
  const std::vector<int32_t> indices = InTableOrder(resolved.indices);
  const OutputNames outputs = PlanOutputNames(
      archive, indices, request.format == ImageFormat::Png ? "png" : "bmp", request.uniqueNames);
  std::map<int32_t, std::string> files;  // for the manifest: table index -> the file of its image
  std::vector<bool> written(size_t(outputs.fileCount));
  int writtenFiles = 0;
  std::map<int32_t, CropBox> boxes;
  {
    ProblemReport problems(archivePath, archive, messages);
    const auto pathOf = [&](size_t k) { return folder + "/" + outputs.files[k]; };
    // Reports frame k and counts it; true when the export stops there.
    const auto record = [&](size_t k, const FrameResult& result) {
      const int32_t index = indices[k];
      if (result.detail) {
        problems.Add(result.detail->found);
        if (!result.detail->error.empty())
          messages.Error(pathOf(k) + ": " + FrameLabel(archive, index) + ": " + result.detail->error);
        if (request.crop && result.written) boxes[index] = result.detail->box;
      }
      damaged = damaged || result.damaged;
      if (result.written) {
        const auto slot = size_t(outputs.fileSlot[k]);
        writtenFiles += written[slot] ? 0 : 1;
        written[slot] = true;
        // A file a later frame of another head replaced no longer holds this one.
        if (request.manifest && !outputs.overwritten[k]) files[indices[k]] = outputs.files[k];
      } else {
        failed = true;
      }
      return result.stopped;
    };
    if (frameJobs > 1 && indices.size() > 1 &&
        BudgetHoldsInAnyOrder(archive, *opened->bytes, indices, limit,
                              request.alpha && request.format == ImageFormat::Png ? 4 : 1)) {
      // Each thread decodes through a source of its own; the results wait
      // for the report in table order.
      std::vector<std::unique_ptr<FrameSource>> sources;
      for (int w = 0; w < frameJobs; ++w)
        sources.push_back(std::make_unique<FrameSource>(archive, opened->bytes, budget, options));
      std::vector<FrameResult> results(indices.size());
      RunFrameJobs(outputs.fileSlot, frameJobs, [&](int worker, size_t k) {
        results[k] = ExportOne(*sources[size_t(worker)], *opened->bytes, indices[k], pathOf(k), request);
      });
      for (size_t k = 0; k < indices.size(); ++k) {
        if (record(k, results[k])) break;
      }
    } else {
      FrameSource source(archive, opened->bytes, budget, options);
      for (size_t k = 0; k < indices.size(); ++k) {
        if (record(k, ExportOne(source, *opened->bytes, indices[k], pathOf(k), request))) break;
      }
    }
  }
  totals.files += writtenFiles;
  if (outputs.overwrittenCount > 0) {
    messages.Note(archivePath + ": " + std::to_string(outputs.overwrittenCount) +
                  (outputs.overwrittenCount == 1 ? " frame was" : " frames were") +
                  " overwritten by later frames of the same name; --unique-names keeps them");
  }

  if (request.manifest) {
    const std::string path = folder + "/" + ArchiveStem(archivePath) + ".json";
    nlohmann::ordered_json manifest =
        BuildManifest(archive, ReportArchive(archive, *opened->bytes), files, opened->load);
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

// "a.png", 2 -> "a~2.png"; "hero" -> "hero~2"
std::string NumberedName(const std::string& name, int n) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name + "~" + std::to_string(n);
  return name.substr(0, dot) + "~" + std::to_string(n) + name.substr(dot);
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
  const ArchiveInputs inputs = CollectArchives(request.inputs, request.lodFiles, true);
  for (const std::string& error : inputs.errors) messages.Error(error);
  for (const std::string& warning : inputs.warnings) messages.Damage(warning);
  Totals totals;
  if (!inputs.archives.empty() && MakeFolder(request.outputFolder, messages)) {
    const size_t count = inputs.archives.size();
    std::vector<std::string> folders(count), notes(count);
    std::map<std::string, std::string> firstInFolder;  // output folder -> archive exported there
    std::vector<bool> lodFile(count, false);  // a LOD entry that is no DEF archive: one file
    for (size_t i = 0; i < count; ++i) {
      const std::string& archive = inputs.archives[i];
      const std::optional<ResolvedLodInput> lod = ResolveLodInput(archive);
      lodFile[i] = lod && KindOfEntry(lod->entry()) != LodEntryKind::Def;
      folders[i] = inputs.singleFile && !lodFile[i]
                       ? request.outputFolder
                       : request.outputFolder + "/" + ArchiveStem(archive);
      // Entries of a container that would share a name get "~2", "~3", ...
      for (int n = 2; lod && firstInFolder.count(folders[i]) != 0; ++n)
        folders[i] = request.outputFolder + "/" + NumberedName(ArchiveStem(archive), n);
      const auto [previous, isNew] = firstInFolder.emplace(folders[i], archive);
      if (!isNew) {
        notes[i] = archive + " and " + previous->second + " both export into " + folders[i] +
                   "; files of the same name are replaced";
      }
    }
    // Each archive prints into its own buffer and counts into its own totals;
    // both reach the user in input order, whatever order the jobs end in.
    std::vector<std::unique_ptr<MessageBuffer>> buffers(count);
    // Cores the batch leaves idle go to the frames of its archives.
    const int jobs = request.jobs > 0 ? request.jobs : DefaultJobs();
    const int frameJobs = std::max(1, jobs / int(std::min<size_t>(count, size_t(jobs))));
    std::vector<Totals> archiveTotals(count);
    const auto work = [&](size_t i) {
      buffers[i] = std::make_unique<MessageBuffer>();
      if (lodFile[i]) {
        const bool written = ExportLodFile(inputs.archives[i], folders[i], request.maxOutput,
                                           buffers[i]->messages);
        archiveTotals[i].files += written ? 1 : 0;
        archiveTotals[i].failedArchives += written ? 0 : 1;
        return;
      }
      ExportArchive(inputs.archives[i], folders[i], request, frameJobs, buffers[i]->messages,
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
    RunBatch(folders, jobs, work, finish);
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
