#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include "archive/archive.h"
#include "archive/bmp_layout.h"
#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_export.h"
#include "archive/frame_info.h"
#include "archive/frame_source.h"
#include "archive/stop_request.h"
#include "archive/stream.h"
#include "archive/text_encoding.h"
#include "cli/inputs/archive_inputs.h"
#include "cli/outputs/archive_report.h"
#include "cli/run/batch_runner.h"
#include "cli/inputs/block_frames.h"
#include "cli/commands/command.h"
#include "cli/commands/commands.h"
#include "cli/run/help_format.h"
#include "cli/run/shared_options.h"
#include "cli/run/diagnostic_report.h"
#include "cli/run/frame_jobs.h"
#include "cli/outputs/lod_entry_export.h"
#include "cli/inputs/lod_input.h"
#include "cli/manifest/fill_record.h"
#include "cli/manifest/manifest_writer.h"
#include "cli/inputs/open_archive.h"
#include "cli/outputs/output_file.h"
#include "cli/outputs/png_writer.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "cli/outputs/sprite_crop.h"

namespace dw::cli {
namespace {

// What exporting one frame gave, kept until the frames are reported in table
// order.
struct FrameResult {
  bool written = false;
  bool damaged = false;
  bool stopped = false;  // the archive's budget ran out
  int layerFiles = 0;     // shadow and overlay files beside the frame's own
  bool skipped = false;  // not tried, or abandoned: the run was halted
  bool diskFull = false;  // its write found the disk full
  struct Detail {
    Diagnostics found;
    WriteResult problem;  // a write that failed in a way the diagnostics do not say
    CropBox box;
  };
  std::unique_ptr<Detail> detail;  // only when there is something to tell or a crop box
};

// Which of the low indices the image holds.
SpecialIndices LowIndicesUsed(const IndexedImage& image) {
  SpecialIndices used{};
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = image.TopRow(y);
    for (int32_t x = 0; x < image.width; ++x)
      if (row[x] < kSpecialCount) used[row[x]] = true;
  }
  return used;
}

// True when the images are RGBA PNG files.
bool RgbaOut(const ExportRequest& request) {
  return request.format == ImageFormat::Png && (request.alpha || request.layers);
}

// Writes one image in the request's format (with --layers, the body and the
// layers the frame has), each file's bytes drawn from the budget first.
// files counts the files written; the outcome is the first failure's.
WriteOutcome WriteImage(const std::string& path, const IndexedImage& image, int32_t archiveType,
                        const ExportRequest& request, DecodeBudget& budget, int32_t index,
                        Diagnostics& found, int& files) {
  // An RGBA image holds four bytes a pixel: what the encoder is given.
  const int64_t bytes = RgbaOut(request)
                            ? kBmpPixelOffset + 4 * int64_t{image.width} * image.height
                            : FrameBmpSize(image);
  if (!ReserveFileBytes(budget, bytes, index, found)) return {};
  if (!request.layers) {
    const WriteOutcome outcome = WriteOutputFile(path, [&](AtomicFile& file) -> WriteResult {
      if (request.format == ImageFormat::Bmp) {
        WriteFrameBmp(image, file.stream());  // a short write is the file's own error
        return std::nullopt;
      }
      if (request.alpha)
        return WriteRgbaPng(file, ViewOf(image),
                            ColoursFor(image.palette, archiveType, SpriteLayer::Whole,
                                       request.outline));
      return WritePng(file, ViewOf(image), request.transparent);
    });
    files += outcome.ok() ? 1 : 0;
    return outcome;
  }
  struct Layer {
    SpriteLayer layer;
    const char* suffix;
    bool wanted;
  };
  const SpecialIndices special = SpecialIndicesOf(image.palette, archiveType);
  const SpecialIndices used = LowIndicesUsed(image);
  bool shadow = false;
  for (int i = 1; i < kSpecialCount; ++i)
    shadow = shadow || (special[size_t(i)] && used[size_t(i)] && kSpecialCodes[size_t(i)].shadowAlpha > 0);
  const bool overlay = special[kOutlineIndex] && used[kOutlineIndex];
  const Layer layers[] = {{SpriteLayer::Body, "", true},
                          {SpriteLayer::Shadow, kShadowLayerSuffix, shadow},
                          {SpriteLayer::Overlay, kOverlayLayerSuffix, overlay}};
  for (const Layer& layer : layers) {
    if (!layer.wanted) continue;
    if (layer.layer != SpriteLayer::Body && !ReserveFileBytes(budget, bytes, index, found))
      return {};
    const std::string file = layer.layer == SpriteLayer::Body ? path : LayerPath(path, layer.suffix);
    const WriteOutcome outcome = WriteOutputFile(file, [&](AtomicFile& out) {
      return WriteRgbaPng(out, ViewOf(image), ColoursFor(image.palette, archiveType, layer.layer));
    });
    if (!outcome.ok()) return outcome;
    ++files;
  }
  return {};
}

FrameResult ExportOne(FrameSource& source, const std::vector<uint8_t>& bytes, int32_t index,
                      const std::string& path, const ExportRequest& request) {
  if (OutputHalted()) {
    FrameResult result;
    result.skipped = true;
    return result;
  }
  const Archive& archive = source.archive();
  Diagnostics found;
  WriteResult problem;
  CropBox box;
  int files = 0;
  bool diskFull = false;
  if (request.format == ImageFormat::Bmp && !request.crop) {
    // The window program's export, byte for byte.
    found = ExportFrame(source, index, path);
    files = 1;
    for (const Diagnostic& d : found.items) {
      if (d.kind == DiagnosticKind::WriteFailed) diskFull = DiskFull(int(d.value));
    }
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
      const WriteOutcome outcome = WriteImage(path, *image, archive.head.archiveType, request,
                                              source.budget(), index, found, files);
      diskFull = outcome.diskFull();
      problem = outcome.problem;
    }
  }
  FrameResult result;
  // A frame stopped by an interrupt is not written and not reported, nor is
  // one that found the disk full after another frame told it.
  if ((StopRequested() && (problem || found.writeFailed())) ||
      (diskFull && !NoteSystemError(ENOSPC))) {
    result.skipped = true;
    return result;
  }
  result.diskFull = diskFull;
  result.written = !problem && !found.writeFailed() && !found.budgetExhausted();
  result.damaged = found.damaged();
  result.stopped = found.budgetExhausted();
  result.layerFiles = result.written ? std::max(0, files - 1) : 0;
  if (!found.ok() || problem || request.crop) {
    result.detail = std::make_unique<FrameResult::Detail>(
        FrameResult::Detail{std::move(found), std::move(problem), box});
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
  const std::string text =
      manifest.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
  const WriteOutcome outcome = WriteOutputFile(path, text.data(), text.size());
  if (outcome.ok()) return true;
  if (NoteOutcome(outcome)) messages.Error(path + ": " + DescribeWriteProblem(*outcome.problem));
  return false;
}

// The first table index of each stored frame among indices (in table order).
std::vector<int32_t> FirstOfEachFrame(const Archive& archive, const std::vector<int32_t>& indices) {
  std::vector<int32_t> first;
  for (const int32_t index : indices) {
    const int32_t offset = archive.frames[size_t(index)].offset;
    if (first.empty() || archive.frames[size_t(first.back())].offset != offset) first.push_back(index);
  }
  return first;
}

// Gives every entry the file of the first entry naming its frame.
void ShareFilesOfOneFrame(const Archive& archive, std::map<int32_t, std::string>& files) {
  std::map<int32_t, std::string> byOffset;
  for (const auto& [index, file] : files) byOffset.emplace(archive.frames[size_t(index)].offset, file);
  for (int32_t i = 0; i < archive.frameCount(); ++i) {
    const auto found = byOffset.find(archive.frames[size_t(i)].offset);
    if (found != byOffset.end()) files.emplace(i, found->second);
  }
}

// The animation file the engine loads in place of the archive: <stem>.json
// beside the folder <stem>/ of images, a sequence of file names per block.
bool WriteVcmiAnimation(const Archive& archive, const std::string& stem,
                        const std::map<int32_t, std::string>& files, const std::string& outputFolder,
                        Messages& messages) {
  nlohmann::ordered_json animation;
  animation["basepath"] = stem + "/";
  animation["sequences"] = nlohmann::ordered_json::array();
  const std::vector<std::vector<BlockEntry>> blocks = EntriesByBlock(archive);
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b].empty()) continue;
    nlohmann::ordered_json frames = nlohmann::ordered_json::array();
    for (const BlockEntry& entry : blocks[b]) {
      const auto file = files.find(entry.tableIndex);
      if (file == files.end()) {
        messages.Error(outputFolder + "/" + stem + ".json: " + FrameLabel(archive, entry.tableIndex) +
                       " has no image, so the animation is not written");
        return false;
      }
      frames.push_back(file->second);
    }
    animation["sequences"].push_back(
        {{"group", archive.blocks[b].identifier}, {"frames", std::move(frames)}});
  }
  return WriteManifest(outputFolder + "/" + stem + ".json", animation, messages);
}

