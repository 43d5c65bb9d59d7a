// Reading the two manifests `pack` builds an archive from: the one `export
// --manifest` writes (every head value and file given), and the short one a
// person writes for --from-folder (images and compressions, the rest found
// from the images). Unknown fields, missing fields and values of the wrong
// kind or out of range are errors that name the field ("blocks[1].frames[4].
// width"); nothing about the images is checked here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/def_format.h"

namespace dw::cli {

// A fill run of a stored frame, in its rectangle (top row 0).
struct FillRun {
  int32_t row = 0, start = 0, length = 0;
  uint8_t code = 0;  // 1..254; 1..6 in compressions 2 and 3
};

struct ManifestFrame {
  std::string where;  // "blocks[0].frames[3]", for messages
  std::string name;   // the raw name bytes (from nameHex when given, else UTF-8 name)
  int32_t offset = 0;
  FrameHeader head;  // dataSize as written, not used
  std::optional<std::string> file;
  // The fill runs of codes 1 and up, when the manifest records them; without
  // the record the images alone say what is a fill (see keepSpecial).
  std::optional<std::vector<FillRun>> fill;
  // The literal pixels of indices 1 to 7 (code: the index), when recorded
  // for images of colour and alpha, which show them as the special codes do.
  std::optional<std::vector<FillRun>> literal;
};

struct ManifestBlock {
  int32_t identifier = 0;
  std::array<uint8_t, 8> reserved{};
  std::vector<ManifestFrame> frames;
};

struct ExportManifest {
  int32_t type = 0, width = 0, height = 0;
  std::array<uint8_t, kPaletteFileSize> palette{};  // red, green, blue
  std::vector<ManifestBlock> blocks;
  bool keepSpecial = false;  // images hold fill codes as indices
  bool crop = false;         // images hold the stored rectangle only
  bool alpha = false;        // images hold colour and alpha (mapped to indices when read)
};

// A frame name given as UTF-8 as the archive stores it (Windows-1251, at
// most 13 bytes: 13 fill the field with no ending zero, as real archives do), or nothing with why not (naming the character it lacks).
std::optional<std::string> FrameNameBytes(const std::string& utf8, std::string& why);

std::optional<ExportManifest> ParseExportManifest(std::string_view text, std::string& error);

struct FolderFrame {
  std::string where;
  std::string file;
  std::optional<std::string> name;  // default: the file name without its extension
  int32_t compression = 1;
};

struct FolderBlock {
  int32_t identifier = 0;
  std::vector<FolderFrame> frames;
};

struct FolderManifest {
  int32_t type = 0;
  std::optional<int32_t> width, height;
  std::optional<std::string> paletteFile;
  std::optional<std::array<uint8_t, kPaletteFileSize>> palette;
  std::vector<FolderBlock> blocks;
  bool keepSpecial = false;
};

std::optional<FolderManifest> ParseFolderManifest(std::string_view text, std::string& error);

}  // namespace dw::cli
