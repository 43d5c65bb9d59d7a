#include "bench/paths.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include <zlib.h>

#include "bench/child_process.h"
#include "bench/output_files.h"
#include "bench/sprite_archives.h"
#include "bench/table.h"

namespace dw::bench {
namespace {

namespace fs = std::filesystem;

constexpr double kPngLimit = 3;     // PNG export over the BMP export
constexpr double kRgbaLimit = 1.5;  // --alpha and --layers over the PNG export
constexpr double kJobsGoal = 1.7;   // --jobs 1 over --jobs 2
constexpr double kLodLimit = 1.1;   // export X.lod over the loose archives' export
constexpr double kPillowGoal = 50;  // Pillow, one process per archive, over the PNG export
constexpr double kPackLimit = 2;    // pack --batch of an exported set over the export that wrote it

void Say(const std::string& text) {
  std::cerr << "  " << text << std::endl;
}

std::string LoadNow() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  in >> oneMinute;
  return oneMinute.empty() ? "?" : oneMinute;
}

int64_t FolderBytes(const std::string& folder) {
  int64_t total = 0;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file(error)) total += int64_t(entry.file_size(error));
  return total;
}

// Best (least) wall and CPU time of the runs, the largest peak memory, and the
// output's size; problem is set when a run failed.
struct Best {
  double wallMs = 0, cpuMs = 0;
  int64_t rss = 0, bytes = 0;
  int runs = 0;
  std::string problem;
  void Add(const ChildResult& run, int64_t written) {
    if (!run.started || run.exitStatus != 0)
      problem = "exit status " + std::to_string(run.exitStatus) + ": " + run.stderrHead;
    wallMs = runs == 0 ? run.wallMs : std::min(wallMs, run.wallMs);
    cpuMs = runs == 0 ? run.cpuMs : std::min(cpuMs, run.cpuMs);
    rss = std::max(rss, run.maxRssBytes);
    bytes = written;
    ++runs;
  }
};

struct Converter {
  std::string name;  // "before" or "after"
  std::string path;
};

// One command line measured for every converter; "@" becomes a fresh output folder.
struct Case {
  std::string key;
  std::vector<std::string> args;  // after the converter's path
  bool newOnly = false;           // an option the converter before did not have
};

using Results = std::map<std::string, Best>;  // converter name + "/" + case key

void RunOnce(const BenchOptions& options, const Converter& converter, const Case& c,
             Results& results) {
  const std::string folder = FreshFolder(options.workFolder, "paths");
  std::vector<std::string> argv{converter.path};
  for (const std::string& a : c.args) argv.push_back(a == "@" ? folder + "/out" : a);
  SettleFileSystem(options.workFolder);
  const ChildResult run = RunMeasured(argv);
  results[converter.name + "/" + c.key].Add(run, FolderBytes(folder));
  RemoveFolder(folder);
}

// Every case with every converter, repetitions times, the order rotating so that
// a change of the machine's load falls on all of them alike.
void RunAll(const BenchOptions& options, const std::vector<Converter>& converters,
            const std::vector<Case>& cases, int repetitions, Results& results) {
  std::vector<std::pair<const Converter*, const Case*>> runs;
  for (const Case& c : cases)
    for (const Converter& converter : converters)
      if (!c.newOnly || converter.name == "after") runs.emplace_back(&converter, &c);
  for (int rep = 0; rep < repetitions; ++rep) {
    Say("repetition " + std::to_string(rep + 1) + " of " + std::to_string(repetitions) +
        " (load " + LoadNow() + ")");
    for (size_t k = 0; k < runs.size(); ++k) {
      const auto& [converter, c] = runs[(k + size_t(rep)) % runs.size()];
      RunOnce(options, *converter, *c, results);
    }
  }
}

