// Telling a file that is not a DEF archive at all from a damaged one, so the
// converter can say "not a DEF archive" instead of listing damage. A DEF has
// no signature, but its head is four small little-endian numbers, so its
// first 16 bytes always hold zero bytes; other formats announce themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dw::cli {

// What the file is ("a LOD container", "a PNG image", "text", or "another
// kind of file"), or nothing when it may be a DEF archive, damaged or not.
std::optional<std::string> ForeignFileKind(const std::vector<uint8_t>& bytes);

// Whether the bytes start as a LOD container does ("LOD\0").
bool IsLodContainer(const std::vector<uint8_t>& bytes);

}  // namespace dw::cli
