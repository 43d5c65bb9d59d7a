#include "cli/manifest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

nlohmann::json ReadJson(const std::string& path) {
  std::ifstream in(path);
  return nlohmann::json::parse(in);
}

// Rebuilds an archive from a manifest and the images exported beside it:
// each distinct offset becomes one frame, cut from its image at the stored
// rectangle and encoded again in its compression.
ArchiveSpec SpecFromManifest(const nlohmann::json& manifest, const std::string& folder) {
  ArchiveSpec spec;
  spec.archiveType = manifest["type"];
  spec.width = manifest["width"];
  spec.height = manifest["height"];
  for (int i = 0; i < 256; ++i) {
    for (int c = 0; c < 3; ++c) spec.palette[3 * i + c] = manifest["palette"][i][c];
  }
  std::map<int32_t, int> frameAt;  // offset -> frame of spec
  for (const auto& item : manifest["blocks"]) {
    Block block;
    block.identifier = item["identifier"];
    const std::string reserved = FromHex(item["reserved"]);
    std::copy(reserved.begin(), reserved.end(), block.reserved.begin());
    for (const auto& f : item["frames"]) {
      const int32_t offset = f["offset"];
      if (!frameAt.count(offset)) {
        const IndexedPixels image =
            PixelsOfBmp(ReadFile(folder + "/" + f["file"].get<std::string>()));
        const int width = f["width"], height = f["height"];
        const int left = f["leftMargin"], top = f["topMargin"];
        std::vector<uint8_t> pixels;
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) pixels.push_back(image.At(left + x, top + y));
        }
        spec.frames.push_back(MakeFrame(f["compression"], f["fullWidth"], f["fullHeight"], width,
                                        height, left, top, pixels));
        frameAt[offset] = int(spec.frames.size()) - 1;
      }
      DirectoryEntry entry;
      entry.name = FromHex(f["nameHex"]);
      entry.frame = frameAt[offset];
      block.entries.push_back(entry);
    }
    spec.blocks.push_back(block);
  }
  return spec;
}

TEST(Manifest, DescribesHeadPaletteBlocksAndFramesInDirectoryOrder) {
  TempDir dir;
  ArchiveSpec spec = EightFrameSpec();
  spec.blocks[0].entries[1].name = "\xE4\xEE\xEC.pcx";  // frame 5, "дом.pcx"
  const std::string archive = WriteArchive(dir, "units.def", spec);
  const RunResult r = RunCli({"export", "--manifest", archive, dir.File("out")});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json m = ReadJson(dir.File("out/units.json"));
  EXPECT_EQ(m["archive"], "units.def");
  EXPECT_EQ(m["type"], spec.archiveType);
  EXPECT_EQ(m["blockCount"], 2);
  ASSERT_EQ(m["palette"].size(), 256u);
  EXPECT_EQ(m["palette"][3], (nlohmann::json{3, 252, 21}));
  ASSERT_EQ(m["blocks"].size(), 2u);
  EXPECT_EQ(m["blocks"][0]["identifier"], 7);
  EXPECT_EQ(m["blocks"][0]["reserved"], "0102030405060708");
  EXPECT_EQ(m["blocks"][1]["identifier"], 9);
  const nlohmann::json& first = m["blocks"][0]["frames"][0];  // frame 4 of the file
  const std::vector<int32_t> offsets = FrameOffsets(spec);
  EXPECT_EQ(first["index"], 4);
  EXPECT_EQ(first["name"], "walk05.pcx");
  EXPECT_EQ(first["nameHex"], "77616c6b30352e706378");
  EXPECT_EQ(first["offset"], offsets[4]);
  EXPECT_EQ(first["compression"], spec.frames[4].compression);
  EXPECT_EQ(first["fullWidth"], spec.frames[4].fullWidth);
  EXPECT_EQ(first["fullHeight"], spec.frames[4].fullHeight);
  EXPECT_EQ(first["width"], spec.frames[4].width);
  EXPECT_EQ(first["height"], spec.frames[4].height);
  EXPECT_EQ(first["leftMargin"], spec.frames[4].leftMargin);
  EXPECT_EQ(first["topMargin"], spec.frames[4].topMargin);
  EXPECT_EQ(first["file"], "walk05.bmp");
  const nlohmann::json& cyrillic = m["blocks"][0]["frames"][1];
  EXPECT_EQ(cyrillic["name"], "дом.pcx");
  EXPECT_EQ(cyrillic["nameHex"], "e4eeec2e706378");
  EXPECT_EQ(cyrillic["file"], "дом.bmp");
}

TEST(Manifest, FramesNotExportedHaveNoFile) {
  TempDir dir;
  const std::string archive = WriteArchive(dir, "units.def", EightFrameSpec());
  ASSERT_EQ(RunCli({"export", "--manifest", "--frames", "0", archive, dir.File("out")}).status, 0);
  const nlohmann::json m = ReadJson(dir.File("out/units.json"));
  EXPECT_EQ(m["blocks"][1]["frames"][0]["file"], "walk01.bmp");
  EXPECT_TRUE(m["blocks"][1]["frames"][1]["file"].is_null());
}

TEST(Manifest, RebuildsAnArchiveWhoseFramesDecodeIdentically) {
  TempDir dir;
  ArchiveSpec spec = EightFrameSpec();
  // A third block that lists frames 2 and 6 again, as animation groups do.
  Block again;
  again.identifier = 11;
  again.reserved = {0, 0, 0, 0, 9, 9, 9, 9};
  for (int frame : {6, 2}) {
    DirectoryEntry entry;
    entry.name = "again" + std::to_string(frame) + ".pcx";
    entry.frame = frame;
    again.entries.push_back(entry);
  }
  spec.blocks.push_back(again);
  const std::string archive = WriteArchive(dir, "units.def", spec);
  ASSERT_EQ(RunCli({"export", "--manifest", archive, dir.File("first")}).status, 0);

  const ArchiveSpec rebuilt =
      SpecFromManifest(ReadJson(dir.File("first/units.json")), dir.File("first"));
  EXPECT_EQ(rebuilt.frames.size(), 8u);
  const std::string copy = dir.File("rebuilt.def");
  WriteFile(copy, BuildArchive(rebuilt));
  ASSERT_EQ(RunCli({"export", "--manifest", copy, dir.File("second")}).status, 0);

  const auto names = [](const std::string& folder) {
    std::vector<std::string> list;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
      if (e.path().extension() == ".bmp") list.push_back(e.path().filename().string());
    }
    std::sort(list.begin(), list.end());
    return list;
  };
  const std::vector<std::string> files = names(dir.File("first"));
  EXPECT_EQ(files.size(), 10u);
  EXPECT_EQ(names(dir.File("second")), files);
  for (const std::string& file : files) {
    EXPECT_EQ(ReadFile(dir.File("second/" + file)), ReadFile(dir.File("first/" + file))) << file;
  }
  // The rebuilt manifest says the same, apart from the archive's name and where
  // the frames lie (which also decides their table order).
  nlohmann::json a = ReadJson(dir.File("first/units.json"));
  nlohmann::json b = ReadJson(dir.File("second/rebuilt.json"));
  for (nlohmann::json* m : {&a, &b}) {
    m->erase("archive");
    for (auto& block : (*m)["blocks"]) {
      for (auto& frame : block["frames"]) {
        frame.erase("offset");
        frame.erase("index");
      }
    }
  }
  EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace dw::testing
