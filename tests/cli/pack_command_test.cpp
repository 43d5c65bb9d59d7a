#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>

#include "tests/cli/pack_test_support.h"

namespace dw::testing {
namespace {

namespace fs = std::filesystem;

// What list shows of an archive, less what packing may change: where frames
// lie and how long their data is.
nlohmann::ordered_json ListedFrames(const std::string& archive) {
  const RunResult info = RunCli({"info", "--json", archive});
  EXPECT_EQ(info.status, 0) << info.err;
  nlohmann::ordered_json json = nlohmann::ordered_json::parse(info.out);
  json.erase("archive");
  for (auto& frame : json["frames"]) {
    frame.erase("offset");
    frame.erase("dataSize");
  }
  return json;
}

void ExpectSameImages(const std::string& expected, const std::string& actual) {
  std::vector<std::string> names;
  for (const std::string& name : FilesIn(expected))
    if (fs::path(name).extension() != ".json") names.push_back(name);
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(fs::exists(actual + "/" + name));
    EXPECT_EQ(ReadFile(actual + "/" + name), ReadFile(expected + "/" + name));
  }
}

class PackRoundTrip : public ::testing::Test {
 protected:
  // Exports the archive with its manifest, packs it, exports the packed
  // archive again; returns the packed size over the original's.
  double RoundTrip(const ArchiveSpec& plan, const std::vector<std::string>& exportOptions = {}) {
    const std::string original = WriteArchive(dir, "original.def", plan);
    std::vector<std::string> first{"export", "--manifest", "--keep-special", "--quiet"};
    first.insert(first.end(), exportOptions.begin(), exportOptions.end());
    first.insert(first.end(), {original, dir.File("first")});
    const RunResult exported = RunCli(first);
    EXPECT_EQ(exported.status, 0) << exported.err;
    // The images hold the fill codes, and the manifest says so.
    EXPECT_EQ(ReadJsonFile(dir.File("first/original.json"))["keepSpecial"], true);
    const RunResult packed =
        RunCli({"pack", "--quiet", dir.File("first/original.json"), dir.File("packed.def")});
    EXPECT_EQ(packed.status, 0) << packed.err;
    std::vector<std::string> second{"export", "--keep-special", "--quiet"};
    second.insert(second.end(), exportOptions.begin(), exportOptions.end());
    second.insert(second.end(), {dir.File("packed.def"), dir.File("second")});
    const RunResult again = RunCli(second);
    EXPECT_EQ(again.status, 0) << again.err;
    ExpectSameImages(dir.File("first"), dir.File("second"));
    EXPECT_EQ(ListedFrames(dir.File("packed.def")), ListedFrames(original));
    return double(fs::file_size(dir.File("packed.def"))) / double(fs::file_size(original));
  }

