#include "bench/measurements.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/conversion_state.h"
#include "archive/frame_decoder.h"
#include "archive/frame_export.h"
#include "archive/stream.h"
#include "bench/output_files.h"
#include "bench/timing.h"
#include "image/bitmap.h"
#include "image/compose.h"

namespace dw::bench {
namespace {

struct Expected {
  std::vector<OutputFile> files;  // in export order, one per frame
  ExpectedFiles byName;           // what is left on disk afterwards
};

// Every frame decoded into memory once, named as the export names it.
Expected ExpectedOutput(const BenchArchive& archive) {
  ConversionState state;
  InitConversionState(state);
  LoadArchive(state, archive.path);
  Expected out;
  for (int32_t i = 0; i < state.frameCount; ++i) {
    StreamPtr image = CreateMemoryStream();
    DecodeFrame(state, i, *image);
    const std::vector<uint8_t>* bytes = MemoryStreamBytes(*image);
    const size_t size = std::min(bytes->size(), size_t(std::max(StreamSize(*image), 0)));
    OutputFile file{ExportFileName(state.frames[size_t(i)].name),
                    std::vector<uint8_t>(bytes->begin(), bytes->begin() + ptrdiff_t(size))};
    out.byName[file.name] = file.bytes;
    out.files.push_back(std::move(file));
    FreeStream(image);
  }
  return out;
}

// Returns the number of frames whose export reported a problem.
int ExportAll(const std::string& path, const std::string& folder) {
  ConversionState state;
  InitConversionState(state);
  int failures = 0;
  LoadArchive(state, path);
  for (int32_t i = 0; i < state.frameCount; ++i) {
    if (!ExportFrame(state, i, ExportFilePath(folder, state, i)).ok()) ++failures;
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
  ConversionState state;
  InitConversionState(state);
  run.exported += Measure([&] { LoadArchive(state, path); });
  const int32_t frames = std::min<int32_t>(state.frameCount, int32_t(files.size()));
  for (int32_t i = 0; i < frames; ++i) {
    const OutputFile& file = files[size_t(i)];
    for (int step = 0; step < 3; ++step) {
      switch ((i + rotation + step) % 3) {
        case 0:
          run.floor += Measure([&] { WriteFileOnce(folder, kFloorPrefix, file); });
          break;
        case 1:
          run.exported += Measure([&] { ExportFrame(state, i, ExportFilePath(folder, state, i)); });
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
    ConversionState state;
    InitConversionState(state);
    StreamPtr image = CreateMemoryStream();
    const Sample time = Measure([&] {
      LoadArchive(state, archive.path);
      DecodeFrame(state, 0, *image);
    });
    if (rep > 0) times.push_back(time);  // the first run only warms up
    FreeStream(image);
  }
  PrintTimes(options, archive.label + " open", times);
  return Median(times);
}

ComposeResult MeasureCompose(const BenchArchive& archive, const BenchOptions& options,
                             int32_t frameCount) {
  ComposeResult result;
  ConversionState state;
  InitConversionState(state);
  LoadArchive(state, archive.path);
  std::vector<int32_t> frames;
  for (int32_t i = 0; i < std::min(frameCount, state.frameCount); ++i) frames.push_back(i);
  if (int32_t(frames.size()) < frameCount) {
    result.problem = "the archive lists only " + std::to_string(frames.size()) + " frames";
  }

  std::vector<Sample> times;
  for (int rep = 0; rep <= options.repetitions; ++rep) {
    std::unique_ptr<Bitmap> strip;
    const Sample time = Measure([&] { strip = ComposeStrip(state, frames, true); });
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
    StreamPtr image = CreateMemoryStream();
    DecodeFrame(state, 0, *image);
    FreeStream(image);
    const int64_t n = int64_t(frames.size());
    const int64_t want = n * state.fullWidth + (n - 1);
    if (result.width != want || result.height != state.fullHeight) {
      result.problem = "strip is " + std::to_string(result.width) + "x" +
                       std::to_string(result.height) + ", expected " + std::to_string(want) + "x" +
                       std::to_string(state.fullHeight);
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
