#include "cli/manifest/manifest_writer.h"

#include <gtest/gtest.h>

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

// Rebuilds an archive from a manifest and the images exported beside it:
// each distinct offset becomes one frame, cut from its image at the stored
// rectangle and encoded again in its compression.
ArchiveSpec SpecFromManifest(const nlohmann::json& manifest, const std::string& folder) {
  ArchiveSpec plan;
  plan.archiveType = manifest["type"];
  plan.width = manifest["width"];
  plan.height = manifest["height"];
  for (int i = 0; i < 256; ++i) {
    for (int c = 0; c < 3; ++c) plan.palette[3 * i + c] = manifest["palette"][i][c];
  }
  std::map<int32_t, int> frameAt;  // offset -> frame of plan
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
        plan.frames.push_back(MakeFrame(f["compression"], f["fullWidth"], f["fullHeight"], width,
                                        height, left, top, pixels));
        frameAt[offset] = int(plan.frames.size()) - 1;
      }
      DirectoryEntry entry;
      entry.name = FromHex(f["nameHex"]);
      entry.frame = frameAt[offset];
      block.entries.push_back(entry);
    }
    plan.blocks.push_back(block);
  }
  return plan;
}

using Manifest = EightFrameArchive;

TEST_F(Manifest, DescribesHeadPaletteBlocksAndFramesInDirectoryOrder) {
  ArchiveSpec named = plan;
  named.blocks[0].entries[1].name = "\xE4\xEE\xEC.pcx";  // frame 5, "дом.pcx"
  WriteArchive(dir, "units.def", named);
  const RunResult r = RunCli({"export", "--manifest", archive, out});
  ASSERT_EQ(r.status, 0) << r.err;
  const nlohmann::json m = ReadJson(dir.File("out/units.json"));
  EXPECT_EQ(m["archive"], "units.def");
  EXPECT_EQ(m["type"], plan.archiveType);
  EXPECT_EQ(m["blockCount"], 2);
  ASSERT_EQ(m["palette"].size(), 256u);
  EXPECT_EQ(m["palette"][3], (nlohmann::json{3, 252, 21}));
  ASSERT_EQ(m["blocks"].size(), 2u);
  EXPECT_EQ(m["blocks"][0]["identifier"], 7);
  EXPECT_EQ(m["blocks"][0]["reserved"], "0102030405060708");
  EXPECT_EQ(m["blocks"][1]["identifier"], 9);
  const SpriteFrame& f = plan.frames[4];  // listed first
  const std::vector<int32_t> offsets = FrameOffsets(plan);
  EXPECT_EQ(m["blocks"][0]["frames"][0], (nlohmann::json{{"index", 4},
                                                         {"name", "walk05.pcx"},
                                                         {"nameHex", "77616c6b30352e706378"},
                                                         {"offset", offsets[4]},
                                                         {"dataSize", offsets[5] - offsets[4] - 32},
                                                         {"compression", f.compression},
                                                         {"fullWidth", f.fullWidth},
                                                         {"fullHeight", f.fullHeight},
                                                         {"width", f.width},
                                                         {"height", f.height},
                                                         {"leftMargin", f.leftMargin},
                                                         {"topMargin", f.topMargin},
                                                         {"file", "walk05.bmp"}}));
  const nlohmann::json& cyrillic = m["blocks"][0]["frames"][1];
  EXPECT_EQ(cyrillic["name"], "дом.pcx");
  EXPECT_EQ(cyrillic["nameHex"], "e4eeec2e706378");
  EXPECT_EQ(cyrillic["file"], "дом.bmp");
}

TEST_F(Manifest, FramesNotExportedHaveNoFile) {
  ASSERT_EQ(RunCli({"export", "--manifest", "--frames", "0", archive, out}).status, 0);
  const nlohmann::json m = ReadJson(dir.File("out/units.json"));
  EXPECT_EQ(m["blocks"][1]["frames"][0]["file"], "walk01.bmp");
  EXPECT_TRUE(m["blocks"][1]["frames"][1]["file"].is_null());
}

TEST_F(Manifest, RebuildsAnArchiveWhoseFramesDecodeIdentically) {
  ArchiveSpec grouped = plan;
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
  grouped.blocks.push_back(again);
  WriteArchive(dir, "units.def", grouped);
  ASSERT_EQ(RunCli({"export", "--manifest", archive, dir.File("first")}).status, 0);

  const ArchiveSpec rebuilt =
      SpecFromManifest(ReadJson(dir.File("first/units.json")), dir.File("first"));
  EXPECT_EQ(rebuilt.frames.size(), 8u);
  const std::string copy = dir.File("rebuilt.def");
  WriteFile(copy, BuildArchive(rebuilt));
  ASSERT_EQ(RunCli({"export", "--manifest", copy, dir.File("second")}).status, 0);

  const std::vector<std::string> files = FilesIn(dir.File("first"));
  EXPECT_EQ(files.size(), 11u);  // ten images and the manifest
  for (const std::string& file : files) {
    if (file == "units.json") continue;
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
