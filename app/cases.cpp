#include "app/cases.h"

namespace dw {

size_t CharPos(std::string_view s, char c) {
  const size_t at = s.find(c);
  return at == std::string_view::npos ? 0 : at + 1;
}

size_t LastCharPos(std::string_view s, char c) {
  const size_t at = s.rfind(c);
  return at == std::string_view::npos ? 0 : at + 1;
}

size_t LastPosOfAny(std::string_view set, std::string_view s) {
  size_t last = 0;
  for (char c : set) {
    const size_t at = LastCharPos(s, c);
    if (at > last) last = at;
  }
  return last;
}

std::string ExtractFolder(std::string_view s, std::string_view separators) {
  return std::string(s.substr(0, LastPosOfAny(separators, s)));
}

std::string ShortenPath(std::string_view s, char separator) {
  const size_t first = CharPos(s, separator);
  if (first == 0) return std::string(s);
  const size_t last = LastCharPos(s, separator);
  std::string shortened(s.substr(0, first));
  shortened += "...";
  shortened += s.substr(last - 1);
  return shortened;
}

}  // namespace dw
