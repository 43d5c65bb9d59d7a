// Measures opening, exporting and composing archives shaped like real ones
// against the physical floor (the same files written straight from memory),
// and prints one table with a PASS/FAIL per target. bench/run.sh builds and
// runs it.
//
//   duskweave-bench [--converter PATH] [--repetitions N] [--only LABEL] [--keep] [--verbose]
//                   [--no-scaling | --scaling-only]
//                   [--paths-only [--baseline PATH] [--copies N]] [--pack-ratio]

#include <sys/statfs.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/child_process.h"
#include "bench/measurements.h"
#include "bench/pack_ratio.h"
#include "bench/output_files.h"
#include "bench/paths.h"
#include "bench/scaling.h"
#include "bench/sprite_archives.h"
#include "bench/table.h"
#include "bench/timing.h"

namespace dw::bench {
namespace {

constexpr double kExportRatioLimit = 1.2;
constexpr double kOpenLimitMs = 10;
constexpr double kCompose2000LimitMs = 100;
constexpr double kCompose1000LimitMs = 1000;
constexpr int64_t kMemorySlack = int64_t{32} << 20;

struct Options {
  BenchOptions bench;
  bool keep = false;
  std::string only;  // measure only the archive with this label
  bool scaling = true;
  bool shapes = true;
  bool paths = false;  // only the paths table
  bool packRatio = false;  // only the export-and-pack table
  PathsOptions pathOptions;
};

void Usage() {
  std::cerr << "usage: duskweave-bench [--converter PATH] [--repetitions N] [--only LABEL] "
               "[--keep] [--verbose] [--no-scaling | --scaling-only] [--pack-ratio]\n"
               "       duskweave-bench --converter PATH --paths-only [--baseline PATH] "
               "[--copies N] [--repetitions N]\n";
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--converter" && i + 1 < argc) {
      options.bench.converter = argv[++i];
    } else if (arg == "--repetitions" && i + 1 < argc) {
      options.bench.repetitions = std::max(1, std::atoi(argv[++i]));
      options.pathOptions.repetitions = options.bench.repetitions;
    } else if (arg == "--only" && i + 1 < argc) {
      options.only = argv[++i];
    } else if (arg == "--verbose") {
      options.bench.verbose = true;
    } else if (arg == "--no-scaling") {
      options.scaling = false;
    } else if (arg == "--scaling-only") {
      options.shapes = false;
    } else if (arg == "--pack-ratio") {
      options.packRatio = true;
    } else if (arg == "--paths-only") {
      options.paths = true;
    } else if (arg == "--baseline" && i + 1 < argc) {
      options.pathOptions.baseline = argv[++i];
    } else if (arg == "--copies" && i + 1 < argc) {
      options.pathOptions.copies = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--keep") {
      options.keep = true;
    } else {
      return false;
    }
  }
  return true;
}

void Progress(const std::string& text) {
  std::cerr << "  " << text << std::endl;
}

const char* Verdict(bool pass) {
  return pass ? "PASS" : "FAIL";
}

// The kind of file system the files go to: the floor and the exports pay its
// costs alike, but a disk's vary far more from run to run than memory's.
std::string FileSystemKind(const std::string& folder) {
  struct statfs fs {};
  if (::statfs(folder.c_str(), &fs) != 0) return "unknown file system";
  switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x01021994:
      return "tmpfs";
    case 0xEF53:
      return "ext4";
    case 0x9123683E:
      return "btrfs";
    case 0x58465342:
      return "xfs";
    case 0x794C7630:
      return "overlayfs";
    default:
      return "file system type " + std::to_string(fs.f_type);
  }
}

// The machine's load average over the last minute, to judge how noisy a run was.
std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  in >> oneMinute;
  return oneMinute.empty() ? "?" : oneMinute;
}

class Report {
 public:
  Report()
      : table_({"archive", "measure", "median", "x floor", "cpu x floor", "target", "result"},
               {2, 3, 4}) {}