  TempDir dir;
};

TEST_F(PackRoundTrip, CreatureLikeArchiveExportsIdenticallyAndStaysWithinFivePercent) {
  const double ratio = RoundTrip(CreatureSpec());
  EXPECT_LE(ratio, 1.05);
  RecordProperty("size_ratio", std::to_string(ratio));
  std::cout << "packed size / original size: " << ratio << '\n';
}

TEST_F(PackRoundTrip, MapObjectLikeArchiveExportsIdenticallyAndStaysWithinFivePercent) {
  const double ratio = RoundTrip(MapObjectSpec());
  EXPECT_LE(ratio, 1.05);
  RecordProperty("size_ratio", std::to_string(ratio));
  std::cout << "packed size / original size: " << ratio << '\n';
}

TEST_F(PackRoundTrip, TerrainLikeArchiveExportsIdentically) { RoundTrip(TerrainSpec()); }

TEST_F(PackRoundTrip, EightFramesOfEveryCompressionExportIdentically) {
  RoundTrip(EightFrameSpec());
}

TEST_F(PackRoundTrip, PngImagesExportIdentically) { RoundTrip(MapObjectSpec(), {"--format", "png"}); }
TEST_F(PackRoundTrip, RgbaImagesExportIdentically) {
  RoundTrip(CreatureSpec(), {"--alpha", "--format", "png"});
}
TEST_F(PackRoundTrip, LayerImagesExportIdentically) {
  RoundTrip(CreatureSpec(), {"--layers", "--format", "png"});
}
TEST_F(PackRoundTrip, VcmiAnimationPacksToTheSameImages) {
  ASSERT_EQ(
      RunCli({"export", "--vcmi", "-q", WriteArchive(dir, "cr.def", CreatureSpec()), dir.File("a")})
          .status,
      0);
  const RunResult packed = RunCli({"pack", "-q", dir.File("a/cr.json"), dir.File("p.def")});
  ASSERT_EQ(packed.status, 0) << packed.err;
  ASSERT_EQ(RunCli({"export", "--vcmi", "-q", dir.File("p.def"), dir.File("b")}).status, 0);
  ExpectSameImages(dir.File("a/cr"), dir.File("b/p"));
  EXPECT_EQ(ReadJsonFile(dir.File("a/cr.json"))["sequences"],
            ReadJsonFile(dir.File("b/p.json"))["sequences"]);
}

// Names that clash on disk: every stored frame keeps its image (numbered
// ~N by default, every entry its own with unique names), so the packed
// archive holds every frame again.
TEST_F(PackRoundTrip, ClashingNamesRoundTripWithAndWithoutUniqueNames) {
  ArchiveSpec plan = EightFrameSpec();
  for (Block& block : plan.blocks)
    for (DirectoryEntry& entry : block.entries) entry.name = "CS_Reconstruc";
  for (const char* option : {"--unique-names", "-q"}) {
    fs::remove_all(dir.File("first"));
    fs::remove_all(dir.File("second"));
    RoundTrip(plan, {option});
    EXPECT_EQ(FilesIn(dir.File("second")).size(), 8u) << option;  // one image per frame
  }
}

TEST_F(PackRoundTrip, PlainExportRoundTripsWithoutKeptCodes) {
  const ArchiveSpec plan = CreatureSpec();
  const std::string original = WriteArchive(dir, "original.def", plan);
  ASSERT_EQ(RunCli({"export", "--manifest", "-q", original, dir.File("first")}).status, 0);
  ASSERT_EQ(RunCli({"pack", "-q", dir.File("first/original.json"), dir.File("packed.def")}).status,
            0);
  ASSERT_EQ(RunCli({"export", "-q", dir.File("packed.def"), dir.File("second")}).status, 0);
  ExpectSameImages(dir.File("first"), dir.File("second"));
}

TEST_F(PackRoundTrip, EntriesAtOneOffsetShareOneStoredFrame) {
  const ArchiveSpec plan = TerrainSpec();  // 7 entries, 6 frames
  RoundTrip(plan);
  const RunResult info = RunCli({"info", "--json", dir.File("packed.def")});
  const auto json = nlohmann::json::parse(info.out);
  std::vector<int32_t> offsets;
  for (const auto& frame : json["frames"]) offsets.push_back(frame["offset"]);
  ASSERT_EQ(offsets.size(), 7u);
  EXPECT_EQ(std::unique(offsets.begin(), offsets.end()) - offsets.begin(), 6);
}

TEST_F(PackRoundTrip, KeepsBlockIdentifiersReservedBytesAndThirteenByteNames) {
  ArchiveSpec plan = EightFrameSpec();
  std::array<uint8_t, 13> raw;
  for (int i = 0; i < 13; ++i) raw[size_t(i)] = uint8_t('a' + i);
  plan.blocks[0].entries[1].rawName = raw;
  RoundTrip(plan);
  const std::vector<uint8_t> original = ReadFile(dir.File("original.def"));
  const std::vector<uint8_t> packed = ReadFile(dir.File("packed.def"));
  // The head, palette and the names of both blocks are the same bytes.
  const size_t names0 = 784 + 16, names1 = names0 + 17 * 4 + 16;
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + names0 + 13 * 4, packed.begin()));
  EXPECT_TRUE(std::equal(original.begin() + names1 - 16, original.begin() + names1 + 13 * 4,
                         packed.begin() + names1 - 16));
}

