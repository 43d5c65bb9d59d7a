// Frame names are Windows-1251 bytes; the program shows them, and builds file
// names from them, as UTF-8.
#pragma once

#include <optional>
#include <string>

namespace dw {

std::string Cp1251ToUtf8(const std::string& bytes);
// The reverse, for characters that code page has; others become "?".
std::string Utf8ToCp1251(const std::string& text);
// The reverse, exactly: nothing when a character has no place in the code
// page (or the text is not UTF-8); missing then holds the first such
// character as UTF-8 (or the byte that breaks the text, as is).
std::optional<std::string> Utf8ToCp1251Exact(const std::string& text, std::string& missing);

}  // namespace dw
