#include "cli/manifest/manifest_reader.h"

#include <cstdio>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>

#include "archive/text_encoding.h"
#include "cli/outputs/archive_report.h"

namespace dw::cli {
namespace {

using Json = nlohmann::json;

// Thrown inside this file only, caught by the two entry points.
struct Invalid {
  std::string message;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw Invalid{where + ": " + what};
}

std::string Field(const std::string& where, const std::string& key) {
  return where.empty() ? key : where + "." + key;
}

const Json& Object(const Json& value, const std::string& where,
                   std::initializer_list<const char*> known) {
  if (!value.is_object()) Fail(where.empty() ? "manifest" : where, "is not an object");
  for (const auto& item : value.items()) {
    bool isKnown = false;
    for (const char* key : known) isKnown = isKnown || item.key() == key;
    if (!isKnown) Fail(Field(where, item.key()), "unknown field");
  }
  return value;
}

const Json& Member(const Json& object, const std::string& where, const char* key) {
  const auto found = object.find(key);
  if (found == object.end()) Fail(Field(where, key), "missing");
  return *found;
}

int64_t Integer(const Json& value, const std::string& where, int64_t low, int64_t high) {
  if (!value.is_number_integer()) Fail(where, value.is_null() ? "is null" : "is not an integer");
  const bool tooLarge = value.is_number_unsigned() &&
                        value.get<uint64_t>() > static_cast<uint64_t>(high);
  const int64_t v = tooLarge ? high : value.get<int64_t>();
  if (tooLarge || v < low || v > high)
    Fail(where, value.dump() + " lies outside " + std::to_string(low) + ".." +
                    std::to_string(high));
  return v;
}

int32_t Int32(const Json& object, const std::string& where, const char* key) {
  return static_cast<int32_t>(Integer(Member(object, where, key), Field(where, key),
                                      std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max()));
}

std::string Text(const Json& value, const std::string& where) {
  if (!value.is_string()) Fail(where, "is not a string");
  return value.get<std::string>();
}

bool Flag(const Json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end()) return false;
  if (!found->is_boolean()) Fail(key, "is not true or false");
  return found->get<bool>();
}

const Json& Array(const Json& value, const std::string& where) {
  if (!value.is_array()) Fail(where, "is not an array");
  return value;
}

std::vector<uint8_t> FromHex(const std::string& hex, const std::string& where) {
  if (hex.size() % 2 != 0) Fail(where, "has an odd number of hex digits");
  auto digit = [&](char c) -> uint8_t {
    if (c >= '0' && c <= '9') return uint8_t(c - '0');
    if (c >= 'a' && c <= 'f') return uint8_t(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return uint8_t(c - 'A' + 10);
    Fail(where, "holds a character that is no hex digit");
  };
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < hex.size(); i += 2)
    bytes.push_back(uint8_t(digit(hex[i]) << 4 | digit(hex[i + 1])));
  return bytes;
}

std::array<uint8_t, kPaletteFileSize> PaletteArray(const Json& value, const std::string& where) {
  Array(value, where);
  if (value.size() != 256) Fail(where, "has " + std::to_string(value.size()) + " colours, not 256");
  std::array<uint8_t, kPaletteFileSize> palette{};
  for (size_t i = 0; i < 256; ++i) {
    const std::string at = where + "[" + std::to_string(i) + "]";
    const Json& colour = Array(value[i], at);
    if (colour.size() != 3) Fail(at, "is not [red, green, blue]");
    for (size_t c = 0; c < 3; ++c)
      palette[3 * i + c] = uint8_t(Integer(colour[c], at + "[" + std::to_string(c) + "]", 0, 255));
  }
  return palette;
}

// A name given as UTF-8, as the archive stores it: in Windows-1251, which
// must hold every character, and at most 13 bytes.
std::string NameBytes(const Json& value, const std::string& where) {
  std::string why;
  const std::optional<std::string> name = FrameNameBytes(Text(value, where), why);
  if (!name) Fail(where, why);
  return *name;
}

// A raw name: at most 12 bytes and the zero that ends it, or, from nameHex
// only, all 13 bytes of the field.
std::string FrameName(const Json& frame, const std::string& where) {
  const auto hex = frame.find("nameHex");
  if (hex != frame.end() && !hex->is_null()) {
    const std::vector<uint8_t> bytes = FromHex(Text(*hex, Field(where, "nameHex")),
                                               Field(where, "nameHex"));
    if (bytes.size() > size_t(kFrameNameSize))
      Fail(Field(where, "nameHex"), std::to_string(bytes.size()) + " bytes, more than the 13 a "
                                    "name field holds");
    for (uint8_t b : bytes)
      if (b == 0) Fail(Field(where, "nameHex"), "holds a zero byte inside the name");
    return std::string(bytes.begin(), bytes.end());
  }
  return NameBytes(Member(frame, where, "name"), Field(where, "name"));
}

// [[row, start, length, code], ...], each run inside the stored rectangle,
// of a code its compression stores as a fill (literal: of an index 1 to 255),
// and after the run before it (so that the runs together cover each pixel at
// most once).
std::vector<FillRun> FillRuns(const Json& value, const FrameHeader& head, const std::string& where,
                              bool literal = false) {
  const int64_t highest =
      literal ? 255 : head.compression == 0 ? 0 : head.compression == 1 ? 254 : 6;
  std::vector<FillRun> runs;
  int64_t previousEnd = 0;  // row * width + column after the run before
  for (size_t i = 0; i < Array(value, where).size(); ++i) {
    const std::string at = where + "[" + std::to_string(i) + "]";
    const Json& run = Array(value[i], at);
    if (run.size() != 4) Fail(at, "is not [row, start, length, code]");
    FillRun out;
    out.row = int32_t(Integer(run[0], at + "[0]", 0, std::max(head.height, 1) - 1));
    out.start = int32_t(Integer(run[1], at + "[1]", 0, std::max(head.width, 1) - 1));
    out.length = int32_t(Integer(run[2], at + "[2]", 1, std::max(head.width - out.start, 1)));
    if (head.width <= 0 || head.height <= 0) Fail(at, "lies outside an empty stored rectangle");
    if (highest == 0) Fail(at, "compression 0 stores no fill runs");
    out.code = uint8_t(Integer(run[3], at + "[3]", 1, highest));
    const int64_t start = int64_t{out.row} * head.width + out.start;
    if (start < previousEnd) Fail(at, "overlaps or comes before the run before it");
    previousEnd = start + out.length;
    runs.push_back(out);
  }
  return runs;
}

ManifestFrame ExportFrame(const Json& value, const std::string& where) {
  const Json& frame =
      Object(value, where,
             {"index", "name", "nameHex", "offset", "dataSize", "compression", "fullWidth",
              "fullHeight", "width", "height", "leftMargin", "topMargin", "file", "crop",
              "empty", "fill", "literal"});
  ManifestFrame out;
  out.where = where;
  out.name = FrameName(frame, where);
  out.offset = Int32(frame, where, "offset");
  out.head.compression = Int32(frame, where, "compression");
  if (out.head.compression < 0 || out.head.compression > 3)
    Fail(Field(where, "compression"), std::to_string(out.head.compression) +
                                          " is none of 0, 1, 2 and 3");
  out.head.fullWidth = Int32(frame, where, "fullWidth");
  out.head.fullHeight = Int32(frame, where, "fullHeight");
  out.head.width = Int32(frame, where, "width");
  out.head.height = Int32(frame, where, "height");
  out.head.leftMargin = Int32(frame, where, "leftMargin");
  out.head.topMargin = Int32(frame, where, "topMargin");
  if (frame.contains("dataSize") && !frame["dataSize"].is_null())
    out.head.dataSize = Int32(frame, where, "dataSize");
  const auto file = frame.find("file");
  if (file != frame.end() && !file->is_null()) out.file = Text(*file, Field(where, "file"));
  const auto fill = frame.find("fill");
  if (fill != frame.end() && !fill->is_null()) out.fill = FillRuns(*fill, out.head, Field(where, "fill"));
  const auto literal = frame.find("literal");
  if (literal != frame.end() && !literal->is_null())
    out.literal = FillRuns(*literal, out.head, Field(where, "literal"), true);
  return out;
}

}  // namespace

