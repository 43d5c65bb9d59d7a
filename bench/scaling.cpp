#include "bench/scaling.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <memory>
#include <thread>

#include "archive/archive.h"
#include "archive/archive_bytes.h"
#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_export.h"
#include "archive/stream.h"
#include "bench/child_process.h"
#include "bench/output_files.h"
#include "bench/sprite_archives.h"
#include "bench/table.h"
#include "bench/timing.h"

namespace dw::bench {
namespace {

namespace fs = std::filesystem;

constexpr double kFloorLimit = 1.2;
constexpr double kTenfoldLimit = 12;
constexpr double kSpeedupGoal = 1.7;
constexpr int64_t kSlack = int64_t{32} << 20;

void Say(const std::string& text) {
  std::cerr << "  " << text << std::endl;
}

struct Output {
  std::vector<OutputFile> files;  // in export order
  int64_t total = 0, largest = 0;
};

// Every frame decoded into memory once, named as the export names it: entries
// of one stored frame and name share the first one's file, a name another
// frame took first is numbered.
Output ExpectedOutput(const std::string& path) {
  ArchiveBytes cache;
  const Archive archive = LoadArchiveFile(path, cache).archive;
  const auto bytes = cache.Current(path);
  std::vector<int32_t> indices(size_t(archive.frameCount()));
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = int32_t(i);
  const ExportNames names = PlanExportNames(archive, indices, "bmp");
  std::vector<bool> written(size_t(names.fileCount));
  Output out;
  for (int32_t i = 0; bytes && i < archive.frameCount(); ++i) {
    if (written[size_t(names.fileSlot[size_t(i)])]) continue;
    written[size_t(names.fileSlot[size_t(i)])] = true;
    Diagnostics found;
    const IndexedImage image = DecodeFrameImage(archive, *bytes, i, {}, nullptr, found);
    StreamPtr memory = CreateMemoryStream();
    WriteFrameBmp(image, *memory);
    OutputFile file{names.files[size_t(i)], *MemoryStreamBytes(*memory)};
    FreeStream(memory);
    out.total += int64_t(file.bytes.size());
    out.largest = std::max(out.largest, int64_t(file.bytes.size()));
    out.files.push_back(std::move(file));
  }
  return out;
}

struct Timed {
  Sample median;
  double minWall = 0, maxWall = 0;
  int64_t rss = 0;  // the largest of the runs
  std::vector<double> walls;
  std::string problem;
};

Timed Summarise(const std::vector<Sample>& samples) {
  Timed t;
  t.median = Median(samples);
  for (const Sample& s : samples) t.walls.push_back(s.wallMs);
  t.minWall = *std::min_element(t.walls.begin(), t.walls.end());
  t.maxWall = *std::max_element(t.walls.begin(), t.walls.end());
  return t;
}

// The files written from memory into fresh folders (one per subfolder name,
// or the folder itself for ""), repetitions times.
Timed Floor(const BenchOptions& options, const std::vector<std::string>& subfolders,
            const Output& output, int repetitions) {
  std::vector<Sample> samples;
  for (int rep = 0; rep < repetitions; ++rep) {
    const std::string folder = FreshFolder(options.workFolder, "floor");
    for (const std::string& sub : subfolders) fs::create_directories(folder + "/" + sub);
    SettleFileSystem(options.workFolder);
    samples.push_back(Measure([&] {
      for (const std::string& sub : subfolders)
        WriteFilesOnce(sub.empty() ? folder : folder + "/" + sub, output.files);
    }));
    RemoveFolder(folder);
    SettleFileSystem(options.workFolder);
  }
  return Summarise(samples);
}

// argv with "@" replaced by a fresh output folder, run repetitions times.
Timed Child(const BenchOptions& options, std::vector<std::string> argv, int repetitions) {
  std::vector<Sample> samples;
  Timed result;
  const auto at = std::find(argv.begin(), argv.end(), "@");
  for (int rep = 0; rep < repetitions; ++rep) {
    const std::string folder = FreshFolder(options.workFolder, "cli");
    std::vector<std::string> args = argv;
    if (at != argv.end()) args[size_t(at - argv.begin())] = folder + "/out";
    SettleFileSystem(options.workFolder);
    const ChildResult run = RunMeasured(args);
    if (!run.started || run.exitStatus != 0) {
      result.problem = "exit status " + std::to_string(run.exitStatus) + ": " + run.stderrHead;
    }
    samples.push_back(Sample{run.wallMs, run.cpuMs});
    result.rss = std::max(result.rss, run.maxRssBytes);
    RemoveFolder(folder);
  }
  SettleFileSystem(options.workFolder);
  Timed t = Summarise(samples);
  t.rss = result.rss;
  t.problem = result.problem;
  return t;
}

class ScalingReport {
 public:
  ScalingReport()
      : table_({"case", "measure", "wall", "cpu", "peak memory", "x floor", "x linear", "target",
                "result"},
               {2, 3, 4, 5, 6}) {}
  void Section(const std::string& text) {
    table_.AddSection("");
    table_.AddSection(text);
  }
  void Row(const std::string& label, const std::string& measure, const Timed& t, double floorMs,
           double linear, const std::string& target = "", int verdict = -1) {
    table_.AddRow({label, measure, FormatMs(t.median.wallMs), FormatMs(t.median.cpuMs),
                   t.rss > 0 ? FormatBytes(t.rss) : "", floorMs > 0 ? FormatRatio(t.median.wallMs / floorMs) : "",
                   linear > 0 ? FormatRatio(linear) : "", target,
                   verdict < 0 ? "" : verdict ? "PASS" : "FAIL"});
    if (verdict == 0) failed_ = true;
    if (!t.problem.empty()) problems_.push_back(label + ", " + measure + ": " + t.problem);
  }
  void Raw(std::vector<std::string> cells, int verdict = -1) {
    if (verdict >= 0) cells.push_back(verdict ? "PASS" : "FAIL");
    if (verdict == 0) failed_ = true;
    table_.AddRow(std::move(cells));
  }
  bool Print(std::ostream& out) const {
    table_.Print(out);
    for (const std::string& p : problems_) out << "problem: " << p << '\n';
    return !failed_ && problems_.empty();
  }