// The exporter writes full-size images; a cropped set is placed by the margins.
TEST_F(PackRoundTrip, CroppedImagesArePlacedByTheManifestsMargins) {
  const ArchiveSpec plan = MapObjectSpec();
  const std::string original = WriteArchive(dir, "original.def", plan);
  ASSERT_EQ(RunCli({"export", "--manifest", "--keep-special", "-q", original, dir.File("first")})
                .status,
            0);
  nlohmann::ordered_json manifest = ReadJsonFile(dir.File("first/original.json"));
  manifest["crop"] = true;
  fs::create_directory(dir.File("crop"));
  for (const auto& block : manifest["blocks"])
    for (const auto& frame : block["frames"]) {
      const IndexedPixels full = PixelsOfBmp(ReadFile(dir.File("first/" + std::string(frame["file"]))));
      const int w = frame["width"], h = frame["height"], l = frame["leftMargin"],
                t = frame["topMargin"];
      std::vector<uint8_t> cut;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) cut.push_back(full.At(l + x, t + y));
      WriteFile(dir.File("crop/" + std::string(frame["file"])), Bmp8(w, h, cut, plan.palette));
    }
  WriteJsonFile(dir.File("crop/original.json"), manifest);
  const RunResult packed = RunCli({"pack", "-q", dir.File("crop/original.json"), dir.File("p.def")});
  ASSERT_EQ(packed.status, 0) << packed.err;
  ASSERT_EQ(RunCli({"export", "--keep-special", "-q", dir.File("p.def"), dir.File("second")}).status,
            0);
  ExpectSameImages(dir.File("first"), dir.File("second"));
}

// Bad input: one clear error naming the file or field, exit 1, no OUT.
class PackRefuses : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteArchive(dir, "units.def", EightFrameSpec());
    ASSERT_EQ(RunCli({"export", "--manifest", "--keep-special", "-q", dir.File("units.def"),
                      dir.File("x")})
                  .status,
              0);
    manifest = ReadJsonFile(dir.File("x/units.json"));
  }
  // Packs into out.def (after saving the manifest when changed); returns stderr.
  std::string PackFails(bool save = true) {
    if (save) WriteJsonFile(dir.File("x/units.json"), manifest);
    const RunResult result = RunCli({"pack", dir.File("x/units.json"), dir.File("out.def")});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(fs::exists(dir.File("out.def")));
    for (const std::string& name : FilesIn(dir.path()))
      EXPECT_EQ(name.find(".dw-"), std::string::npos);
    return result.err;
  }
  std::string FileOf(int block, int frame) {
    return manifest["blocks"][block]["frames"][frame]["file"];
  }

  TempDir dir;
  nlohmann::ordered_json manifest;
};

// Only files inside the manifest's folder are read; every file that cannot
// be used gets the same words, whether it exists or not.
TEST_F(PackRefuses, AnyImageOutsideItsFolderOrMissingWithOneMessage) {
  fs::copy_file(dir.File("x/" + FileOf(0, 0)), dir.File("outside.bmp"));
  fs::create_symlink("../outside.bmp", dir.File("x/link.bmp"));
  const std::string original = FileOf(0, 0);
  for (const std::string& file :
       {std::string("gone.bmp"), std::string("../outside.bmp"), dir.File("outside.bmp"),
        std::string("link.bmp"), original + std::string("\0.png", 5)}) {
    manifest["blocks"][0]["frames"][0]["file"] = file;
    std::string shown = file;
    std::replace(shown.begin(), shown.end(), '\0', '?');
    EXPECT_NE(PackFails().find("x/" + shown + ": cannot be used (an image must be a readable "
                               "file inside " + dir.File("x") + ")"),
              std::string::npos)
        << file;
  }
}

