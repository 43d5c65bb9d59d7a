#include "bench/pack_ratio.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/child_process.h"
#include "bench/sprite_archives.h"
#include "bench/table.h"

namespace dw::bench {
namespace {

// The median run of repetitions, by wall time.
ChildResult MedianRun(const std::vector<std::string>& argv, int repetitions,
                      const std::string& cleanFolder) {
  std::vector<ChildResult> runs;
  for (int i = 0; i < std::max(1, repetitions); ++i) {
    if (!cleanFolder.empty()) std::filesystem::remove_all(cleanFolder);
    runs.push_back(RunMeasured(argv));
  }
  std::sort(runs.begin(), runs.end(),
            [](const ChildResult& a, const ChildResult& b) { return a.wallMs < b.wallMs; });
  return runs[runs.size() / 2];
}

// "0.9987": sizes differ by little.
std::string Fraction(double ratio) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", ratio);
  return text;
}

}  // namespace

bool MeasurePackRatio(const BenchOptions& options, std::ostream& out) {
  Table table({"archive", "original bytes", "packed bytes", "packed / original", "export",
               "pack", "pack / export", "export cpu", "pack cpu", "pack peak RSS"},
              {1, 2, 3, 4, 5, 6, 7, 8, 9});
  bool pass = true;
  int64_t originalTotal = 0, packedTotal = 0;
  double exportTotal = 0, packTotal = 0, exportCpu = 0, packCpu = 0;
  for (Shape shape : {Shape::Creature, Shape::MapObject, Shape::Terrain, Shape::Synthetic,
                      Shape::Compose64}) {
    const BenchArchive archive = WriteArchive(shape, options.workFolder);
    const std::string folder = options.workFolder + "/" + archive.label + "-images";
    const std::string manifest = folder + "/" + archive.label + ".json";
    const std::string packed = options.workFolder + "/" + archive.label + "-packed.def";
    const ChildResult exported = MedianRun(
        {options.converter, "export", "--manifest", "--quiet", archive.path, folder},
        options.repetitions, folder);
    const ChildResult packedRun =
        MedianRun({options.converter, "pack", "--quiet", manifest, packed}, options.repetitions, "");
    std::error_code ec;
    const auto packedSize = int64_t(std::filesystem::file_size(packed, ec));
    if (exported.exitStatus != 0 || packedRun.exitStatus != 0 || ec) {
      table.AddRow({archive.label, FormatBytes(archive.fileSize), "failed: " +
                    (exported.exitStatus != 0 ? exported.stderrHead : packedRun.stderrHead)});
      pass = false;
      continue;
    }
    const double ratio = double(packedSize) / double(archive.fileSize);
    pass = pass && packedSize <= archive.fileSize;
    originalTotal += archive.fileSize;
    packedTotal += packedSize;
    exportTotal += exported.wallMs;
    packTotal += packedRun.wallMs;
    exportCpu += exported.cpuMs;
    packCpu += packedRun.cpuMs;
    table.AddRow({archive.label, std::to_string(archive.fileSize), std::to_string(packedSize),
                  Fraction(ratio), FormatMs(exported.wallMs), FormatMs(packedRun.wallMs),
                  FormatRatio(packedRun.wallMs / exported.wallMs), FormatMs(exported.cpuMs),
                  FormatMs(packedRun.cpuMs), FormatBytes(packedRun.maxRssBytes)});
    std::filesystem::remove_all(folder);
    std::filesystem::remove(packed, ec);
  }
  if (originalTotal > 0) {
    pass = pass && packedTotal < originalTotal;
    table.AddRow({"total", std::to_string(originalTotal), std::to_string(packedTotal),
                  Fraction(double(packedTotal) / double(originalTotal)), FormatMs(exportTotal),
                  FormatMs(packTotal), FormatRatio(packTotal / exportTotal), FormatMs(exportCpu),
                  FormatMs(packCpu), ""});
  }
  out << "export --manifest, then pack: medians of " << options.repetitions << " runs\n";
  table.Print(out);
  out << (pass ? "Every archive packs at most as large as it came, the total smaller.\n"
               : "Some archive packs larger than it came, or a run failed.\n");
  return pass;
}

}  // namespace dw::bench