 private:
  Table table_;
  std::vector<std::string> problems_;
  bool failed_ = false;
};

std::string Limit(double value) {
  return "<= " + FormatRatio(value);
}

// The floor of a converter run: the same files written from memory by this
// process, plus what starting a process that does nothing costs.
double ProcessFloorMs(const Timed& floor, const Timed& start) {
  return floor.median.wallMs + start.median.wallMs;
}

// LoadArchiveFile and ExportFrame of every frame into a fresh folder, as the
// window program exports, timed in this process.
Timed ExportInProcess(const BenchOptions& options, const std::string& path, int repetitions) {
  std::vector<Sample> samples;
  for (int rep = 0; rep < repetitions; ++rep) {
    const std::string folder = FreshFolder(options.workFolder, "in-process");
    SettleFileSystem(options.workFolder);
    samples.push_back(Measure([&] {
      ArchiveBytes cache;
      const Archive archive = LoadArchiveFile(path, cache).archive;
      DecodeBudget budget = DecodeBudget::ForInput(int64_t(fs::file_size(path)));
      FrameSource source(archive, cache.Current(path), budget);
      for (int32_t i = 0; i < archive.frameCount(); ++i)
        ExportFrame(source, i, folder + "/" + ExportFileName(archive.frames[size_t(i)].name));
    }));
    RemoveFolder(folder);
  }
  SettleFileSystem(options.workFolder);
  return Summarise(samples);
}

// One export with --jobs 1 (shown) and one with a thread per core (judged):
// what a user gets from the plain command line; and the floor beside them.
struct Exports {
  Timed one, all, floor;
};

// Each repetition runs the floor and both exports once, the order rotating:
// whatever the machine does after a run (freeing the files just removed,
// finding memory for the next) falls on all three alike.
Exports ExportBoth(const BenchOptions& options, const std::string& path, const Output& output,
                   int repetitions) {
  const std::vector<std::string> one = {options.converter, "export", "--quiet", "--jobs", "1",
                                        path, "@"};
  const std::vector<std::string> all = {options.converter, "export", "--quiet", path, "@"};
  std::vector<Timed> ones, alls, floors;
  for (int rep = 0; rep < repetitions; ++rep) {
    for (int step = 0; step < 3; ++step) {
      switch ((rep + step) % 3) {
        case 0:
          ones.push_back(Child(options, one, 1));
          break;
        case 1:
          alls.push_back(Child(options, all, 1));
          break;
        default:
          floors.push_back(Floor(options, {""}, output, 1));
          break;
      }
    }
  }
  const auto merge = [](const std::vector<Timed>& runs) {
    std::vector<Sample> samples;
    Timed merged;
    for (const Timed& t : runs) {
      samples.push_back(t.median);
      merged.rss = std::max(merged.rss, t.rss);
      if (!t.problem.empty()) merged.problem = t.problem;
    }
    Timed t = Summarise(samples);
    t.rss = merged.rss;
    t.problem = merged.problem;
    return t;
  };
  return Exports{merge(ones), merge(alls), merge(floors)};
}

int Cores() {
  return std::max(1, int(std::thread::hardware_concurrency()));
}

void ExportRows(ScalingReport& report, const std::string& label, const Exports& e,
                double floorMs, double linearOne, double linearAll, int64_t archiveSize,
                int64_t largest) {
  const int64_t oneLimit = archiveSize + 2 * largest + kSlack;
  const int64_t allLimit = archiveSize + Cores() * 2 * largest + kSlack;
  report.Row(label, "export --jobs 1 (CLI)", e.one, floorMs, linearOne,
             "(shown) < " + FormatBytes(oneLimit), e.one.rss < oneLimit);
  report.Row(label, "export, " + std::to_string(Cores()) + " jobs (CLI)", e.all, floorMs,
             linearAll, Limit(kFloorLimit) + " x floor, < " + FormatBytes(allLimit),
             e.all.median.wallMs <= kFloorLimit * floorMs && e.all.rss < allLimit);
}

void FrameCounts(const BenchOptions& options, const Timed& start, ScalingReport& report) {
  struct Size {
    int32_t frames;
    const char* label;
    int repetitions;
  };
  const Size sizes[] = {{1000, "frames-1k", 7}, {10000, "frames-10k", 5}, {100000, "frames-100k", 3}};
  double baseList = 0, tenKList = 0;
  Exports base, tenK;
  for (const Size& size : sizes) {
    Say(std::string(size.label) + ": generate, list, export, floor");
    const BenchArchive archive = WriteSyntheticArchive(size.frames, size.label, options.workFolder);
    const Output output = ExpectedOutput(archive.path);
    const Timed list = Child(options, {options.converter, "list", archive.path}, 3 * size.repetitions);
    const Exports exported = ExportBoth(options, archive.path, output, size.repetitions);
    const Timed& floor = exported.floor;
    fs::remove(archive.path);
    const double scale = double(size.frames) / sizes[0].frames;
    if (baseList == 0) {
      baseList = list.median.wallMs;
      base = exported;
    }
    report.Section(archive.label + ": " + archive.description + "; " + FormatBytes(archive.fileSize) +
                   ", " + std::to_string(output.files.size()) + " BMP files of " +
                   FormatBytes(output.total));
    report.Row(archive.label, "floor: same files from memory", floor, 0, 0);
    report.Row(archive.label, "list (CLI)", list, 0, list.median.wallMs / (baseList * scale));
    ExportRows(report, archive.label, exported, ProcessFloorMs(floor, start),
               exported.one.median.wallMs / (base.one.median.wallMs * scale),
               exported.all.median.wallMs / (base.all.median.wallMs * scale), archive.fileSize,
               output.largest);
    if (size.frames == 10000) {
      tenKList = list.median.wallMs;
      tenK = exported;
    }
    if (size.frames == 100000) {
      const double listTenfold = list.median.wallMs / tenKList;
      const double oneTenfold = exported.one.median.wallMs / tenK.one.median.wallMs;
      const double allTenfold = exported.all.median.wallMs / tenK.all.median.wallMs;
      report.Raw({archive.label, "list: 100k / 10k", "", "", "", "", FormatRatio(listTenfold),
                  Limit(kTenfoldLimit)},
                 listTenfold <= kTenfoldLimit);
      report.Raw({archive.label, "export --jobs 1: 100k / 10k", "", "", "", "",
                  FormatRatio(oneTenfold), Limit(kTenfoldLimit)},
                 oneTenfold <= kTenfoldLimit);
      report.Raw({archive.label, "export, " + std::to_string(Cores()) + " jobs: 100k / 10k", "",
                  "", "", "", FormatRatio(allTenfold), Limit(kTenfoldLimit)},
                 allTenfold <= kTenfoldLimit);
    }
  }
}

void BigFrames(const BenchOptions& options, const Timed& start, ScalingReport& report) {
  for (const int32_t side : {4096, 16384}) {
    const std::string label = "frame-" + std::to_string(side);
    Say(label + ": generate, export, floor");
    const BenchArchive archive = WriteSingleFrameArchive(side, label, options.workFolder);
    const Output output = ExpectedOutput(archive.path);
    const int reps = 7;
    const Exports exported = ExportBoth(options, archive.path, output, reps);
    const Timed& floor = exported.floor;
    const Timed inProcess = ExportInProcess(options, archive.path, reps);
    fs::remove(archive.path);
    const bool decoded = output.largest > int64_t(side) * side;
    report.Section(label + ": " + archive.description + "; " + FormatBytes(archive.fileSize) +
                   (decoded ? ", decoded: one BMP file of " + FormatBytes(output.total)
                            : ", refused: over the pixel limit"));
    report.Row(label, "floor: same file from memory", floor, 0, 0);
    // The converter's own work, without starting a process.
    report.Row(label, "load + ExportFrame in this process", inProcess, floor.median.wallMs, 0,
               Limit(kFloorLimit) + " x floor",
               decoded && inProcess.median.wallMs <= kFloorLimit * floor.median.wallMs);
    ExportRows(report, label, exported, decoded ? ProcessFloorMs(floor, start) : 0, 0, 0,
               archive.fileSize, output.largest);
  }
}

// The frames of one real-shaped archive shared by the threads.
void OneArchiveOnAllCores(const BenchOptions& options, const Timed& start, ScalingReport& report) {
  Say("creature: frames on one and on every core");
  const BenchArchive archive = WriteArchive(Shape::Creature, options.workFolder);
  const Output output = ExpectedOutput(archive.path);
  const Exports exported = ExportBoth(options, archive.path, output, 9);
  const Timed& floor = exported.floor;
  fs::remove(archive.path);
  report.Section(archive.label + ": " + archive.description + "; " + FormatBytes(archive.fileSize) +
                 ", " + std::to_string(output.files.size()) + " BMP files of " +
                 FormatBytes(output.total));
  report.Row(archive.label, "floor: same files from memory", floor, 0, 0);
  ExportRows(report, archive.label, exported, ProcessFloorMs(floor, start), 0, 0, archive.fileSize,
             output.largest);
  report.Raw({archive.label, "speed-up of its frames on " + std::to_string(Cores()) + " jobs", "",
              "", "", "", FormatRatio(exported.one.median.wallMs / exported.all.median.wallMs), "",
              ""});
}

// Entries named as an earlier, other frame: the export numbers their files,
// and nothing is decoded or written only to be replaced.
void Clashes(const BenchOptions& options, const Timed& start, ScalingReport& report) {
  Say("clashes: names taken by other frames");
  const BenchArchive archive = WriteClashingArchive(options.workFolder);
  const Output output = ExpectedOutput(archive.path);
  // The floor is only a floor if the export writes exactly its files.
  const std::string folder = FreshFolder(options.workFolder, "clashes");
  RunMeasured({options.converter, "export", "--quiet", archive.path, folder});
  ExpectedFiles expected;
  for (const OutputFile& file : output.files) expected[file.name] = file.bytes;
  const std::string difference = CompareFolder(folder, expected);
  RemoveFolder(folder);
  Exports exported = ExportBoth(options, archive.path, output, 9);
  fs::remove(archive.path);
  if (!difference.empty()) exported.all.problem = "the export differs: " + difference;
  report.Section(archive.label + ": " + archive.description + "; " + FormatBytes(archive.fileSize) +
                 ", " + std::to_string(output.files.size()) + " BMP files of " +
                 FormatBytes(output.total));
  report.Row(archive.label, "floor: same files from memory", exported.floor, 0, 0);
  ExportRows(report, archive.label, exported, ProcessFloorMs(exported.floor, start), 0, 0,
             archive.fileSize, output.largest);
}

void Strips(const BenchOptions& options, const Timed& start, ScalingReport& report) {
  Say("strips of 200 and 2,000 frames");
  const BenchArchive archive = WriteArchive(Shape::Compose64, options.workFolder);
  report.Section(archive.label + ": " + archive.description + "; " + FormatBytes(archive.fileSize));
  double base = 0;
  for (const int frames : {200, 2000}) {
    const std::string list = "0-" + std::to_string(frames - 1);
    const std::string folder = FreshFolder(options.workFolder, "strip");
    const ChildResult first =
        RunMeasured({options.converter, "strip", "--frames", list, archive.path, folder + "/s.bmp"});
    Output output;
    output.files.push_back(OutputFile{"s.bmp", {}});
    {
      std::ifstream in(folder + "/s.bmp", std::ios::binary);
      output.files[0].bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    output.total = output.largest = int64_t(output.files[0].bytes.size());
    RemoveFolder(folder);
    const Timed strip = Child(
        options, {options.converter, "strip", "--frames", list, archive.path, "@"}, 5);
    // "@" becomes the strip's file name here.
    const Timed floor = Floor(options, {""}, output, 5);
    if (base == 0) base = strip.median.wallMs;
    const std::string label = "strip-" + std::to_string(frames);
    report.Row(label, "floor: the strip's bytes from memory", floor, 0, 0);
    const int64_t memoryLimit = archive.fileSize + 2 * output.largest + kSlack;
    Timed shown = strip;
    if (!first.started || first.exitStatus != 0) shown.problem = "the first run failed";
    report.Row(label, "strip (CLI), " + FormatBytes(output.total), shown, ProcessFloorMs(floor, start),
               strip.median.wallMs / (base * frames / 200), "< " + FormatBytes(memoryLimit),
               strip.rss < memoryLimit);
  }
  fs::remove(archive.path);
}

void Batch(const BenchOptions& options, const Timed& start, ScalingReport& report) {
  Say("batch of 120 archives: generate");
  const std::string folder = options.workFolder + "/batch";
  fs::create_directories(folder);
  std::vector<std::vector<std::string>> subfolders;  // per shape
  std::vector<Output> outputs;
  int64_t total = 0, largestArchive = 0, largestFrame = 0;
  for (Shape shape : {Shape::Creature, Shape::MapObject, Shape::Terrain}) {
    const BenchArchive archive = WriteArchive(shape, options.workFolder);
    outputs.push_back(ExpectedOutput(archive.path));
    largestArchive = std::max(largestArchive, archive.fileSize);
    largestFrame = std::max(largestFrame, outputs.back().largest);
    subfolders.emplace_back();
    for (int k = 0; k < 40; ++k) {
      const std::string stem = archive.label + "-" + std::to_string(k);
      fs::copy_file(archive.path, folder + "/" + stem + ".def");
      subfolders.back().push_back(stem);
    }
    total += 40 * outputs.back().total;
    fs::remove(archive.path);
  }
  // The floor writes each shape's files 40 times, into folders named as the export's.
  Say("batch of 120 archives: floor");
  std::vector<Sample> floorSamples;
  for (int rep = 0; rep < 2; ++rep) {
    const std::string out = FreshFolder(options.workFolder, "batch-floor");
    for (const auto& shape : subfolders)
      for (const std::string& sub : shape) fs::create_directories(out + "/" + sub);
    SettleFileSystem(options.workFolder);
    floorSamples.push_back(Measure([&] {
      for (size_t s = 0; s < outputs.size(); ++s)
        for (const std::string& sub : subfolders[s]) WriteFilesOnce(out + "/" + sub, outputs[s].files);
    }));
    RemoveFolder(out);
    SettleFileSystem(options.workFolder);
  }
  const Timed floor = Summarise(floorSamples);

  Say("batch of 120 archives: --jobs 1 and --jobs 2, alternating which goes first");
  std::vector<Sample> one, two;
  int64_t rssOne = 0, rssTwo = 0;
  std::string problem;
  std::vector<double> speedups;
  for (int rep = 0; rep < 6; ++rep) {
    for (int jobs : rep % 2 == 0 ? std::vector<int>{1, 2} : std::vector<int>{2, 1}) {
      const Timed t = Child(options,
                            {options.converter, "export", "--quiet", "--jobs",
                             std::to_string(jobs), folder, "@"},
                            1);
      (jobs == 1 ? one : two).push_back(t.median);
      (jobs == 1 ? rssOne : rssTwo) = std::max(jobs == 1 ? rssOne : rssTwo, t.rss);
      if (!t.problem.empty()) problem = t.problem;
    }
    speedups.push_back(one.back().wallMs / two.back().wallMs);
  }
  Timed t1 = Summarise(one), t2 = Summarise(two);
  t1.rss = rssOne;
  t2.rss = rssTwo;
  t2.problem = problem;
  report.Section("batch: 120 archives (40 each of creature, mapobject, terrain), " +
                 FormatBytes(total) + " of BMP files");
  report.Row("batch", "floor: same files from memory, one thread", floor, 0, 0);
  const int64_t limit1 = 1 * (largestArchive + 2 * largestFrame) + kSlack;
  const int64_t limit2 = 2 * (largestArchive + 2 * largestFrame) + kSlack;
  const double floorMs = ProcessFloorMs(floor, start);
  report.Row("batch", "export --jobs 1 (CLI)", t1, floorMs, 0, "< " + FormatBytes(limit1), t1.rss < limit1);
  report.Row("batch", "export --jobs 2 (CLI)", t2, floorMs, 0, "< " + FormatBytes(limit2), t2.rss < limit2);
  std::string each;
  for (double s : speedups) each += (each.empty() ? "" : " ") + FormatRatio(s);
  const double speedup = t1.median.wallMs / t2.median.wallMs;
  report.Raw({"batch", "speed-up jobs 1 / jobs 2 (runs: " + each + ")", "", "", "", "",
              FormatRatio(speedup), ">= " + FormatRatio(kSpeedupGoal)},
             speedup >= kSpeedupGoal);
  RemoveFolder(folder);
}

}  // namespace

bool MeasureScaling(const BenchOptions& options, const std::string& only, std::ostream& out) {
  const auto wanted = [&](const char* label) { return only.empty() || only == label; };
  ScalingReport report;
  Say("process start: /bin/true");
  const Timed start = Child(options, {"/bin/true"}, 31);
  report.Section("process start: a program that does nothing, added to every floor of a converter run");
  report.Row("start", "/bin/true as a child process", start, 0, 0);
  report.Row("start", "duskweave-convert --version (shown)",
             Child(options, {options.converter, "--version"}, 31), 0, 0);
  if (wanted("frames")) FrameCounts(options, start, report);
  if (wanted("frame")) BigFrames(options, start, report);
  if (wanted("creature")) OneArchiveOnAllCores(options, start, report);
  if (wanted("clashes")) Clashes(options, start, report);
  if (wanted("strip")) Strips(options, start, report);
  if (wanted("batch")) Batch(options, start, report);
  out << "\nScaling (duskweave-convert as a child process; wall and cpu are medians, peak memory "
         "the largest max RSS of the runs; x linear: the time over the smallest size's time "
         "scaled by the size; x floor: the wall time over the floor's plus the process start; "
         "rows marked (shown) are not judged on time)\n\n";
  return report.Print(out);
}

}  // namespace dw::bench