// Checked before anything is allocated or encoded, each naming what is wrong.
TEST_F(PackRefuses, NamesRectanglesAndImagesThatDoNotFit) {
  const std::string first = FileOf(0, 0);
  const nlohmann::ordered_json saved = manifest;
  const struct {
    std::function<void(nlohmann::ordered_json&)> change;
    std::string message;
  } rows[] = {
      {[](auto& m) {
         m["blocks"][0]["frames"][3]["name"] = "walk\u2603";
         m["blocks"][0]["frames"][3].erase("nameHex");
       },
       "blocks[0].frames[3].name: \"walk\u2603\" holds \"\u2603\" (U+2603), which Windows-1251 "
       "names cannot hold"},
      {[](auto& m) {
         m["blocks"][0]["frames"][0]["width"] = 8192;
         m["blocks"][0]["frames"][0]["height"] = 8192;
       },
       "the stored rectangle of 8192 x 8192 at 1, 2 passes the full frame of 16 x 10"},
      {[&](auto&) {
         std::vector<uint8_t> bmp = ReadFile(dir.File("x/" + first));
         PutInt32(bmp, 10, 54 + 4 * 200);  // inside the colour table
         WriteFile(dir.File("x/" + first), bmp);
       },
       first + ": the BMP file is damaged: its pixel data (at 854) overlaps its headers or "
               "colour table (up to 1078)"},
      {[&](auto&) {
         std::vector<uint8_t> bmp = ReadFile(dir.File("x/" + first));
         bmp[28] = 16;
         WriteFile(dir.File("x/" + first), bmp);
       },
       first + ": not an uncompressed 8-, 24- or 32-bit BMP image (16 bits per pixel)"},
  };
  for (const auto& row : rows) {
    manifest = saved;
    row.change(manifest);
    EXPECT_NE(PackFails().find(row.message), std::string::npos) << row.message;
  }
}

// A colour in no entry of the archive's palette names the file, pixel and
// colour; --remap takes the nearest entry and moves only those pixels.
TEST_F(PackRefuses, AColourInNoPaletteEntryUnlessRemapped) {
  ASSERT_EQ(RunCli({"pack", "-q", dir.File("x/units.json"), dir.File("same.def")}).status, 0);
  const std::string file = "x/" + FileOf(1, 0);
  std::vector<uint8_t> bmp = ReadFile(dir.File(file));
  const IndexedPixels image = PixelsOfBmp(bmp);
  const size_t at = size_t(
      std::find_if(image.pixels.begin(), image.pixels.end(), [](uint8_t p) { return p >= 8; }) -
      image.pixels.begin());
  const uint8_t index = image.pixels[at];
  bmp[54 + 4 * index] ^= 1;  // its blue
  WriteFile(dir.File(file), bmp);
  char colour[8];
  std::snprintf(colour, sizeof colour, "#%02x%02x%02x", bmp[56 + 4 * index], bmp[55 + 4 * index],
                bmp[54 + 4 * index]);
  EXPECT_NE(PackFails(false).find(file + ": pixel (" + std::to_string(at % image.width) + ", " +
                                  std::to_string(at / image.width) + ") is " + colour +
                                  ", a colour in no entry of the archive's palette"),
            std::string::npos);
  const RunResult remapped =
      RunCli({"pack", "--remap", dir.File("x/units.json"), dir.File("out.def")});
  ASSERT_EQ(remapped.status, 0) << remapped.err;
  EXPECT_NE(remapped.err.find(
                "out.def: --remap moved " +
                std::to_string(std::count(image.pixels.begin(), image.pixels.end(), index)) +
                " pixels to the nearest palette entry"),
            std::string::npos)
      << remapped.err;
  EXPECT_EQ(ReadFile(dir.File("out.def")), ReadFile(dir.File("same.def")));
}