std::optional<std::string> FrameNameBytes(const std::string& utf8, std::string& why) {
  std::string missing;
  const std::optional<std::string> name = Utf8ToCp1251Exact(utf8, missing);
  if (!name) {
    const auto lead = uint8_t(missing[0]);
    if (missing.size() == 1 && lead >= 0x80) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", lead);
      why = "\"" + PrintableName(utf8) + "\" is not UTF-8 (byte " + hex + ")";
    } else {
      // The code point of a well-formed sequence of 2 to 4 bytes.
      uint32_t c = lead & (0xFF >> (missing.size() + 1));
      for (size_t i = 1; i < missing.size(); ++i) c = c << 6 | (uint8_t(missing[i]) & 0x3F);
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
      why = "\"" + PrintableName(utf8) + "\" holds \"" + missing + "\" (" + code +
            "), which Windows-1251 names cannot hold";
    }
    return std::nullopt;
  }
  if (name->size() > size_t(kFrameNameSize)) {
    why = "\"" + PrintableName(utf8) + "\" is " + std::to_string(name->size()) +
          " bytes; a name field holds at most 13 (12 and an ending zero, or 13 without)";
    return std::nullopt;
  }
  return name;
}

std::optional<ExportManifest> ParseExportManifest(std::string_view text, std::string& error) {
  try {
    const Json root = Json::parse(text);
    Object(root, "", {"archive", "type", "width", "height", "blockCount", "palette", "blocks",
                      "problems", "keepSpecial", "crop", "alpha"});
    ExportManifest manifest;
    manifest.type = Int32(root, "", "type");
    manifest.width = Int32(root, "", "width");
    manifest.height = Int32(root, "", "height");
    manifest.palette = PaletteArray(Member(root, "", "palette"), "palette");
    manifest.keepSpecial = Flag(root, "keepSpecial");
    manifest.crop = Flag(root, "crop");
    manifest.alpha = Flag(root, "alpha");
    const Json& blocks = Array(Member(root, "", "blocks"), "blocks");
    const int32_t blockCount = Int32(root, "", "blockCount");
    if (int64_t{blockCount} != int64_t(blocks.size()))
      Fail("blockCount", std::to_string(blockCount) + " does not match the " +
                             std::to_string(blocks.size()) + " blocks listed");
    for (size_t b = 0; b < blocks.size(); ++b) {
      const std::string where = "blocks[" + std::to_string(b) + "]";
      const Json& block =
          Object(blocks[b], where, {"identifier", "reserved", "declaredCount", "frames"});
      ManifestBlock out;
      out.identifier = Int32(block, where, "identifier");
      const std::vector<uint8_t> reserved =
          FromHex(Text(Member(block, where, "reserved"), Field(where, "reserved")),
                  Field(where, "reserved"));
      if (reserved.size() != out.reserved.size())
        Fail(Field(where, "reserved"), "is not 8 bytes");
      std::copy(reserved.begin(), reserved.end(), out.reserved.begin());
      const Json& frames = Array(Member(block, where, "frames"), Field(where, "frames"));
      const int32_t declared = Int32(block, where, "declaredCount");
      if (int64_t{declared} != int64_t(frames.size()))
        Fail(Field(where, "declaredCount"), std::to_string(declared) + " does not match the " +
                                                std::to_string(frames.size()) + " frames listed");
      for (size_t f = 0; f < frames.size(); ++f)
        out.frames.push_back(ExportFrame(frames[f], where + ".frames[" + std::to_string(f) + "]"));
      manifest.blocks.push_back(std::move(out));
    }
    return manifest;
  } catch (const Json::exception& e) {
    error = std::string("not valid JSON: ") + e.what();
  } catch (const Invalid& invalid) {
    error = invalid.message;
  }
  return std::nullopt;
}

