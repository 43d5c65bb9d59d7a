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

// Whether text is well-formed UTF-8.
bool IsUtf8(const std::string& text);
// A file name as the program shows it: the name itself when it is UTF-8,
// otherwise its Windows-1251 reading (names unpacked from old archives keep
// their Windows bytes).
std::string FileNameAsUtf8(const std::string& bytes);

}  // namespace dw
