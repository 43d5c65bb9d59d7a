// Frame names are Windows-1251 bytes; the program shows them, and builds file
// names from them, as UTF-8.
#pragma once

#include <string>

namespace dw {

std::string Cp1251ToUtf8(const std::string& bytes);
// The reverse, for characters that code page has; others become "?".
std::string Utf8ToCp1251(const std::string& text);

}  // namespace dw