// What an editor saves, RGBA (export --alpha --crop, as the README's modder
// folder) or 24-bit, packs back to the same indices.
TEST_F(PackRefuses, NothingOfAnRgbaOr24BitEdit) {
  ASSERT_EQ(RunCli({"pack", "-q", dir.File("x/units.json"), dir.File("same.def")}).status, 0);
  ASSERT_EQ(RunCli({"export", "--alpha", "--crop", "--manifest", "--format", "png", "-q",
                    dir.File("units.def"), dir.File("rgba")})
                .status,
            0);
  const std::string file = "x/" + FileOf(0, 2);
  const std::vector<uint8_t> bmp = ReadFile(dir.File(file));
  const IndexedPixels image = PixelsOfBmp(bmp);
  std::vector<uint8_t> rgba;
  for (uint8_t p : image.pixels)
    rgba.insert(rgba.end(), {bmp[56 + 4 * p], bmp[55 + 4 * p], bmp[54 + 4 * p], 255});
  WriteFile(dir.File(file), BmpRgb(image.width, image.height, 24, rgba));
  for (const std::string& manifestPath : {dir.File("rgba/units.json"), dir.File("x/units.json")}) {
    const RunResult packed = RunCli({"pack", "-q", manifestPath, dir.File("out.def")});
    ASSERT_EQ(packed.status, 0) << packed.err;
    EXPECT_EQ(ReadFile(dir.File("out.def")), ReadFile(dir.File("same.def"))) << manifestPath;
  }
}

TEST_F(PackRefuses, AnImageOfAnotherSize) {
  const ArchiveSpec plan = EightFrameSpec();
  WriteFile(dir.File("x/" + FileOf(0, 1)), Bmp8(3, 2, std::vector<uint8_t>(6, 9), plan.palette));
  const std::string err = PackFails(false);
  EXPECT_NE(err.find(FileOf(0, 1) + ": 3 x 2 pixels, but blocks[0].frames[1] wants"),
            std::string::npos)
      << err;
}

TEST_F(PackRefuses, AnUnknownField) {
  manifest["blocks"][1]["frames"][2]["colour"] = 3;
  EXPECT_NE(PackFails().find("units.json: blocks[1].frames[2].colour: unknown field"),
            std::string::npos);
  manifest["blocks"][1]["frames"][2].erase("colour");
  manifest["shadows"] = true;
  EXPECT_NE(PackFails().find("units.json: shadows: unknown field"), std::string::npos);
}

TEST_F(PackRefuses, AFrameCountUnlikeDeclaredCount) {
  manifest["blocks"][0]["declaredCount"] = 5;
  EXPECT_NE(PackFails().find("blocks[0].declaredCount: 5 does not match the 4 frames listed"),
            std::string::npos);
}

TEST_F(PackRefuses, AThirteenByteName) {
  manifest["blocks"][0]["frames"][3]["name"] = "abcdefghijklm";
  manifest["blocks"][0]["frames"][3].erase("nameHex");
  EXPECT_NE(PackFails().find("blocks[0].frames[3].name: \"abcdefghijklm\" is 13 bytes"),
            std::string::npos);
  manifest["blocks"][0]["frames"][3]["nameHex"] = "6162636465666768696a6b6c6d6e";
  EXPECT_NE(PackFails().find("blocks[0].frames[3].nameHex: 14 bytes"), std::string::npos);
}

TEST_F(PackRefuses, AnEntryWithoutAnImage) {
  manifest["blocks"][1]["frames"][0]["file"] = nullptr;
  EXPECT_NE(PackFails().find("blocks[1].frames[0] (\"walk01.pcx\"): no image file"),
            std::string::npos);
}

TEST_F(PackRefuses, AManifestOfAPartialExport) {
  ASSERT_EQ(RunCli({"export", "--manifest", "--frames", "0", "-q", dir.File("units.def"),
                    dir.File("x")})
                .status,
            0);
  EXPECT_NE(PackFails(false).find("blocks[0].frames[0] (\"walk05.pcx\"): no image file, and no "
                                  "other entry at offset"),
            std::string::npos);
}

TEST_F(PackRefuses, AManifestThatIsNotJson) {
  WriteFile(dir.File("x/units.json"), {'{', '"'});
  EXPECT_NE(PackFails(false).find("units.json: not valid JSON"), std::string::npos);
}

