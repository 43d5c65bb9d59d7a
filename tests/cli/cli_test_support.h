// Shared pieces of the converter's tests: running it in-process, and the
// test writer's archive of eight frames in a fresh folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/converter.h"
#include "tests/support/def_writer.h"

namespace dw::testing {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline RunResult RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  RunResult result;
  result.status = cli::RunConverter(args, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

// The pixel indices of an 8-bit bottom-up BMP image, top row first.
struct IndexedPixels {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
  uint8_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

inline IndexedPixels PixelsOfBmp(const std::vector<uint8_t>& bmp) {
  IndexedPixels image;
  if (bmp.size() < 1078) return image;
  image.width = GetInt32(bmp, 18);
  image.height = GetInt32(bmp, 22);
  const uint32_t offset = uint32_t(GetInt32(bmp, 10));
  const size_t stride = (size_t(image.width) + 3) / 4 * 4;
  image.pixels.resize(size_t(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const size_t row = offset + size_t(image.height - 1 - y) * stride;
    for (int x = 0; x < image.width; ++x) {
      image.pixels[size_t(y) * image.width + x] = bmp.at(row + x);
    }
  }
  return image;
}

// A JSON file, parsed.
inline nlohmann::json ReadJson(const std::string& path) {
  std::ifstream in(path);
  return nlohmann::json::parse(in);
}

// A JSON file against docs/<schema>.schema.json (skipped without python3's
// jsonschema).
inline void ExpectMatchesSchema(const std::string& schema, const std::string& json) {
  if (std::system("python3 -c 'import jsonschema' 2>/dev/null") != 0)
    GTEST_SKIP() << "python3 with jsonschema is not installed";
  const std::string command = "python3 -c 'import json, sys, jsonschema; jsonschema.validate("
                              "json.load(open(sys.argv[2])), json.load(open(sys.argv[1])))' " +
                              std::string(DUSKWEAVE_DOCS_DIR) + "/" + schema + ".schema.json " + json;
  EXPECT_EQ(std::system(command.c_str()), 0) << json;
}

// The names in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string WriteArchive(const TempDir& dir, const std::string& name,
                                const ArchiveSpec& plan) {
  const std::string path = dir.File(name);
  WriteFile(path, BuildArchive(plan));
  return path;
}

// Two blocks: walk (5) lists frame 0 twice, frame 1, then frame 0 under
// another name; idle (8) lists frame 2. Index 1 is a shadow by the colour rule.
inline ArchiveSpec WalkAndIdleSpec() {
  ArchiveSpec plan;
  plan.frames = {MakeFrame(0, 3, 2, 3, 2, 0, 0, {9, 0, 10, 11, 12, 0}),
                 MakeFrame(0, 4, 1, 2, 1, 1, 0, {1, 21}),
                 MakeFrame(0, 1, 1, 1, 1, 0, 0, {30})};
  Block walk;
  walk.identifier = 5;
  walk.entries = {{"w0", 0, {}, {}}, {"w0", 0, {}, {}}, {"w1", 1, {}, {}}, {"alias", 0, {}, {}}};
  Block idle;
  idle.identifier = 8;
  idle.entries = {{"i0", 2, {}, {}}};
  plan.blocks = {walk, idle};
  return plan;
}

// A fresh folder holding EightFrameSpec as units.def.
class EightFrameArchive : public ::testing::Test {
 protected:
  TempDir dir;
  const ArchiveSpec plan = EightFrameSpec();
  const std::string archive = WriteArchive(dir, "units.def", plan);
  const std::string out = dir.File("out");
};

}  // namespace dw::testing
