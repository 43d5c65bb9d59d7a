#include "cli/manifest/manifest_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include <nlohmann/json.hpp>

namespace dw::cli {
namespace {

nlohmann::ordered_json ValidExportManifest() {
  nlohmann::ordered_json palette = nlohmann::ordered_json::array();
  for (int i = 0; i < 256; ++i) palette.push_back({i, 255 - i, 3});
  nlohmann::ordered_json frame = {
      {"index", 0},      {"name", "a.pcx"},   {"nameHex", "612e706378"}, {"offset", 900},
      {"dataSize", 12},  {"compression", 3},  {"fullWidth", 40},         {"fullHeight", 30},
      {"width", 33},     {"height", 20},      {"leftMargin", 2},         {"topMargin", -1},
      {"file", "a.bmp"}};
  return {{"archive", "a.def"},
          {"type", 66},
          {"width", 40},
          {"height", 30},
          {"blockCount", 1},
          {"palette", palette},
          {"blocks",
           {{{"identifier", 7},
             {"reserved", "0102030405060708"},
             {"declaredCount", 1},
             {"frames", {frame}}}}},
          {"problems", nlohmann::ordered_json::array()}};
}

std::string ErrorOf(const nlohmann::ordered_json& json) {
  std::string error;
  EXPECT_FALSE(ParseExportManifest(json.dump(), error));
  return error;
}

TEST(ParseExportManifest, ReadsHeadPaletteBlocksAndFrames) {
  std::string error;
  const auto manifest = ParseExportManifest(ValidExportManifest().dump(), error);
  ASSERT_TRUE(manifest) << error;
  ASSERT_EQ(manifest->blocks.size(), 1u);
  const ManifestFrame& f = manifest->blocks[0].frames[0];
  EXPECT_EQ(std::tuple(manifest->type, manifest->palette[3 * 10 + 1], manifest->blocks[0].identifier,
                       manifest->blocks[0].reserved[7], manifest->keepSpecial, manifest->crop),
            std::tuple(66, 245, 7, 8, false, false));
  EXPECT_EQ(std::tuple(f.where, f.name, f.offset, f.head.compression, f.head.width,
                       f.head.topMargin, f.file, f.fill.has_value()),
            std::tuple("blocks[0].frames[0]", "a.pcx", 900, 3, 33, -1, "a.bmp", false));
}

TEST(ParseExportManifest, TakesTheRawNameFromNameHexAndAcceptsNullFiles) {
  auto json = ValidExportManifest();
  auto& frame = json["blocks"][0]["frames"][0];
  frame["nameHex"] = "c0c1c2c3c4c5c6c7c8c9cacbcc";  // 13 bytes, no zero
  frame["file"] = nullptr;
  json["keepSpecial"] = true;
  std::string error;
  const auto manifest = ParseExportManifest(json.dump(), error);
  ASSERT_TRUE(manifest) << error;
  EXPECT_EQ(manifest->blocks[0].frames[0].name.size(), 13u);
  EXPECT_EQ(uint8_t(manifest->blocks[0].frames[0].name[0]), 0xC0);
  EXPECT_FALSE(manifest->blocks[0].frames[0].file);
  EXPECT_TRUE(manifest->keepSpecial);
}

TEST(ParseExportManifest, NamesTheFieldThatIsWrong) {
  using Json = nlohmann::ordered_json;
  const auto frameField = [](const char* key, Json value) {
    return [=](Json& m) { m["blocks"][0]["frames"][0][key] = value; };
  };
  const struct {
    std::function<void(Json&)> change;
    std::string error;
  } rows[] = {
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
      {frameField("nameHex", "6x"),
       "blocks[0].frames[0].nameHex: holds a character that is no hex digit"},
  };
  for (const auto& row : rows) {
    Json json = ValidExportManifest();
    row.change(json);
    EXPECT_EQ(ErrorOf(json), row.error);
  }
}

TEST(ParseExportManifest, RefusesNamesThatDoNotFitTheField) {
  auto json = ValidExportManifest();
  json["blocks"][0]["frames"][0].erase("nameHex");
  json["blocks"][0]["frames"][0]["name"] = "twelve.bytes";
  std::string error;
  EXPECT_TRUE(ParseExportManifest(json.dump(), error)) << error;
  json["blocks"][0]["frames"][0]["name"] = "thirteen.byte";
  EXPECT_TRUE(ParseExportManifest(json.dump(), error)) << error;
  json["blocks"][0]["frames"][0]["name"] = "fourteen.bytes";
  EXPECT_EQ(ErrorOf(json),
            "blocks[0].frames[0].name: \"fourteen.bytes\" is 14 bytes; a name field holds at "
            "most 13 (12 and an ending zero, or 13 without)");
  json["blocks"][0]["frames"][0]["nameHex"] = "6100";
  EXPECT_EQ(ErrorOf(json), "blocks[0].frames[0].nameHex: holds a zero byte inside the name");
}

TEST(ParseExportManifest, RefusesWhatIsNotJson) {
  std::string error;
  EXPECT_FALSE(ParseExportManifest("{\"type\": ", error));
  EXPECT_EQ(error.rfind("not valid JSON: ", 0), 0u) << error;
  EXPECT_FALSE(ParseExportManifest("[]", error));
  EXPECT_EQ(error, "manifest: is not an object");
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
