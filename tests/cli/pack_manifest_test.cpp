#include "cli/manifest/manifest_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include <nlohmann/json.hpp>

namespace dw::cli {
namespace {

// 13 bytes without an ending zero, none of them ASCII: the name is taken from here.
constexpr const char* kRawName = "c0c1c2c3c4c5c6c7c8c9cacbcc";

nlohmann::ordered_json ValidExportManifest() {
  nlohmann::ordered_json palette = nlohmann::ordered_json::array();
  for (int i = 0; i < 256; ++i) palette.push_back({i, 255 - i, 3});
  nlohmann::ordered_json frame = {
      {"index", 0},      {"name", "a.pcx"},   {"nameHex", kRawName}, {"offset", 900},
      {"dataSize", 12},  {"compression", 3},  {"fullWidth", 40},     {"fullHeight", 30},
      {"width", 33},     {"height", 20},      {"leftMargin", 2},     {"topMargin", -1},
      {"file", "a.bmp"}};
  return {{"archive", "a.def"},
          {"type", 66},
          {"width", 40},
          {"height", 30},
          {"blockCount", 1},
          {"keepSpecial", true},
          {"palette", palette},
          {"blocks",
           {{{"identifier", 7},
             {"reserved", "0102030405060708"},
             {"declaredCount", 1},
             {"frames", {frame}}}}},
          {"problems", nlohmann::ordered_json::array()}};
}

TEST(ParseExportManifest, ReadsHeadPaletteBlocksAndFrames) {
  std::string error;
  const auto manifest = ParseExportManifest(ValidExportManifest().dump(), error);
  ASSERT_TRUE(manifest) << error;
  ASSERT_EQ(manifest->blocks.size(), 1u);
  const ManifestFrame& f = manifest->blocks[0].frames[0];
  EXPECT_EQ(std::tuple(manifest->type, manifest->palette[3 * 10 + 1], manifest->blocks[0].identifier,
                       manifest->blocks[0].reserved[7], manifest->keepSpecial, manifest->crop),
            std::tuple(66, 245, 7, 8, true, false));
  EXPECT_EQ(std::tuple(f.where, f.name, f.offset, f.head.compression, f.head.width,
                       f.head.topMargin, f.file, f.fill.has_value()),
            std::tuple("blocks[0].frames[0]",
                       "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC", 900, 3, 33, -1,
                       "a.bmp", false));
}

TEST(ParseExportManifest, NamesTheFieldThatIsWrong) {
  using Json = nlohmann::ordered_json;
  const auto frameField = [](const char* key, Json value) {
    return [=](Json& m) { m["blocks"][0]["frames"][0][key] = value; };
  };
  const auto name = [](const char* text) {
    return [=](Json& m) {
      m["blocks"][0]["frames"][0].erase("nameHex");
      m["blocks"][0]["frames"][0]["name"] = text;
    };
  };
  const struct {
    std::function<void(Json&)> change;
    std::string error;  // empty: the manifest is read
  } rows[] = {
      {[](Json& m) { m = Json::array(); }, "manifest: is not an object"},
      {[](Json& m) { m["shadows"] = true; }, "shadows: unknown field"},
      {frameField("colour", 3), "blocks[0].frames[0].colour: unknown field"},
      {frameField("width", "wide"), "blocks[0].frames[0].width: is not an integer"},
      {frameField("height", nullptr), "blocks[0].frames[0].height: is null"},
      {[](Json& m) { m["blocks"][0]["frames"][0].erase("offset"); },
       "blocks[0].frames[0].offset: missing"},
      {frameField("compression", 4), "blocks[0].frames[0].compression: 4 is none of 0, 1, 2 and 3"},
      {[](Json& m) { m["width"] = 3000000000LL; },
       "width: 3000000000 lies outside -2147483648..2147483647"},
      {[](Json& m) { m["palette"][255] = {1, 2, 256}; }, "palette[255][2]: 256 lies outside 0..255"},
      {[](Json& m) { m["palette"].erase(3); }, "palette: has 255 colours, not 256"},
      {[](Json& m) { m["blocks"][0]["reserved"] = "01020304"; },
       "blocks[0].reserved: is not 8 bytes"},
      {[](Json& m) { m["blockCount"] = 2; }, "blockCount: 2 does not match the 1 blocks listed"},
      {[](Json& m) { m["crop"] = 1; }, "crop: is not true or false"},
      {frameField("fill", {{0, 30, 4, 6}}), "blocks[0].frames[0].fill[0][2]: 4 lies outside 1..3"},
      {frameField("fill", {{19, 30, 3, 7}}), "blocks[0].frames[0].fill[0][3]: 7 lies outside 1..6"},
      {frameField("fill", {{1, 2, 3, 6}, {1, 4, 1, 6}}),
       "blocks[0].frames[0].fill[1]: overlaps or comes before the run before it"},
      {frameField("literal", {{19, 30, 3, 256}}),
       "blocks[0].frames[0].literal[0][3]: 256 lies outside 1..255"},
      {[](Json& m) { m["blocks"][0]["declaredCount"] = 5; },
       "blocks[0].declaredCount: 5 does not match the 1 frames listed"},
      {frameField("nameHex", "6x"),
       "blocks[0].frames[0].nameHex: holds a character that is no hex digit"},
      {frameField("nameHex", "6162636465666768696a6b6c6d6e"),
       "blocks[0].frames[0].nameHex: 14 bytes, more than the 13 a name field holds"},
      {frameField("nameHex", "6100"),
       "blocks[0].frames[0].nameHex: holds a zero byte inside the name"},
      {name("thirteen.byte"), ""},
      {name("fourteen.bytes"), "blocks[0].frames[0].name: \"fourteen.bytes\" is 14 bytes; a name "
                               "field holds at most 13 (12 and an ending zero, or 13 without)"},
      {name("walk\u2603"), "blocks[0].frames[0].name: \"walk\u2603\" holds \"\u2603\" (U+2603), "
                           "which Windows-1251 names cannot hold"},
  };
  for (const auto& row : rows) {
    Json json = ValidExportManifest();
    row.change(json);
    std::string error;
    EXPECT_EQ(ParseExportManifest(json.dump(), error).has_value(), row.error.empty()) << row.error;
    EXPECT_EQ(error, row.error);
  }
}

TEST(ParseFolderManifest, ReadsFileNamesAndFrameObjects) {
  std::string error;
  const auto manifest = ParseFolderManifest(R"({"type": 3, "width": 8, "palette": "p.bmp",
      "blocks": [{"identifier": 1, "frames": ["a.bmp", {"file": "b.png", "name": "b.pcx",
      "compression": 2}]}]})",
                                            error);
  ASSERT_TRUE(manifest) << error;
  ASSERT_EQ(manifest->blocks[0].frames.size(), 2u);
  const FolderFrame &a = manifest->blocks[0].frames[0], &b = manifest->blocks[0].frames[1];
  EXPECT_EQ(std::tuple(manifest->type, manifest->width, manifest->height, manifest->paletteFile,
                       a.file, a.compression, a.name, b.name, b.compression),
            std::tuple(3, std::optional(8), std::optional<int32_t>(), std::optional<std::string>("p.bmp"),
                       "a.bmp", 1, std::optional<std::string>(), std::optional<std::string>("b.pcx"), 2));
}

TEST(ParseFolderManifest, NamesTheFieldThatIsWrong) {
  std::string error;
  EXPECT_FALSE(ParseFolderManifest(R"({"type": 3, "blocks": [], "size": 2})", error));
  EXPECT_EQ(error, "size: unknown field");
  EXPECT_FALSE(ParseFolderManifest(
      R"({"type": 3, "blocks": [{"identifier": 0, "frames": [{"file": "a", "compression": 5}]}]})",
      error));
  EXPECT_EQ(error, "blocks[0].frames[0].compression: 5 lies outside 0..3");
  EXPECT_FALSE(ParseFolderManifest(
      R"({"type": 3, "blocks": [{"identifier": 0, "frames": [{"name": "x"}]}]})", error));
  EXPECT_EQ(error, "blocks[0].frames[0].file: missing");
}

}  // namespace
}  // namespace dw::cli