struct Totals {
  int archives = 0;
  int files = 0;
  int renamed = 0;
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
  bool failed = ReportSelection(archivePath, archive, resolved, messages);
  if (OutputHalted()) return;
  if (!MakeOutputFolder(folder, messages)) {
    ++totals.failedArchives;
    return;
  }

  DecodeBudget budget = opened->Budget();
  const int64_t limit = budget.decodedLimit();
  // The colour rule reads shadow and outline codes, so their fill runs keep them.
  const DecodeOptions options{request.keepSpecial || request.alpha || request.layers};
  std::vector<int32_t> indices = InTableOrder(resolved.indices);
  // For the engine, one file per stored frame: entries naming one frame
  // (neighbours in the table) share the first one's file.
  if (request.vcmi) indices = FirstOfEachFrame(archive, indices);
  const ExportNames outputs =
      PlanExportNames(archive, indices, request.format == ImageFormat::Png ? "png" : "bmp",
                      request.uniqueNames || request.vcmi);
  // Entries that share a file with an earlier one (one stored frame, one
  // name) write nothing themselves.
  std::vector<int32_t> firstOfSlot(size_t(outputs.fileCount), -1);
  for (size_t k = 0; k < indices.size(); ++k) {
    int32_t& first = firstOfSlot[size_t(outputs.fileSlot[k])];
    if (first < 0) first = int32_t(k);
  }
  const auto writes = [&](size_t k) {
    return firstOfSlot[size_t(outputs.fileSlot[k])] == int32_t(k);
  };
  std::map<int32_t, std::string> files;  // for the manifest: table index -> the file of its image
  std::vector<bool> written(size_t(outputs.fileCount));
  int writtenFiles = 0;
  std::map<int32_t, CropBox> boxes;
  {
    ProblemReport problems(archivePath, archive, messages);
    const auto pathOf = [&](size_t k) { return folder + "/" + outputs.files[k]; };
    // Reports frame k and counts it; true when the export stops there.
    // After a full disk only files that still arrived (on other threads) are
    // counted; their failures are not told again.
    bool full = false;
    const auto record = [&](size_t k, const FrameResult& result) {
      const int32_t index = indices[k];
      if (result.skipped || (full && !result.written)) return false;
      if (result.detail) {
        problems.Add(result.detail->found);
        if (result.detail->problem)
          messages.Error(pathOf(k) + ": " + FrameLabel(archive, index) + ": " +
                         DescribeWriteProblem(*result.detail->problem));
        if (request.crop && result.written) boxes[index] = result.detail->box;
      }
      damaged = damaged || result.damaged;
      if (result.written) {
        const auto slot = size_t(outputs.fileSlot[k]);
        writtenFiles += written[slot] ? 0 : 1 + result.layerFiles;
        written[slot] = true;
        if (request.manifest || request.vcmi) files[indices[k]] = outputs.files[k];
      } else {
        failed = true;
      }
      full = full || result.diskFull;
      return result.stopped;
    };
    // Layer files are named beside the planned ones (a frame "a-shadow" and
    // the shadow of "a" share a file), so layers are written on one thread.
    if (frameJobs > 1 && indices.size() > 1 && !request.layers &&
        BudgetHoldsInAnyOrder(archive, *opened->bytes, indices, limit, RgbaOut(request) ? 4 : 1)) {
      // Each thread decodes through a source of its own; the results wait
      // for the report in table order.
      std::vector<std::unique_ptr<FrameSource>> sources;
      for (int w = 0; w < frameJobs; ++w)
        sources.push_back(std::make_unique<FrameSource>(archive, opened->bytes, budget, options));
      std::vector<FrameResult> results(indices.size());
      RunFrameJobs(outputs.fileSlot, frameJobs, [&](int worker, size_t k) {
        if (writes(k))
          results[k] =
              ExportOne(*sources[size_t(worker)], *opened->bytes, indices[k], pathOf(k), request);
      });
      for (size_t k = 0; k < indices.size(); ++k) {
        if (!writes(k)) {
          if (written[size_t(outputs.fileSlot[k])] && (request.manifest || request.vcmi))
            files[indices[k]] = outputs.files[k];
          continue;
        }
        if (record(k, results[k])) break;
      }
    } else {
      FrameSource source(archive, opened->bytes, budget, options);
      for (size_t k = 0; k < indices.size(); ++k) {
        if (!writes(k)) {
          if (written[size_t(outputs.fileSlot[k])] && (request.manifest || request.vcmi))
            files[indices[k]] = outputs.files[k];
          continue;
        }
        if (record(k, ExportOne(source, *opened->bytes, indices[k], pathOf(k), request))) break;
      }
    }
  }
  totals.files += writtenFiles;
  if (outputs.renamed > 0 && !request.uniqueNames) {
    messages.Note(archivePath + ": " + std::to_string(outputs.renamed) +
                  (outputs.renamed == 1 ? " file was" : " files were") +
                  " named NAME~2, NAME~3, ... because another frame already had the name");
  }
  totals.renamed += outputs.renamed;