class PathsReport {
 public:
  PathsReport()
      : table_({"path", "converter", "wall", "cpu", "peak memory", "output", "ratio", "target",
                "result"},
               {2, 3, 4, 5, 6}) {}
  void Section(const std::string& text) {
    table_.AddSection("");
    table_.AddSection(text);
  }
  // ratio < 0: no ratio column; limit 0: not judged.
  void Row(const std::string& path, const std::string& converter, const Best& b, double ratio,
           const std::string& target, int verdict) {
    table_.AddRow({path, converter, FormatMs(b.wallMs), FormatMs(b.cpuMs),
                   b.rss > 0 ? FormatBytes(b.rss) : "", b.bytes > 0 ? FormatBytes(b.bytes) : "",
                   ratio >= 0 ? FormatRatio(ratio) : "", target,
                   verdict < 0 ? "" : verdict ? "PASS" : "FAIL"});
    if (verdict == 0) failed_ = true;
    if (!b.problem.empty()) problems_.push_back(path + " (" + converter + "): " + b.problem);
  }
  void Note(const std::string& text) { table_.AddSection(text); }
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

// The Python that has Pillow: Debian's python3-pil is for the system's
// /usr/bin/python3, which another python3 on the PATH may hide.
std::string PythonWithPillow() {
  for (const char* python : {"/usr/bin/python3", "python3"})
    if (std::system((std::string(python) + " -c 'import PIL' >/dev/null 2>&1").c_str()) == 0)
      return python;
  return {};
}

// Every archive of the folder as a zlib-compressed entry of one LOD container:
// a 92-byte head ("LOD", kind, count), 32 bytes per entry (name, offset, size,
// type, compressed size), then the entries' data.
void WriteLod(const std::string& folder, const std::string& path) {
  std::vector<fs::path> archives;
  for (const auto& entry : fs::directory_iterator(folder)) archives.push_back(entry.path());
  std::sort(archives.begin(), archives.end());
  const auto put32 = [](std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int k = 0; k < 4; ++k) out[at + size_t(k)] = uint8_t(value >> (8 * k));
  };
  std::vector<uint8_t> lod(92 + 32 * archives.size());
  std::memcpy(lod.data(), "LOD", 4);
  put32(lod, 4, 200);
  put32(lod, 8, uint32_t(archives.size()));
  for (size_t i = 0; i < archives.size(); ++i) {
    std::ifstream in(archives[i], std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    uLongf packed = compressBound(uLong(bytes.size()));
    std::vector<uint8_t> deflated(packed);
    compress2(deflated.data(), &packed, bytes.data(), uLong(bytes.size()), 6);
    const size_t at = 92 + 32 * i;
    const std::string name = archives[i].filename().string().substr(0, 15);
    std::memcpy(lod.data() + at, name.data(), name.size());
    put32(lod, at + 16, uint32_t(lod.size()));
    put32(lod, at + 20, uint32_t(bytes.size()));
    put32(lod, at + 24, 0x47);
    put32(lod, at + 28, uint32_t(packed));
    lod.insert(lod.end(), deflated.begin(), deflated.begin() + std::ptrdiff_t(packed));
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(lod.data()),
                                              std::streamsize(lod.size()));
}

}  // namespace