std::optional<FolderManifest> ParseFolderManifest(std::string_view text, std::string& error) {
  try {
    const Json root = Json::parse(text);
    Object(root, "", {"type", "width", "height", "palette", "blocks", "keepSpecial"});
    FolderManifest manifest;
    manifest.type = Int32(root, "", "type");
    if (root.contains("width")) manifest.width = Int32(root, "", "width");
    if (root.contains("height")) manifest.height = Int32(root, "", "height");
    manifest.keepSpecial = Flag(root, "keepSpecial");
    if (root.contains("palette")) {
      if (root["palette"].is_string()) {
        manifest.paletteFile = root["palette"].get<std::string>();
      } else {
        manifest.palette = PaletteArray(root["palette"], "palette");
      }
    }
    const Json& blocks = Array(Member(root, "", "blocks"), "blocks");
    for (size_t b = 0; b < blocks.size(); ++b) {
      const std::string where = "blocks[" + std::to_string(b) + "]";
      const Json& block = Object(blocks[b], where, {"identifier", "frames"});
      FolderBlock out;
      out.identifier = Int32(block, where, "identifier");
      const Json& frames = Array(Member(block, where, "frames"), Field(where, "frames"));
      for (size_t f = 0; f < frames.size(); ++f) {
        const std::string at = where + ".frames[" + std::to_string(f) + "]";
        FolderFrame frame;
        frame.where = at;
        if (frames[f].is_string()) {
          frame.file = frames[f].get<std::string>();
        } else {
          const Json& item = Object(frames[f], at, {"file", "name", "compression"});
          frame.file = Text(Member(item, at, "file"), Field(at, "file"));
          if (item.contains("name")) {
            frame.name = NameBytes(item["name"], Field(at, "name"));
          }
          if (item.contains("compression")) {
            frame.compression = static_cast<int32_t>(
                Integer(item["compression"], Field(at, "compression"), 0, 3));
          }
        }
        if (frame.file.empty()) Fail(Field(at, "file"), "is empty");
        out.frames.push_back(std::move(frame));
      }
      manifest.blocks.push_back(std::move(out));
    }
    return manifest;
  } catch (const Json::exception& e) {
    error = std::string("not valid JSON: ") + e.what();
  } catch (const Invalid& invalid) {
    error = invalid.message;
  }
  return std::nullopt;
}

}  // namespace dw::cli
