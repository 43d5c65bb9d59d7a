#include "bench/measurements.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/archive.h"
#include "archive/archive_bytes.h"
#include "archive/decode_budget.h"
#include "archive/frame_source.h"
#include "archive/frame_decoder.h"
#include "archive/frame_export.h"
#include "archive/stream.h"
#include "bench/output_files.h"
#include "bench/timing.h"
#include "image/bitmap.h"
#include "image/compose.h"

namespace dw::bench {
namespace {

// What a program holds of an open archive: the value and its bytes.
struct OpenArchive {
  ArchiveBytes cache;
  Archive archive;
  void Load(const std::string& path) { archive = LoadArchiveFile(path, cache).archive; }
  std::shared_ptr<const std::vector<uint8_t>> Bytes() { return cache.Current(archive.path); }
  int32_t frameCount() const { return archive.frameCount(); }
  std::vector<uint8_t> DecodeBmp(int32_t i) {
    Diagnostics found;
    IndexedImage image;
    if (const auto bytes = Bytes()) image = DecodeFrameImage(archive, *bytes, i, {}, nullptr, found);
    StreamPtr out = CreateMemoryStream();
    WriteFrameBmp(image, *out);
    std::vector<uint8_t> result = *MemoryStreamBytes(*out);
    FreeStream(out);
    return result;
  }
};

struct Expected {
  std::vector<OutputFile> files;  // in export order, one per frame
  ExpectedFiles byName;           // what is left on disk afterwards
};

// Every frame decoded into memory once, named as the export names it.
Expected ExpectedOutput(const BenchArchive& archive) {
  OpenArchive state;
  state.Load(archive.path);
  Expected out;
  for (int32_t i = 0; i < state.frameCount(); ++i) {
    OutputFile file{ExportFileName(state.archive.frames[size_t(i)].name), state.DecodeBmp(i)};
    out.byName[file.name] = file.bytes;
    out.files.push_back(std::move(file));
  }
  return out;
}

// Returns the number of frames whose export reported a problem.
int ExportAll(const std::string& path, const std::string& folder) {
  OpenArchive state;
  int failures = 0;
  state.Load(path);
  const auto bytes = state.Bytes();
  DecodeBudget budget = DecodeBudget::ForInput(bytes ? int64_t(bytes->size()) : 0);
  FrameSource source(state.archive, bytes, budget);
  for (int32_t i = 0; i < state.frameCount(); ++i) {
    if (!ExportFrame(source, i, folder + "/" + ExportFileName(state.archive.frames[size_t(i)].name))
             .ok())
      ++failures;
  }
  return failures;
}

Sample& operator+=(Sample& total, const Sample& part) {
  total.wallMs += part.wallMs;
  total.cpuMs += part.cpuMs;
  return total;
}

struct PairedRun {
  Sample floor, exported, floorAgain;
};

// One repetition: a fresh state loads the archive, then frame by frame the
// floor writes its file, ExportFrame writes the same frame's file, and the
// floor writes it once more (its time against the first floor's shows how
// noisy the machine is). The order rotates from frame to frame. All three
// write into one folder, the floors with a prefix: separate folders can differ
// threefold in the cost of creating files, depending on where the file system
// placed them.
PairedRun ExportBesideFloor(const std::string& path, const std::vector<OutputFile>& files,
                            const std::string& folder, int rotation) {
  static const std::string kFloorPrefix = "floor-", kAgainPrefix = "again-";
  PairedRun run;
  OpenArchive state;
  std::unique_ptr<DecodeBudget> budget;
  std::unique_ptr<FrameSource> source;
  run.exported += Measure([&] {
    state.Load(path);
    const auto bytes = state.Bytes();
    budget = std::make_unique<DecodeBudget>(
        DecodeBudget::LimitForInput(bytes ? int64_t(bytes->size()) : 0));
    source = std::make_unique<FrameSource>(state.archive, bytes, *budget);
  });
  const int32_t frames = std::min<int32_t>(state.frameCount(), int32_t(files.size()));
  for (int32_t i = 0; i < frames; ++i) {
    const OutputFile& file = files[size_t(i)];
    for (int step = 0; step < 3; ++step) {
      switch ((i + rotation + step) % 3) {
        case 0:
          run.floor += Measure([&] { WriteFileOnce(folder, kFloorPrefix, file); });
          break;
        case 1:
          run.exported += Measure([&] {
            ExportFrame(*source, i,
                        folder + "/" + ExportFileName(state.archive.frames[size_t(i)].name));
          });
          break;
        default:
          run.floorAgain += Measure([&] { WriteFileOnce(folder, kAgainPrefix, file); });
          break;
      }
    }
  }
  return run;
}

Sample Ratio(const Sample& a, const Sample& b) {
  return Sample{a.wallMs / b.wallMs, a.cpuMs / b.cpuMs};
}

void PrintTimes(const BenchOptions& options, const std::string& what,
                const std::vector<Sample>& times) {
  if (!options.verbose) return;
  std::fprintf(stderr, "    %-30s wall", what.c_str());
  for (const Sample& t : times) std::fprintf(stderr, " %.2f", t.wallMs);
  std::fprintf(stderr, " ms, cpu");
  for (const Sample& t : times) std::fprintf(stderr, " %.2f", t.cpuMs);
  std::fprintf(stderr, " ms\n");
}

}  // namespace

ExportResult MeasureExport(const BenchArchive& archive, const BenchOptions& options) {
  ExportResult result;
  const Expected expected = ExpectedOutput(archive);
  result.files = int32_t(expected.files.size());
  for (const OutputFile& f : expected.files) {
    result.totalBytes += int64_t(f.bytes.size());
    result.largestImage = std::max(result.largestImage, int64_t(f.bytes.size()));
  }

  // One untimed round of each warms the caches and checks the bytes.
  {
    const std::string folder = FreshFolder(options.workFolder, archive.label + "-export");
    const int failures = ExportAll(archive.path, folder);
    result.problem = CompareFolder(folder, expected.byName);
    if (result.problem.empty() && failures > 0)
      result.problem = std::to_string(failures) + " frames reported an export problem";
    RemoveFolder(folder);
  }
  {
    const std::string folder = FreshFolder(options.workFolder, archive.label + "-floor");
    if (!WriteFilesOnce(folder, expected.files)) result.problem += " (the floor could not write)";
    RemoveFolder(folder);
  }

  // Output folders stay until every repetition is done: deleting thousands of
  // files right before a timed step would slow it down.
  SettleFileSystem(options.workFolder);
  std::vector<Sample> floorTimes, exportTimes, ratios, noise;
  std::vector<std::string> written;
  for (int rep = 0; rep < options.repetitions; ++rep) {
    const std::string folder = FreshFolder(options.workFolder, archive.label + "-run");
    written.push_back(folder);
    const PairedRun run = ExportBesideFloor(archive.path, expected.files, folder, rep);
    floorTimes.push_back(run.floor);
    exportTimes.push_back(run.exported);
    ratios.push_back(Ratio(run.exported, run.floor));
    noise.push_back(Ratio(run.floorAgain, run.floor));
  }
  for (const std::string& folder : written) RemoveFolder(folder);
  SettleFileSystem(options.workFolder);
  PrintTimes(options, archive.label + " floor", floorTimes);
  PrintTimes(options, archive.label + " export", exportTimes);
  result.floor = Median(floorTimes);
  result.exported = Median(exportTimes);
  result.ratio = Median(ratios);
  result.noise = Median(noise);
  return result;
}

Sample MeasureOpen(const BenchArchive& archive, const BenchOptions& options, int repetitions) {
  std::vector<Sample> times;
  for (int rep = 0; rep <= repetitions; ++rep) {
    OpenArchive state;
    const Sample time = Measure([&] {
      state.Load(archive.path);
      state.DecodeBmp(0);
    });
    if (rep > 0) times.push_back(time);  // the first run only warms up
  }
  PrintTimes(options, archive.label + " open", times);
  return Median(times);
}

ComposeResult MeasureCompose(const BenchArchive& archive, const BenchOptions& options,
                             int32_t frameCount) {
  ComposeResult result;
  OpenArchive state;
  state.Load(archive.path);
  std::vector<int32_t> frames;
  for (int32_t i = 0; i < std::min(frameCount, state.frameCount()); ++i) frames.push_back(i);
  if (int32_t(frames.size()) < frameCount) {
    result.problem = "the archive lists only " + std::to_string(frames.size()) + " frames";
  }

  std::vector<Sample> times;
  for (int rep = 0; rep <= options.repetitions; ++rep) {
    std::unique_ptr<Bitmap> strip;
    const Sample time = Measure([&] {
      const auto bytes = state.Bytes();
      DecodeBudget budget = DecodeBudget::ForInput(bytes ? int64_t(bytes->size()) : 0);
      strip = ComposeStrip(state.archive, bytes, frames, true, budget);
    });
    if (rep > 0) times.push_back(time);
    if (rep == 0) {
      result.width = strip ? strip->Width() : 0;
      result.height = strip ? strip->Height() : 0;
    }
  }
  PrintTimes(options, archive.label + " compose " + std::to_string(frames.size()), times);
  result.time = Median(times);

  // Every generated archive has frames of one full size, so the strip's size is known.
  if (!frames.empty() && result.problem.empty()) {
    const ImageSize first = DecodedImageSize(state.archive, *state.Bytes(), 0);
    const int64_t n = int64_t(frames.size());
    const int64_t want = n * first.width + (n - 1);
    if (result.width != want || result.height != first.height) {
      result.problem = "strip is " + std::to_string(result.width) + "x" +
                       std::to_string(result.height) + ", expected " + std::to_string(want) + "x" +
                       std::to_string(first.height);
    }
  }
  return result;
}

ConverterResult MeasureConverter(const BenchArchive& archive, const BenchOptions& options) {
  ConverterResult result;
  if (options.converter.empty()) {
    result.problem = "no converter given";
    return result;
  }
  const Expected expected = ExpectedOutput(archive);
  std::vector<ChildResult> runs;
  std::vector<std::string> written;
  constexpr int kRuns = 3;  // peak memory hardly varies; the time is only informative
  for (int rep = 0; rep < kRuns; ++rep) {
    const std::string folder = FreshFolder(options.workFolder, archive.label + "-cli");
    written.push_back(folder);
    ChildResult run = RunMeasured({options.converter, "export", archive.path, folder + "/out"});
    if (!run.started) {
      result.problem = "could not start " + options.converter;
      break;
    }
    if (rep == 0) {
      if (run.exitStatus != 0) {
        result.problem = "exit status " + std::to_string(run.exitStatus) +
                         (run.stderrHead.empty() ? "" : ": " + run.stderrHead);
      } else {
        result.problem = CompareFolder(folder + "/out", expected.byName);
      }
    }
    runs.push_back(std::move(run));
  }
  for (const std::string& folder : written) RemoveFolder(folder);
  SettleFileSystem(options.workFolder);
  if (runs.empty()) return result;
  std::vector<double> rss, wall, cpu;
  for (const ChildResult& r : runs) {
    rss.push_back(double(r.maxRssBytes));
    wall.push_back(r.wallMs);
    cpu.push_back(r.cpuMs);
  }
  result.run = runs.front();
  result.run.maxRssBytes = int64_t(Median(rss));
  result.run.wallMs = Median(wall);
  result.run.cpuMs = Median(cpu);
  return result;
}

}  // namespace dw::bench