  void Section(const BenchArchive& archive, const std::string& extra) {
    table_.AddSection("");
    table_.AddSection(archive.label + ": " + archive.description + "; " +
                      FormatBytes(archive.fileSize) + extra);
  }
  // A timed row; without a floor (floor.wallMs 0) the ratio columns stay empty.
  void Row(const std::string& label, const std::string& measure, const Sample& time,
           const Sample& floor, const std::string& target = "", const std::string& result = "") {
    const bool ratios = floor.wallMs > 0 && floor.cpuMs > 0;
    table_.AddRow({label, measure, FormatMs(time.wallMs),
                   ratios ? FormatRatio(time.wallMs / floor.wallMs) : "",
                   ratios ? FormatRatio(time.cpuMs / floor.cpuMs) : "", target, result});
  }
  void Raw(std::vector<std::string> cells) { table_.AddRow(std::move(cells)); }
  void Note(const std::string& label, const std::string& what, const std::string& problem) {
    if (problem.empty()) return;
    notes_.push_back(label + ", " + what + ": " + problem);
    failed_ = true;
  }
  void Count(bool pass) { failed_ = failed_ || !pass; }
  bool failed() const { return failed_; }

  void Print(std::ostream& out) const {
    table_.Print(out);
    out << '\n';
    for (const std::string& n : notes_) out << "problem: " << n << '\n';
    out << (failed_ ? "Some targets were not met." : "All targets met.") << '\n';
  }

 private:
  Table table_;
  std::vector<std::string> notes_;
  bool failed_ = false;
};

void MeasureShape(const BenchArchive& archive, const Options& options, Report& report) {
  const BenchOptions& bench = options.bench;
  Progress(archive.label + ": export and floor");
  const ExportResult exported = MeasureExport(archive, bench);
  Progress(archive.label + ": open");
  const Sample open = MeasureOpen(archive, bench, 3 * bench.repetitions);
  Progress(archive.label + ": compose");
  const ComposeResult composed = MeasureCompose(archive, bench, archive.entries);
  Progress(archive.label + ": command-line export");
  const ConverterResult cli = MeasureConverter(archive, bench);

  report.Section(archive, ", " + std::to_string(exported.files) + " BMP files of " +
                              FormatBytes(exported.totalBytes) + ", largest " +
                              FormatBytes(exported.largestImage));
  const std::string& l = archive.label;
  const Sample& floor = exported.floor;
  report.Row(l, "floor: same files from memory", floor, floor);
  const bool exportPass = exported.ratio.wallMs <= kExportRatioLimit && exported.problem.empty();
  report.Raw({l, "export all frames (ExportFrame)", FormatMs(exported.exported.wallMs),
              FormatRatio(exported.ratio.wallMs), FormatRatio(exported.ratio.cpuMs),
              "<= " + FormatRatio(kExportRatioLimit) + " x floor", Verdict(exportPass)});
  report.Count(exportPass);
  report.Note(l, "export", exported.problem);
  report.Raw({l, "noise check: floor beside floor", "", FormatRatio(exported.noise.wallMs),
              FormatRatio(exported.noise.cpuMs), "", ""});
  report.Row(l, "open (LoadArchive + frame 0)", open, floor);
  report.Row(l, "compose all frames (ComposeStrip)", composed.time, floor);
  report.Note(l, "compose", composed.problem);

  if (cli.run.started) {
    report.Row(l, "CLI export, whole process", Sample{cli.run.wallMs, cli.run.cpuMs}, floor);
    const int64_t limit = archive.fileSize + 2 * exported.largestImage + kMemorySlack;
    const bool memoryPass = cli.run.maxRssBytes < limit && cli.problem.empty();
    report.Raw({l, "CLI export, peak memory (max RSS)", FormatBytes(cli.run.maxRssBytes), "", "",
                "< " + FormatBytes(limit), Verdict(memoryPass)});
    report.Count(memoryPass);
  } else {
    report.Raw({l, "CLI export, peak memory (max RSS)", "-", "", "", "", "FAIL"});
    report.Count(false);
  }
  report.Note(l, "command-line export", cli.problem);

  if (archive.entries >= 10000) {
    const bool openPass = open.wallMs < kOpenLimitMs;
    report.Row(l, "open the 10,000-frame archive", open, Sample{}, "< " + FormatMs(kOpenLimitMs),
               Verdict(openPass));
    report.Count(openPass);
  }
}