  if (request.layers) {
    const std::set<std::string> planned(outputs.files.begin(), outputs.files.end());
    int clashes = 0;
    for (const std::string& file : planned)
      for (const char* suffix : {kShadowLayerSuffix, kOverlayLayerSuffix})
        clashes += planned.count(LayerPath(file, suffix)) > 0 ? 1 : 0;
    if (clashes > 0)
      messages.Note(archivePath + ": the image of " + std::to_string(clashes) +
                    (clashes == 1 ? " frame has" : " frames have") +
                    " the name of another frame's shadow or overlay file; whichever is written "
                    "later replaces the other");
  }

  if (request.vcmi && !OutputHalted()) {
    ShareFilesOfOneFrame(archive, files);
    // The folder of the images is <stem>/ (<stem>~2/ for a second input of one name).
    const std::string stem = folder.substr(request.outputFolder.size() + 1);
    if (!failed && !WriteVcmiAnimation(archive, stem, files, request.outputFolder, messages))
      failed = true;
  }
  if (request.manifest && !OutputHalted()) {
    const std::string path = folder + "/" + ArchiveStem(archivePath) + ".json";
    nlohmann::ordered_json manifest =
        BuildManifest(archive, ReportArchive(archive, *opened->bytes), files, opened->load);
    // pack encodes shadow and outline indices back as fill runs only when it
    // knows the images hold them.
    manifest["keepSpecial"] = options.keepSpecial;
    if (request.alpha || request.layers) manifest["alpha"] = true;
    if (request.crop) AddCropBoxes(manifest, boxes);
    AddFillRecords(manifest, archive, *opened->bytes, budget, request.alpha || request.layers);
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
  if (!inputs.archives.empty() && MakeOutputFolder(request.outputFolder, messages)) {
    const size_t count = inputs.archives.size();
    // Archives of one stem get folders of their own: units, units~2, ...
    const std::vector<std::string> stems = UniqueStems(inputs.archives);
    std::vector<std::string> folders(count), notes(count);
    std::set<std::string> taken;  // output folders (and LOD files) given out so far
    std::vector<bool> lodFile(count, false);  // a LOD entry that is no DEF archive: one file
    for (size_t i = 0; i < count; ++i) {
      const std::string& archive = inputs.archives[i];
      const std::optional<ResolvedLodInput> lod = ResolveLodInput(archive);
      lodFile[i] = lod && KindOfEntry(lod->entry()) != LodEntryKind::Def;
      const bool own = !inputs.singleFile || request.vcmi || lodFile[i];
      if (lod) {
        // Entries of a container that would share a name get "~2", "~3", ...
        folders[i] = own ? request.outputFolder + "/" + ArchiveStem(archive) : request.outputFolder;
        for (int n = 2; own && taken.count(folders[i]) != 0; ++n)
          folders[i] = request.outputFolder + "/" + NumberedName(ArchiveStem(archive), n);
      } else {
        folders[i] = own ? request.outputFolder + "/" + stems[i] : request.outputFolder;
        if (own && stems[i] != ArchiveStem(archive))
          notes[i] = archive + ": another input has the same name; its files go to " + folders[i];
      }
      taken.insert(folders[i]);
    }
    // Each archive prints into its own buffer and counts into its own totals;
    // both reach the user in input order, whatever order the jobs end in.
    std::vector<std::unique_ptr<MessageBuffer>> buffers(count);
    // Cores the batch leaves idle go to the frames of its archives.
    const int jobs = request.jobs > 0 ? request.jobs : DefaultJobs();
    const int frameJobs = std::max(1, jobs / int(std::min<size_t>(count, size_t(jobs))));
    std::vector<Totals> archiveTotals(count);
    const auto work = [&](size_t i) {
      buffers[i] = std::make_unique<MessageBuffer>(messages.quiet());
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
      totals.renamed += archiveTotals[i].renamed;
      totals.damagedArchives += archiveTotals[i].damagedArchives;
      totals.failedArchives += archiveTotals[i].failedArchives;
      messages.Progress(std::to_string(i + 1) + "/" + std::to_string(count) + " archives done");
    };
    RunBatch(folders, jobs, work, finish);
  }
  std::string summary = Plural(totals.files, "file") + " written from " +
                        Plural(totals.archives, "archive") + " into " + request.outputFolder;
  if (totals.renamed > 0) summary += " (" + std::to_string(totals.renamed) + " renamed NAME~N)";
  if (totals.damagedArchives > 0)
    summary += "; " + Plural(totals.damagedArchives, "damaged archive");
  if (totals.failedArchives > 0) {
    summary += "; " + Plural(totals.failedArchives, "archive") + " with errors";
  }
  if (DiskFullSeen()) summary += "; stopped: the disk is full";
  messages.Summary(summary);
  return messages.ExitStatus();
}

Command AddExportCommand(CLI::App& app, bool& quiet) {
  struct Options {
    ExportRequest request;
    std::vector<std::string> paths;
    std::string frames;
    std::string format = "bmp";
  };
  auto options = std::make_shared<Options>();
  ExportRequest& request = options->request;
  CLI::App* command =
      app.add_subcommand("export", "Write every frame (or the chosen ones) as an image file");
  // One list for both, split when run: the output folder is the last path,
  // and options may stand anywhere between the paths.
  command
      ->add_option("INPUT", options->paths,
                   "DEF archives and folders of them, then OUTDIR, the output folder (created "
                   "when missing)")
      ->required()
      ->expected(1, -1);
  CLI::Option* frames = AddFrames(*command, options->frames);
  CLI::Option* format =
      command->add_option("--format", options->format, "Image format: bmp (default) or png")
          ->check(OneOf({"bmp", "png"}))
          ->type_name("FORMAT");
  command->add_flag("--transparent", request.transparent, "PNG: make palette index 0 transparent");
  command->add_flag("--keep-special", request.keepSpecial,
                    "Keep shadow and outline runs as their palette index instead of 0");
  command->add_flag("--alpha", request.alpha,
                    "PNG: RGBA by the engine's colour rule, shadows black at alpha 64/128 "
                    "(implies --format png; see below)");
  AddOutline(*command, request.outline);
  command->add_flag("--layers", request.layers,
                    "PNG: per frame NAME.png (the body), NAME-shadow.png and "
                    "NAME-overlay.png (when the frame has them), by the colour rule");
  command->add_flag("--vcmi", request.vcmi,
                    "Write OUTDIR/<stem>.json and the images in OUTDIR/<stem>/, the "
                    "animation the VCMI engine loads in place of the DEF (implies "
                    "--alpha unless --layers)");
  command->add_flag("--crop", request.crop,
                    "Cut each image to the frame's stored rectangle; the manifest "
                    "records where it lies in the full frame");
  command->add_flag("--unique-names", request.uniqueNames,
                    "Give every frame its own file: later frames of a name get name~2, "
                    "name~3, ... instead of replacing the first");
  command->add_flag("--manifest", request.manifest,
                    "Also write <archive>.json with the head, palette, blocks and frames");
  command->add_flag("--lod", request.lodFiles,
                    "Folders also contribute the DEF archives inside their *.lod files");
  AddMaxOutput(*command, request.maxOutput);
  AddJobs(*command, request.jobs,
          "Threads: archives converted at once, and the frames of an archive when there are "
          "fewer archives than threads (the output is the same for any number); default: one "
          "per core");
  AddQuiet(*command, quiet);
  command->footer(std::string(R"(A folder contributes every file of it whose name ends in .def (any case).
With one archive file as the only input the images go straight into OUTDIR;
a folder input, or several inputs, give each archive its own folder
OUTDIR/<archive name without extension>/ (a folder holding one DEF too).
Images are named after their frames: walk01.pcx becomes walk01.bmp; a later
frame of the same file name replaces the earlier one (a warning counts them)
unless --unique-names is given.

Examples:
  duskweave-convert export creature.def out/
  duskweave-convert export --frames 'walk*,0-3' creature.def out/
  duskweave-convert export --format png --transparent --manifest defs/ png/
  duskweave-convert export --vcmi creature.def mymod/content/sprites/)") +
                  "\n\n" + WrappedText(kColourRuleText));
  return {command, [options, frames, format](CommandContext& context) {
            ExportRequest& request = options->request;
            std::ostream& err = context.err;
            if (options->paths.size() >= 2 &&
                !ReadFramesOption(*frames, options->frames, request.frames, err))
              return kUsageStatus;
            if (!SplitOutputFolder("export", options->paths, request.inputs,
                                   request.outputFolder, err))
              return kUsageStatus;
            if (request.layers && request.alpha)
              return UsageError(err, "--layers and --alpha are two ways of colouring: choose one");
            if (request.vcmi && (frames->count() > 0 || request.crop))
              return UsageError(
                  err, "--vcmi writes every frame whole: it does not go with --frames or --crop");
            if (request.vcmi && !request.layers) request.alpha = true;
            const bool rgba = request.alpha || request.layers;
            request.format = options->format == "png" || rgba ? ImageFormat::Png : ImageFormat::Bmp;
            if (rgba && options->format == "bmp" && format->count() > 0)
              return UsageError(err, std::string(request.alpha ? "--alpha" : "--layers") +
                                         " needs --format png");
            if (request.outline && !request.alpha)
              return UsageError(err, "--outline goes with --alpha");
            if (request.transparent && request.format != ImageFormat::Png)
              return UsageError(err, "--transparent needs --format png");
            return RunExport(request, context.messages);
          }};
}

}  // namespace dw::cli
