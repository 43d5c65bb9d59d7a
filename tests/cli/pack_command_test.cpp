#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "tests/cli/pack_test_support.h"

namespace dw::testing {
namespace {

namespace fs = std::filesystem;

// Runs the converter, which must succeed.
RunResult Ok(const std::vector<std::string>& args) {
  const RunResult result = RunCli(args);
  EXPECT_EQ(result.status, 0) << result.err;
  return result;
}

// What info shows of an archive, less what packing may change: where frames
// lie and how long their data is. Which entries share a stored frame stays:
// each offset becomes the position of its first entry.
nlohmann::ordered_json ListedFrames(const std::string& archive) {
  nlohmann::ordered_json json = nlohmann::ordered_json::parse(Ok({"info", "--json", archive}).out);
  json.erase("archive");
  std::map<int64_t, size_t> firstAt;
  for (auto& frame : json["frames"]) {
    frame["offset"] = firstAt.emplace(frame["offset"].get<int64_t>(), firstAt.size()).first->second;
    frame.erase("dataSize");
  }
  return json;
}

void ExpectSameImages(const std::string& expected, const std::string& actual) {
  std::vector<std::string> names;
  for (const std::string& name : FilesIn(expected))
    if (fs::path(name).extension() != ".json") names.push_back(name);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(FilesIn(actual).size(), FilesIn(expected).size());
  for (const std::string& name : names)
    EXPECT_EQ(ReadFile(actual + "/" + name), ReadFile(expected + "/" + name)) << name;
}

// Every way the converter shows a frame: plain, with fill codes, as the engine draws it.
void ExpectSameViews(TempDir& dir, const std::string& expected, const std::string& actual) {
  int n = 0;
  for (const std::vector<std::string>& view :
       {std::vector<std::string>{}, {"--keep-special"}, {"--alpha", "--format", "png"}}) {
    SCOPED_TRACE(::testing::PrintToString(view));
    for (const std::string& archive : {expected, actual}) {
      std::vector<std::string> args{"export", "-q"};
      args.insert(args.end(), view.begin(), view.end());
      args.insert(args.end(), {archive, dir.File("view" + std::to_string(n) + "/" +
                                                 fs::path(archive).stem().string())});
      Ok(args);
    }
    const std::string folder = dir.File("view" + std::to_string(n++) + "/");
    ExpectSameImages(folder + fs::path(expected).stem().string(),
                     folder + fs::path(actual).stem().string());
  }
  EXPECT_EQ(ListedFrames(actual), ListedFrames(expected));
}

const std::vector<std::vector<std::string>> kExportModes = {
    {},
    {"--keep-special"},
    {"--crop"},
    {"--format", "png"},
    {"--keep-special", "--crop", "--format", "png"},
    {"--unique-names"},
    {"--alpha", "--format", "png"},
    {"--layers", "--format", "png"},
};

struct RoundTripCase {
  const char* name;
  ArchiveSpec (*plan)();
  std::vector<size_t> modes;  // rows of kExportModes
};

using PackRoundTrip = ::testing::TestWithParam<RoundTripCase>;

// Exports the archive with its manifest in each mode, packs it, and compares
// every view of both.
TEST_P(PackRoundTrip, EveryViewEqualsTheOriginalsAndTheArchiveIsNoLarger) {
  for (size_t mode : GetParam().modes) {
    SCOPED_TRACE(::testing::PrintToString(kExportModes[mode]));
    TempDir dir;
    const std::string original = WriteArchive(dir, "original.def", GetParam().plan());
    std::vector<std::string> first{"export", "--manifest", "--quiet"};
    first.insert(first.end(), kExportModes[mode].begin(), kExportModes[mode].end());
    first.insert(first.end(), {original, dir.File("first")});
    Ok(first);
    ExpectMatchesSchema("manifest", dir.File("first/original.json"));
    EXPECT_EQ(Ok({"pack", "--quiet", dir.File("first/original.json"), dir.File("packed.def")}).err,
              "");
    ExpectSameViews(dir, original, dir.File("packed.def"));
    EXPECT_LE(fs::file_size(dir.File("packed.def")), fs::file_size(original));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Archives, PackRoundTrip,
    ::testing::Values(RoundTripCase{"Mixed", MixedSpec, {0, 1, 2, 3, 4, 5, 6, 7}},
                      RoundTripCase{"CreatureLike", CreatureSpec, {0, 1, 6, 7}},
                      RoundTripCase{"MapObjectLike", MapObjectSpec, {0, 3}},
                      RoundTripCase{"TerrainLike", TerrainSpec, {1, 2}},
                      RoundTripCase{"EightFramesOfEveryCompression", EightFrameSpec, {0, 1, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

// A manifest of an earlier version, without the fill record, packs as it
// always did: with keepSpecial, indices 0-7 become fill runs of their code.
TEST(PackOldManifest, WithoutFillRecordsKeepsTheKeptCodesView) {
  TempDir dir;
  const std::string original = WriteArchive(dir, "original.def", CreatureSpec());
  Ok({"export", "--manifest", "--keep-special", "-q", original, dir.File("x")});
  nlohmann::json manifest = ReadJson(dir.File("x/original.json"));
  for (auto& block : manifest["blocks"])
    for (auto& frame : block["frames"]) frame.erase("fill");
  WriteJsonFile(dir.File("x/original.json"), manifest);
  Ok({"pack", "-q", dir.File("x/original.json"), dir.File("p.def")});
  Ok({"export", "--manifest", "--keep-special", "-q", dir.File("p.def"), dir.File("y")});
  ExpectSameImages(dir.File("x"), dir.File("y"));
}

// VCMI's JSON animation, as export --vcmi writes it, packs to the same images.
TEST(PackVcmi, AnimationPacksToTheSameImages) {
  TempDir dir;
  Ok({"export", "--vcmi", "-q", WriteArchive(dir, "cr.def", CreatureSpec()), dir.File("a")});
  Ok({"pack", "-q", dir.File("a/cr.json"), dir.File("p.def")});
  Ok({"export", "--vcmi", "-q", dir.File("p.def"), dir.File("b")});
  ExpectSameImages(dir.File("a/cr"), dir.File("b/p"));
  EXPECT_EQ(ReadJson(dir.File("a/cr.json"))["sequences"],
            ReadJson(dir.File("b/p.json"))["sequences"]);
}

// Names that clash on disk: every stored frame keeps its image (numbered
// ~N by default, every entry its own with unique names), so the packed
// archive holds every frame again.
ArchiveSpec OneNameSpec() {
  ArchiveSpec plan = EightFrameSpec();
  for (Block& block : plan.blocks)
    for (DirectoryEntry& entry : block.entries) entry.name = "CS_Reconstruc";
  return plan;
}

INSTANTIATE_TEST_SUITE_P(
    ClashingNames, PackRoundTrip,
    ::testing::Values(RoundTripCase{"EightFramesOfOneName", OneNameSpec, {0, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

// Edits win: an edited sharer gets a stored frame of its own, the others
// keep theirs, and a pixel painted outside the stored rectangle grows it.
TEST(PackEdits, AnEditedSharerSplitsOffAndPaintOutsideTheRectangleSurvives) {
  TempDir dir;
  const ArchiveSpec plan = MixedSpec();  // mx6.. mx8 share frames 0, 3 and 0
  const std::string original = WriteArchive(dir, "original.def", plan);
  Ok({"export", "--manifest", "--unique-names", "-q", original, dir.File("x")});
  Ok({"export", "--unique-names", "-q", original, dir.File("before")});
  const auto paint = [&](const std::string& file, int x, int y, uint8_t index) {
    IndexedPixels image = PixelsOfBmp(ReadFile(dir.File("x/" + file)));
    image.pixels[size_t(y) * image.width + x] = index;
    WriteFile(dir.File("x/" + file), IndexedBmp(image.width, image.height, image.pixels, plan.palette));
  };
  paint("mx0.bmp", 31, 31, 201);  // the first sharer and a later one, apart
  paint("mx6.bmp", 30, 30, 200);
  paint("mx7.bmp", 95, 79, 3);    // the full frame's corner, outside the rectangle
  const RunResult packed = Ok({"pack", dir.File("x/original.json"), dir.File("p.def")});
  EXPECT_NE(packed.err.find("blocks[1].frames[2] (\"mx6.pcx\") and blocks[2].frames[0] "
                            "(\"mx8.pcx\") shared their stored frame with blocks[0].frames[0] "
                            "(\"mx0.pcx\"), but their images differ"),
            std::string::npos)
      << packed.err;
  Ok({"export", "--unique-names", "-q", dir.File("p.def"), dir.File("after")});
  for (const std::string& file : FilesIn(dir.File("before"))) {
    SCOPED_TRACE(file);
    const bool edited = file == "mx0.bmp" || file == "mx6.bmp" || file == "mx7.bmp";
    const std::string folder = edited ? "x/" : "before/";
    EXPECT_EQ(PixelsOfBmp(ReadFile(dir.File("after/" + file))).pixels,
              PixelsOfBmp(ReadFile(dir.File(folder + file))).pixels);
  }
}

// Bad input: one clear error naming the file or field, exit 1, OUT as it was.
class PackRefuses : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteArchive(dir, "units.def", EightFrameSpec());
    Ok({"export", "--manifest", "--keep-special", "-q", dir.File("units.def"), dir.File("x")});
    manifest = ReadJson(dir.File("x/units.json"));
  }
  // Packs into an existing out.def (after saving the manifest when changed); returns stderr.
  std::string PackFails(bool save = true) {
    if (save) WriteJsonFile(dir.File("x/units.json"), manifest);
    WriteFile(dir.File("out.def"), {1, 2, 3});
    const RunResult result = RunCli({"pack", dir.File("x/units.json"), dir.File("out.def")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(ReadFile(dir.File("out.def")), (std::vector<uint8_t>{1, 2, 3}));
    for (const std::string& name : FilesIn(dir.path()))
      EXPECT_EQ(name.find(".dw-"), std::string::npos);
    return result.err;
  }
  TempDir dir;
  nlohmann::json manifest;
};

// Only files inside the manifest's folder are read; every file that cannot
// be used gets the same words, whether it exists or not.
TEST_F(PackRefuses, AnyImageOutsideItsFolderOrMissingWithOneMessage) {
  fs::copy_file(dir.File("x/walk05.bmp"), dir.File("outside.bmp"));
  fs::create_symlink("../outside.bmp", dir.File("x/link.bmp"));
  for (const std::string& file :
       {std::string("gone.bmp"), std::string("../outside.bmp"), dir.File("outside.bmp"),
        std::string("link.bmp"), std::string("walk05.bmp\0.png", 15)}) {
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
TEST_F(PackRefuses, NamesTheFieldOrFileThatIsWrong) {
  const nlohmann::json saved = manifest;
  const struct {
    std::function<void(nlohmann::json&)> change;
    std::string message;
    bool save = true;  // false: the change wrote the manifest itself
  } rows[] = {
      {[](auto& m) { m["blocks"][1]["frames"][0]["file"] = nullptr; },
       "blocks[1].frames[0] (\"walk01.pcx\"): no image file"},
      {[&](auto&) { WriteFile(dir.File("x/units.json"), {'{', '"'}); }, "units.json: not valid JSON",
       false},
      {[&](auto&) {
         WriteFile(dir.File("x/walk06.bmp"),
                   IndexedBmp(3, 2, std::vector<uint8_t>(6, 9), ArchiveSpec::TestPalette()));
       },
       "walk06.bmp: 3 x 2 pixels, but blocks[0].frames[1] wants"},
      {[](auto& m) {
         m["blocks"][0]["frames"][0]["width"] = 8192;
         m["blocks"][0]["frames"][0]["height"] = 8192;
       },
       "the stored rectangle of 8192 x 8192 at 1, 2 passes the full frame of 16 x 10"},
      {[&](auto&) {
         std::vector<uint8_t> bmp = ReadFile(dir.File("x/walk05.bmp"));
         PutInt32(bmp, 10, 54 + 4 * 200);  // inside the colour table
         WriteFile(dir.File("x/walk05.bmp"), bmp);
       },
       "walk05.bmp: the BMP file is damaged: its pixel data (at 854) overlaps its headers or "
       "colour table (up to 1078)"},
  };
  for (const auto& row : rows) {
    Ok({"export", "--manifest", "--keep-special", "-q", dir.File("units.def"), dir.File("x")});
    manifest = saved;
    row.change(manifest);
    EXPECT_NE(PackFails(row.save).find(row.message), std::string::npos) << row.message;
  }
}

// A colour in no entry of the archive's palette names the file, pixel and
// colour; --remap takes the nearest entry and moves only those pixels.
TEST_F(PackRefuses, AColourInNoPaletteEntryUnlessRemapped) {
  Ok({"pack", "-q", dir.File("x/units.json"), dir.File("same.def")});
  std::vector<uint8_t> bmp = ReadFile(dir.File("x/walk01.bmp"));
  bmp[54 + 4 * 14] ^= 1;  // the blue of entry 14, which one pixel shows, at (3, 1)
  WriteFile(dir.File("x/walk01.bmp"), bmp);
  EXPECT_EQ(PackFails(false), "duskweave-convert: error: " + dir.File("x/walk01.bmp") +
                                  ": pixel (3, 1) is #0ef163, a colour in no entry of the "
                                  "archive's palette (--remap takes the nearest)\n");
  EXPECT_EQ(Ok({"pack", "--remap", dir.File("x/units.json"), dir.File("out.def")}).err,
            "duskweave-convert: " + dir.File("out.def") + ": --remap moved 1 pixels to the nearest "
            "palette entry\nduskweave-convert: " + dir.File("out.def") + ": 2494 bytes, 2 blocks, "
            "8 entries, 8 stored frames\n");
  EXPECT_EQ(ReadFile(dir.File("out.def")), ReadFile(dir.File("same.def")));
}

// What an editor saves, RGBA (export --alpha --crop, as the README's modder
// folder) or 24-bit, packs back to the same indices.
TEST_F(PackRefuses, NothingOfAnRgbaOr24BitEdit) {
  Ok({"pack", "-q", dir.File("x/units.json"), dir.File("same.def")});
  Ok({"export", "--alpha", "--crop", "--manifest", "--format", "png", "-q", dir.File("units.def"),
      dir.File("rgba")});
  const std::string file = "x/walk07.bmp";
  const std::vector<uint8_t> bmp = ReadFile(dir.File(file));
  const IndexedPixels image = PixelsOfBmp(bmp);
  std::vector<uint8_t> rgba;
  for (uint8_t p : image.pixels)
    rgba.insert(rgba.end(), {bmp[56 + 4 * p], bmp[55 + 4 * p], bmp[54 + 4 * p], 255});
  WriteFile(dir.File(file), BmpRgb(image.width, image.height, 24, rgba));
  for (const std::string& manifestPath : {dir.File("rgba/units.json"), dir.File("x/units.json")}) {
    Ok({"pack", "-q", manifestPath, dir.File("out.def")});
    EXPECT_EQ(ReadFile(dir.File("out.def")), ReadFile(dir.File("same.def"))) << manifestPath;
  }
}

TEST_F(PackRefuses, AFolderWithoutFromFolder) {
  const RunResult r = RunCli({"pack", dir.File("x"), dir.File("out.def")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "duskweave-convert: error: " + dir.File("x") +
                       ": is a folder; to pack the images in it, add --from-folder\n");
}

TEST(PackFromFolder, TrimsMarginsSharesRepeatedFramesAndTakesThePaletteFromTheFirstImage) {
  TempDir dir;
  const auto palette = ArchiveSpec::TestPalette();
  std::vector<uint8_t> a(40 * 30, 0), b(40 * 30, 0);
  for (int y = 5; y < 20; ++y)
    for (int x = 3; x < 37; ++x) a[size_t(y) * 40 + x] = uint8_t(20 + x);
  for (int y = 2; y < 4; ++y)
    for (int x = 10; x < 12; ++x) b[size_t(y) * 40 + x] = 9;
  WriteFile(dir.File("a.bmp"), IndexedBmp(40, 30, a, palette));
  WriteFile(dir.File("b.bmp"), IndexedBmp(40, 30, b, palette));
  WriteJsonFile(dir.File("pack.json"), nlohmann::json::parse(R"({
    "type": 67,
    "blocks": [
      {"identifier": 2, "frames": ["a.bmp", {"file": "b.bmp", "name": "b.pcx", "compression": 3}]},
      {"identifier": 5, "frames": ["a.bmp", {"file": "b.bmp", "name": "thirteen.byte",
                                             "compression": 0}]}
    ]})"));
  Ok({"pack", "--from-folder", dir.path(), dir.File("f.def")});
  const auto json = nlohmann::json::parse(Ok({"info", "--json", dir.File("f.def")}).out);
  EXPECT_EQ(std::tuple(json["type"], json["width"]), std::tuple(67, 40));
  std::vector<std::string> frames;
  for (const auto& f : json["frames"])
    frames.push_back(f["name"].dump() + " " + f["offset"].dump() + " c" + f["compression"].dump() +
                     " " + f["leftMargin"].dump() + "," + f["topMargin"].dump() + " " +
                     f["width"].dump() + "x" + f["height"].dump());
  // Both "a" share one stored frame; compression 3 stores whole 32-column
  // segments (left margin down, width up); a 13-byte name has no ending zero.
  EXPECT_EQ(frames, (std::vector<std::string>{"\"a\" 884 c1 3,5 34x15", "\"a\" 884 c1 3,5 34x15",
                                              "\"b.pcx\" 1516 c3 0,2 32x2",
                                              "\"thirteen.byte\" 1562 c0 10,2 2x2"}));
  Ok({"export", "-q", dir.File("f.def"), dir.File("out")});
  EXPECT_EQ(PixelsOfBmp(ReadFile(dir.File("out/a.bmp"))).pixels, a);
  EXPECT_EQ(PixelsOfBmp(ReadFile(dir.File("out/b.bmp"))).pixels, b);
}

TEST(PackFromFolder, RefusesImagesAndNamesThatDoNotFit) {
  TempDir dir;
  auto palette = ArchiveSpec::TestPalette();
  for (const char* name : {"a.bmp", "abcdefghijklmn.bmp", "\u263A.bmp"})
    WriteFile(dir.File(name), IndexedBmp(4, 4, std::vector<uint8_t>(16, 3), palette));
  WriteFile(dir.File("empty.bmp"), IndexedBmp(0, 4, {}, palette));
  palette[30] ^= 1;
  WriteFile(dir.File("b.bmp"), IndexedBmp(4, 4, std::vector<uint8_t>(16, 10), palette));
  using Json = nlohmann::json;
  const auto frame = [](const char* file, int compression) {
    return Json{{"file", file}, {"compression", compression}};
  };
  const struct {
    Json frames;
    std::string message;
    Json width = nullptr;
  } rows[] = {
      {{"a.bmp", "b.bmp"}, "b.bmp: pixel (0, 0) is #0bf546, a colour in no entry"},
      {{"a.bmp"}, "a.bmp: 4 x 4 pixels, but pack.json gives the archive 5 x", 5},
      {{frame("empty.bmp", 1)}, "empty.bmp: the image holds no pixels (0 x 4)"},
      {{frame("\u263A.bmp", 1)}, "blocks[0].frames[0]: the name taken from the file: \"\u263A\" "
                                 "holds \"\u263A\" (U+263A), which Windows-1251 names cannot hold"},
      {{frame("abcdefghijklmn.bmp", 1)},
       "\"abcdefghijklmn\" is 14 bytes; a name field holds at most 13"},
      {{frame("a.bmp", 3)}, "a.bmp: compression 3 stores whole 32-column segments, but the pixels "
                            "in columns 0..3 need segments past the image's 4 columns"},
  };
  for (const auto& row : rows) {
    Json manifest = {{"type", 1}, {"blocks", {{{"identifier", 0}, {"frames", row.frames}}}}};
    if (!row.width.is_null()) manifest["width"] = row.width;
    WriteJsonFile(dir.File("pack.json"), manifest);
    const RunResult result = RunCli({"pack", "--from-folder", dir.path(), dir.File("f.def")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir.File("f.def")));
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
      Ok(args);
      Ok({"export", "--keep-special", "-q", dir.File("a.def"), dir.File("o")});
      const std::vector<uint8_t> bmp = ReadFile(dir.File("o/a.bmp"));
      const IndexedPixels image = PixelsOfBmp(bmp);
      // Index 0 is the clear code's colour; the clear row is 0, the half-clear black one 4.
      EXPECT_EQ(std::tuple(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 58), image.At(5, 0),
                           image.At(5, 1)),
                std::tuple(std::vector<uint8_t>{255, 255, 0, 0}, 0, 4));
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