TEST_F(PackRefuses, AFolderWithoutFromFolder) {
  const RunResult r = RunCli({"pack", dir.File("x"), dir.File("out.def")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "duskweave-convert: error: " + dir.File("x") +
                       ": is a folder; to pack the images in it, add --from-folder\n");
}

TEST_F(PackRefuses, AndLeavesAnExistingArchiveUntouched) {
  WriteFile(dir.File("out.def"), {1, 2, 3});
  fs::remove(dir.File("x/" + FileOf(0, 0)));
  const RunResult result = RunCli({"pack", dir.File("x/units.json"), dir.File("out.def")});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(ReadFile(dir.File("out.def")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(PackFromFolder, TrimsMarginsSharesRepeatedFramesAndTakesThePaletteFromTheFirstImage) {
  TempDir dir;
  const auto palette = ArchiveSpec::TestPalette();
  std::vector<uint8_t> a(40 * 30, 0), b(40 * 30, 0);
  for (int y = 5; y < 20; ++y)
    for (int x = 3; x < 37; ++x) a[size_t(y) * 40 + x] = uint8_t(20 + x);
  for (int y = 2; y < 4; ++y)
    for (int x = 10; x < 12; ++x) b[size_t(y) * 40 + x] = 9;
  WriteFile(dir.File("a.bmp"), Bmp8(40, 30, a, palette));
  WriteFile(dir.File("b.bmp"), Bmp8(40, 30, b, palette));
  WriteJsonFile(dir.File("pack.json"), nlohmann::ordered_json::parse(R"({
    "type": 67,
    "blocks": [
      {"identifier": 2, "frames": ["a.bmp", {"file": "b.bmp", "name": "b.pcx", "compression": 3}]},
      {"identifier": 5, "frames": ["a.bmp", {"file": "b.bmp", "compression": 0}]}
    ]})"));
  const RunResult packed = RunCli({"pack", "--from-folder", dir.path(), dir.File("f.def")});
  ASSERT_EQ(packed.status, 0) << packed.err;
  const RunResult list = RunCli({"info", "--json", dir.File("f.def")});
  const auto json = nlohmann::json::parse(list.out);
  EXPECT_EQ(json["type"], 67);
  EXPECT_EQ(json["width"], 40);
  ASSERT_EQ(json["frames"].size(), 4u);
  EXPECT_EQ(json["frames"][0]["name"], "a");
  EXPECT_EQ(json["frames"][1]["name"], "a");
  EXPECT_EQ(json["frames"][0]["offset"], json["frames"][1]["offset"]);
  EXPECT_EQ(json["frames"][0]["compression"], 1);
  EXPECT_EQ(json["frames"][0]["leftMargin"], 3);
  EXPECT_EQ(json["frames"][0]["topMargin"], 5);
  EXPECT_EQ(json["frames"][0]["width"], 34);
  EXPECT_EQ(json["frames"][0]["height"], 15);
  // Compression 3 widens a narrow rectangle to 32 columns so rows keep their own starts.
  EXPECT_EQ(json["frames"][2]["name"], "b.pcx");
  EXPECT_EQ(json["frames"][2]["width"], 32);
  EXPECT_EQ(json["frames"][2]["leftMargin"], 8);
  EXPECT_EQ(json["frames"][3]["width"], 2);
  ASSERT_EQ(RunCli({"export", "-q", dir.File("f.def"), dir.File("out")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("out/a.bmp")), ReadFile(dir.File("a.bmp")).size() == 0
                                                 ? std::vector<uint8_t>{}
                                                 : ReadFile(dir.File("out/a.bmp")));
  EXPECT_EQ(PixelsOfBmp(ReadFile(dir.File("out/a.bmp"))).pixels, a);
  EXPECT_EQ(PixelsOfBmp(ReadFile(dir.File("out/b.bmp"))).pixels, b);
  EXPECT_EQ(PixelsOfBmp(ReadFile(dir.File("out/b.bmp"))).pixels, b);
}

TEST(PackFromFolder, RefusesAnImageOfAnotherPaletteOrSize) {
  TempDir dir;
  auto palette = ArchiveSpec::TestPalette();
  WriteFile(dir.File("a.bmp"), Bmp8(4, 4, std::vector<uint8_t>(16, 3), palette));
  palette[30] ^= 1;
  WriteFile(dir.File("b.bmp"), Bmp8(4, 4, std::vector<uint8_t>(16, 10), palette));
  WriteJsonFile(dir.File("pack.json"),
                {{"type", 1}, {"blocks", {{{"identifier", 0}, {"frames", {"a.bmp", "b.bmp"}}}}}});
  RunResult result = RunCli({"pack", "--from-folder", dir.path(), dir.File("f.def")});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("b.bmp: pixel (0, 0) is #0bf546, a colour in no entry"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(fs::exists(dir.File("f.def")));

  WriteJsonFile(dir.File("pack.json"), {{"type", 1},
                                        {"width", 5},
                                        {"blocks", {{{"identifier", 0}, {"frames", {"a.bmp"}}}}}});
  result = RunCli({"pack", "--from-folder", dir.path(), dir.File("f.def")});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("a.bmp: 4 x 4 pixels, but pack.json gives the archive 5 x"),
            std::string::npos)
      << result.err;

  // An image without pixels, and a name the archive cannot hold.
  WriteFile(dir.File("empty.bmp"), Bmp8(0, 4, {}, palette));
  WriteFile(dir.File("\u263A.bmp"), Bmp8(4, 4, std::vector<uint8_t>(16, 3), palette));
  for (const auto& [file, message] :
       {std::pair<std::string, std::string>{"empty.bmp", "empty.bmp: the image holds no pixels (0 x 4)"},
        {"\u263A.bmp", "blocks[0].frames[0]: the name taken from the file: \"\u263A\" holds \"\u263A\" "
                      "(U+263A), which Windows-1251 names cannot hold"}}) {
    WriteJsonFile(dir.File("pack.json"),
                  {{"type", 1}, {"blocks", {{{"identifier", 0}, {"frames", {file}}}}}});
    result = RunCli({"pack", "--from-folder", dir.path(), dir.File("f.def")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
}

// RGBA art without a palette: the special codes' colours, then the art's
// own colours (libimagequant's when more than 248), shadows as their codes.
TEST(PackFromFolder, MakesAPaletteForRgbaArt) {
  for (const int colours : {3, 600}) {
    for (const bool dither : {false, true}) {
      TempDir dir;
      std::vector<uint8_t> rgba;
      for (int i = 0; i < 40 * 30; ++i) {
        const int c = i % colours;
        rgba.insert(rgba.end(), {uint8_t(c * 37), uint8_t(c / 7 * 11), uint8_t(c * 5), 255});
      }
      for (int i = 0; i < 40; ++i) rgba[4 * i + 3] = 0;                  // top row clear
      for (int i = 40; i < 80; ++i) std::fill_n(&rgba[4 * i], 3, 0), rgba[4 * i + 3] = 128;
      WriteFile(dir.File("a.bmp"), BmpRgb(40, 30, 32, rgba));
      WriteJsonFile(dir.File("pack.json"),
                    {{"type", 0x42}, {"blocks", {{{"identifier", 0}, {"frames", {"a.bmp"}}}}}});
      std::vector<std::string> args{"pack", "-q", "--from-folder", dir.path(), dir.File("a.def")};
      if (dither) args.push_back("--dither");
      const RunResult packed = RunCli(args);
      ASSERT_EQ(packed.status, 0) << packed.err;
      ASSERT_EQ(RunCli({"export", "--keep-special", "-q", dir.File("a.def"), dir.File("o")}).status, 0);
      const std::vector<uint8_t> bmp = ReadFile(dir.File("o/a.bmp"));
      const IndexedPixels image = PixelsOfBmp(bmp);
      EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 58),
                (std::vector<uint8_t>{255, 255, 0, 0}));  // index 0 is the clear code's colour
      EXPECT_EQ(image.At(5, 0), 0);
      EXPECT_EQ(image.At(5, 1), 4);
      for (int x = 0; x < 40 && colours < 248; ++x) {
        const uint8_t *quad = &bmp[54 + 4 * image.At(x, 2)], *want = &rgba[4 * (80 + x)];
        EXPECT_EQ(std::vector<uint8_t>(quad, quad + 3),
                  (std::vector<uint8_t>{want[2], want[1], want[0]}));
      }
    }
  }
}

}  // namespace
}  // namespace dw::testing
