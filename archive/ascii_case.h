// Letter case of ASCII names, as the format's names compare: 'A'..'Z' fold
// to 'a'..'z'; every other byte (Windows-1251 letters too) stays as it is.
#pragma once

#include <string>

namespace dw {

inline char FoldAsciiCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string FoldAsciiCase(std::string text) {
  for (char& c : text) c = FoldAsciiCase(c);
  return text;
}

inline bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  return true;
}

}  // namespace dw
