// Character search and path helpers of the window program. Positions are
// 1-based and 0 means "not found", so that a position doubles as the length of
// the prefix that ends with the character found.
//
// The separator set is a parameter: the defaults are this platform's ("/");
// the Windows reading is "\\:" for ExtractFolder and '\\' for ShortenPath.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dw {

inline constexpr std::string_view kFolderSeparators = "/";
inline constexpr char kPathSeparator = '/';

size_t CharPos(std::string_view s, char c);
size_t LastCharPos(std::string_view s, char c);
// The greatest LastCharPos of s over the characters of set.
size_t LastPosOfAny(std::string_view set, std::string_view s);

// s up to and including its last separator; empty when s has none.
std::string ExtractFolder(std::string_view s, std::string_view separators = kFolderSeparators);

// s up to its first separator, "...", then s from its last separator on;
// s unchanged when it has none. "/home/me/defs/*.def" -> "/.../*.def".
std::string ShortenPath(std::string_view s, char separator = kPathSeparator);

}  // namespace dw
