#include "cli/inputs/file_kind.h"

#include <algorithm>
#include <cstring>

namespace dw::cli {
namespace {

struct Signature {
  const char* bytes;
  size_t size;
  const char* kind;
};

constexpr Signature kSignatures[] = {
    {"LOD\0", 4, "a LOD container"},      {"\x89PNG\r\n\x1A\n", 8, "a PNG image"},
    {"GIF8", 4, "a GIF image"},           {"\xFF\xD8\xFF", 3, "a JPEG image"},
    {"RIFF", 4, "a RIFF file (WebP, WAV or AVI)"},
    {"PK\x03\x04", 4, "a ZIP archive"},   {"%PDF", 4, "a PDF document"},
    {"\x1F\x8B", 2, "a gzip file"},       {"\x7F" "ELF", 4, "a program"},
};

bool StartsWith(const std::vector<uint8_t>& bytes, const char* prefix, size_t size) {
  return bytes.size() >= size && std::memcmp(bytes.data(), prefix, size) == 0;
}

bool LooksLikeText(const std::vector<uint8_t>& bytes) {
  const size_t n = std::min<size_t>(bytes.size(), 512);
  return std::all_of(bytes.begin(), bytes.begin() + ptrdiff_t(n), [](uint8_t c) {
    return c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c != 0x7F);
  });
}

}  // namespace

bool IsLodContainer(const std::vector<uint8_t>& bytes) {
  return StartsWith(bytes, "LOD\0", 4);
}

std::optional<std::string> ForeignFileKind(const std::vector<uint8_t>& bytes) {
  for (const Signature& s : kSignatures)
    if (StartsWith(bytes, s.bytes, s.size)) return std::string(s.kind);
  // A BMP is "BM", its file size and reserved zero bytes; a DEF would need
  // the type 0x4D42, which no archive has.
  if (StartsWith(bytes, "BM", 2) && bytes.size() >= 14 && bytes[6] == 0 && bytes[7] == 0)
    return std::string("a BMP image");
  // Too short for a head: a line of text is still text, anything else a
  // damaged head.
  if (bytes.size() < 16)
    return !bytes.empty() && LooksLikeText(bytes) ? std::optional<std::string>("text")
                                                  : std::nullopt;
  if (std::find(bytes.begin(), bytes.begin() + 16, uint8_t{0}) != bytes.begin() + 16)
    return std::nullopt;
  return std::string(LooksLikeText(bytes) ? "text" : "another kind of file");
}

}  // namespace dw::cli