bool MeasurePaths(const BenchOptions& options, const PathsOptions& paths, std::ostream& out) {
  std::vector<Converter> converters;
  if (!paths.baseline.empty()) converters.push_back({"before", paths.baseline});
  converters.push_back({"after", options.converter});

  Say("paths: generating the batch (" + std::to_string(paths.copies) + " of each shape)");
  const std::string batch = options.workFolder + "/paths-batch";
  fs::create_directories(batch);
  for (Shape shape : {Shape::Creature, Shape::MapObject, Shape::Terrain}) {
    const BenchArchive archive = WriteArchive(shape, options.workFolder);
    for (int k = 0; k < paths.copies; ++k)
      fs::copy_file(archive.path, batch + "/" + archive.label + "-" + std::to_string(k) + ".def");
    fs::remove(archive.path);
  }
  const std::string lod = options.workFolder + "/paths-batch.lod";
  WriteLod(batch, lod);
  const std::string loadBefore = LoadNow();
  const std::vector<Case> formats = {
      {"bmp", {"export", "--quiet", "--jobs", "1", batch, "@"}},
      {"png", {"export", "--quiet", "--jobs", "1", "--format", "png", batch, "@"}},
      {"alpha", {"export", "--quiet", "--jobs", "1", "--alpha", batch, "@"}},
      {"layers", {"export", "--quiet", "--jobs", "1", "--layers", batch, "@"}, true},
      {"bmp-j2", {"export", "--quiet", "--jobs", "2", batch, "@"}},
      {"png-j2", {"export", "--quiet", "--jobs", "2", "--format", "png", batch, "@"}},
      {"lod", {"export", "--quiet", "--jobs", "1", lod, "@"}},
  };
  Results results;
  RunAll(options, converters, formats, paths.repetitions, results);

  // The way back: the set export --manifest writes, packed in one call. Only
  // this converter: the one before had no pack --batch.
  Say("paths: export --manifest and pack --batch of the whole set");
  const std::string manifests = options.workFolder + "/paths-manifests";
  RunMeasured({options.converter, "export", "--quiet", "--manifest", batch, manifests});
  std::vector<std::string> packArgs{"pack", "--quiet", "--batch", "--jobs", "1"};
  for (const auto& folder : fs::directory_iterator(manifests))
    for (const auto& file : fs::directory_iterator(folder.path()))
      if (file.path().extension() == ".json") packArgs.push_back(file.path().string());
  std::sort(packArgs.begin() + 5, packArgs.end());
  packArgs.push_back("@");
  const std::vector<Case> way = {
      {"manifest", {"export", "--quiet", "--jobs", "1", "--manifest", batch, "@"}},
      {"pack", packArgs},
  };
  RunAll(options, {converters.back()}, way, paths.repetitions, results);
  RemoveFolder(manifests);

  Say("paths: 100,000 frames: list, info and export");
  const BenchArchive big = WriteSyntheticArchive(100000, "frames-100k", options.workFolder);
  const std::vector<Case> memory = {
      {"list", {"list", big.path}},
      {"info", {"info", big.path}},
      {"info --json", {"info", "--json", big.path}},
      {"export-100k", {"export", "--quiet", "--jobs", "1", big.path, "@"}},
  };
  RunAll(options, converters, memory, 1, results);
  fs::remove(big.path);

  // The stand-in for one process per archive, timed around the whole loop.
  // One Python process per archive that reads the archive and writes its
  // frames as palettised PNGs with Pillow: the way many users convert without
  // this program. Skipped when Pillow is missing.
  Best pillow;
  const std::string python = PythonWithPillow();
  const bool havePillow = !python.empty();
  if (havePillow) {
    Say("paths: Pillow, one process per archive");
    const std::string folder = FreshFolder(options.workFolder, "pillow");
    const std::string scriptPath = DUSKWEAVE_BENCH_SOURCE_DIR "/pillow_writer.py";
    const std::string loop = "for f in " + batch + "/*.def; do d=" + folder +
                             "/out/$(basename $f .def); mkdir -p $d; " + python + " " + scriptPath +
                             " $f $d || exit 1; done";
    for (int rep = 0; rep < std::max(1, paths.repetitions / 2); ++rep)
      pillow.Add(RunMeasured({"/bin/sh", "-c", loop}), FolderBytes(folder + "/out"));
    RemoveFolder(folder);
  }
  RemoveFolder(batch);
  fs::remove(lod);

  PathsReport report;
  const auto get = [&](const std::string& converter, const std::string& key) -> const Best& {
    return results[converter + "/" + key];
  };
  const auto judged = [&](const std::string& converter) { return converter == "after"; };
  const std::string shapes = std::to_string(3 * paths.copies) + " archives (" +
                             std::to_string(paths.copies) + " each of creature, mapobject, terrain)";

  report.Section("BMP export, --jobs 1, " + shapes);
  for (const Converter& c : converters) report.Row("export", c.name, get(c.name, "bmp"), 1, "", -1);

  report.Section("PNG export (export --format png), --jobs 1: ratio = cpu over the same converter's BMP export");
  for (const Converter& c : converters) {
    const Best& png = get(c.name, "png");
    const double ratio = png.cpuMs / get(c.name, "bmp").cpuMs;
    const bool smaller = converters.size() < 2 || png.bytes <= get("before", "png").bytes;
    report.Row("export --format png", c.name, png, ratio,
               judged(c.name) ? "<= " + FormatRatio(kPngLimit) + ", output <= before" : "",
               judged(c.name) ? int(ratio <= kPngLimit && smaller) : -1);
  }
  if (havePillow) {
    const double ratio = pillow.cpuMs / get("after", "png").cpuMs;
    report.Row("Pillow, one process per archive", "stand-in", pillow, ratio,
               "cpu over ours >= " + FormatRatio(kPillowGoal), int(ratio >= kPillowGoal));
  } else {
    report.Note("Pillow row skipped: python3 cannot import PIL (Debian python3-pil)");
  }

  for (const char* key : {"alpha", "layers"}) {
    report.Section(std::string("export --") + key +
                   ", --jobs 1: ratio = cpu over the same converter's PNG export");
    for (const Converter& c : converters) {
      if (results.count(c.name + "/" + key) == 0) {
        report.Note(c.name + ": no such option");
        continue;
      }
      const double ratio = get(c.name, key).cpuMs / get(c.name, "png").cpuMs;
      report.Row(std::string("export --") + key, c.name, get(c.name, key), ratio,
                 judged(c.name) ? "<= " + FormatRatio(kRgbaLimit) : "",
                 judged(c.name) ? int(ratio <= kRgbaLimit) : -1);
    }
  }

  report.Section("export X.lod, the same archives zlib-compressed in one LOD container, --jobs 1: "
                 "ratio = cpu over the same converter's BMP export of the loose archives");
  for (const Converter& c : converters) {
    const double ratio = get(c.name, "lod").cpuMs / get(c.name, "bmp").cpuMs;
    report.Row("export X.lod", c.name, get(c.name, "lod"), ratio,
               judged(c.name) ? "<= " + FormatRatio(kLodLimit) : "",
               judged(c.name) ? int(ratio <= kLodLimit) : -1);
  }

  report.Section("pack --batch --jobs 1 of the set export --manifest --jobs 1 wrote, one call: "
                 "ratio = cpu over that export");
  {
    const Best& manifest = get("after", "manifest");
    const double ratio = get("after", "pack").cpuMs / manifest.cpuMs;
    report.Row("export --manifest", "after", manifest, 1, "", -1);
    report.Row("pack --batch", "after", get("after", "pack"), ratio,
               "<= " + FormatRatio(kPackLimit), int(ratio <= kPackLimit));
  }

  report.Section("list, info and info --json of 100,000 frames (" + FormatBytes(big.fileSize) +
                 "): ratio = peak memory over the same converter's export --jobs 1");
  for (const Converter& c : converters) {
    const Best& exported = get(c.name, "export-100k");
    report.Row("export", c.name, exported, 1, "", -1);
    for (const char* key : {"list", "info", "info --json"}) {
      const double ratio = double(get(c.name, key).rss) / double(exported.rss);
      report.Row(key, c.name, get(c.name, key), ratio, judged(c.name) ? "<= 1.00" : "",
                 judged(c.name) ? int(ratio <= 1.0) : -1);
    }
  }

  for (const char* key : {"bmp", "png"}) {
    report.Section(std::string(key) + " export on two jobs: ratio = wall of --jobs 1 over --jobs 2");
    for (const Converter& c : converters) {
      const std::string k = key;
      report.Row(k + " --jobs 1", c.name, get(c.name, k), -1, "", -1);
      const double ratio = get(c.name, k).wallMs / get(c.name, k + "-j2").wallMs;
      report.Row(k + " --jobs 2", c.name, get(c.name, k + "-j2"), ratio,
                 judged(c.name) ? ">= " + FormatRatio(kJobsGoal) + " (idle machine)" : "",
                 judged(c.name) ? int(ratio >= kJobsGoal) : -1);
    }
  }

  out << "\nPaths (duskweave-convert as a child process; best wall and cpu of " << paths.repetitions
      << " runs in rotating order, peak memory the largest max RSS, output the bytes written; "
         "load average "
      << loadBefore << " before and " << LoadNow() << " after";
  if (!paths.baseline.empty()) out << "; before: " << paths.baseline;
  out << ")\n\n";
  return report.Print(out);
}

}  // namespace dw::bench