void MeasureCompositionTargets(const BenchArchive& archive, const Options& options,
                               Report& report) {
  Progress(archive.label + ": compose 1,000 and 2,000 frames");
  const ComposeResult thousand = MeasureCompose(archive, options.bench, 1000);
  const ComposeResult twoThousand = MeasureCompose(archive, options.bench, 2000);
  report.Section(archive, "");
  const std::string& l = archive.label;
  const bool pass1000 = thousand.time.wallMs < kCompose1000LimitMs && thousand.problem.empty();
  report.Row(l, "compose 1,000 frames of 64x64", thousand.time, Sample{},
             "< " + FormatMs(kCompose1000LimitMs), Verdict(pass1000));
  report.Count(pass1000);
  report.Note(l, "compose 1,000", thousand.problem);
  const bool pass2000 =
      twoThousand.time.wallMs < kCompose2000LimitMs && twoThousand.problem.empty();
  report.Row(l, "compose 2,000 frames of 64x64", twoThousand.time, Sample{},
             "< " + FormatMs(kCompose2000LimitMs), Verdict(pass2000));
  report.Count(pass2000);
  report.Note(l, "compose 2,000", twoThousand.problem);
}

// The run's own folder under the system's temporary folder, removed at the end.
struct WorkFolder {
  std::string folder = FreshFolder(std::filesystem::temp_directory_path().string(),
                                   "duskweave-bench");
  ~WorkFolder() { RemoveFolder(folder); }
  const std::string& path() const { return folder; }
};

int Run(const Options& options) {
  const WorkFolder temp;
  Options run = options;
  run.bench.workFolder = temp.path();
  if (options.keep) {
    // A folder of our own that outlives the run, for looking at the archives.
    run.bench.workFolder = temp.path() + "-kept";
    std::filesystem::create_directories(run.bench.workFolder);
    std::cerr << "keeping the archives in " << run.bench.workFolder << '\n';
  }

  if (run.paths) {
    if (run.bench.converter.empty()) return 2;
    std::ostringstream table;
    const bool pass = MeasurePaths(run.bench, run.pathOptions, table);
    std::cout << table.str();
    return pass ? 0 : 1;
  }
  if (run.packRatio) {
    if (run.bench.converter.empty()) return 2;
    return MeasurePackRatio(run.bench, std::cout) ? 0 : 1;
  }
  std::cerr << "Generating archives in " << run.bench.workFolder << '\n';
  std::vector<BenchArchive> shapes;
  for (Shape s : {Shape::Creature, Shape::MapObject, Shape::Terrain, Shape::Synthetic})
    shapes.push_back(WriteArchive(s, run.bench.workFolder));
  const BenchArchive compose64 = WriteArchive(Shape::Compose64, run.bench.workFolder);

  const std::string loadBefore = LoadAverage();
  Report report;
  for (const BenchArchive& archive : shapes) {
    if (run.shapes && (run.only.empty() || run.only == archive.label))
      MeasureShape(archive, run, report);
  }
  if (run.shapes && (run.only.empty() || run.only == compose64.label))
    MeasureCompositionTargets(compose64, run, report);
  std::ostringstream scalingTable;
  bool scalingPass = true;
  if (run.scaling && !run.bench.converter.empty())
    scalingPass = MeasureScaling(run.bench, run.only, scalingTable);

  std::cout << "Duskweave benchmarks: medians of " << run.bench.repetitions
            << " repetitions (open: " << 3 * run.bench.repetitions << "), "
            << std::thread::hardware_concurrency() << " CPUs, load average " << loadBefore
            << " before and " << LoadAverage() << " after, files written under "
            << std::filesystem::path(run.bench.workFolder).parent_path().string() << " ("
            << FileSystemKind(run.bench.workFolder) << ")\n\n";
  if (run.shapes) report.Print(std::cout);
  std::cout << scalingTable.str();
  std::cout
      << "\nfloor: the same BMP bytes written from memory, one open/write/close per file.\n"
         "export: LoadArchive + ExportFrame of every frame into an empty folder, interleaved\n"
         "  with the floor frame by frame; its ratio is the median of each repetition's own.\n"
         "noise check: a second floor interleaved the same way; its distance from 1.00 is how\n"
         "  far the ratios can be trusted on this machine at this moment.\n"
         "Other ratios divide a median by the floor's median. cpu x floor uses CPU time (user +\n"
         "  system) of the measuring thread or of the converter process instead of wall time.\n";
  if (run.scaling && !scalingPass) std::cout << "Some scaling targets were not met.\n";
  return report.failed() || !scalingPass ? 1 : 0;
}

}  // namespace
}  // namespace dw::bench

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], dw::bench::kMeasureChildFlag) == 0)
    return dw::bench::MeasureChildMain(argc, argv);
  dw::bench::Options options;
  if (!dw::bench::ParseOptions(argc, argv, options)) {
    dw::bench::Usage();
    return 2;
  }
  return dw::bench::Run(options);
}
