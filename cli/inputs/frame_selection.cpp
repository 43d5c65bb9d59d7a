#include "cli/inputs/frame_selection.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

#include "archive/ascii_case.h"
#include "archive/text_encoding.h"
#include "archive/wildcard.h"

namespace dw::cli {
namespace {

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  const size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Frame indices are 32-bit; nine digits always fit.
std::optional<int32_t> ParseIndex(const std::string& text) {
  if (!AllDigits(text)) return std::nullopt;
  const size_t firstNonZero = text.find_first_not_of('0');
  if (firstNonZero != std::string::npos && text.size() - firstNonZero > 9) return std::nullopt;
  int32_t value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

// Splits UTF-8 into code points; a byte that does not start a well-formed
// sequence stands for itself, so any byte string can be matched.
std::vector<uint32_t> CodePoints(const std::string& text) {
  std::vector<uint32_t> points;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    const uint8_t lead = bytes[i];
    size_t length = 1;
    uint32_t point = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      point = lead & 0x07;
    }
    bool wellFormed = length > 1 && i + length <= size;
    for (size_t k = 1; wellFormed && k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) wellFormed = false;
      point = (point << 6) | (bytes[i + k] & 0x3F);
    }
    if (!wellFormed) {
      length = 1;
      point = lead;
    }
    if (point < 0x80) point = uint8_t(FoldAsciiCase(char(point)));
    points.push_back(point);
    i += length;
  }
  return points;
}

}  // namespace

std::optional<FrameSelection> ParseFrameSelection(const std::string& text, std::string& error) {
  FrameSelection selection;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string item =
        Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (item.empty()) {
      error = "empty item in frame list \"" + text + "\"";
      return std::nullopt;
    }
    FrameSelector selector;
    selector.text = item;
    const size_t dash = item.find('-');
    if (AllDigits(item)) {
      const auto index = ParseIndex(item);
      if (!index) {
        error = "frame index " + item + " is too large";
        return std::nullopt;
      }
      selector.first = selector.last = *index;
    } else if (dash != std::string::npos && AllDigits(Trim(item.substr(0, dash))) &&
               AllDigits(Trim(item.substr(dash + 1)))) {
      const auto first = ParseIndex(Trim(item.substr(0, dash)));
      const auto last = ParseIndex(Trim(item.substr(dash + 1)));
      if (!first || !last) {
        error = "frame index in " + item + " is too large";
        return std::nullopt;
      }
      if (*first > *last) {
        error = "frame range " + item + " runs backwards";
        return std::nullopt;
      }
      selector.first = *first;
      selector.last = *last;
    } else {
      selector.kind = FrameSelector::Kind::Pattern;
      selector.pattern = item;
    }
    selection.selectors.push_back(std::move(selector));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return selection;
}

namespace {

template <typename NameOf>
ResolvedFrames Resolve(const FrameSelection& selection, int32_t count, NameOf nameOf) {
  ResolvedFrames resolved;
  if (selection.selectors.empty()) {
    resolved.indices.resize(size_t(count));
    std::iota(resolved.indices.begin(), resolved.indices.end(), 0);
    return resolved;
  }
  for (const FrameSelector& selector : selection.selectors) {
    if (selector.kind == FrameSelector::Kind::Pattern) {
      const size_t before = resolved.indices.size();
      for (int32_t i = 0; i < count; ++i) {
        if (MatchesNamePattern(selector.pattern, nameOf(i))) resolved.indices.push_back(i);
      }
      if (resolved.indices.size() == before) resolved.unmatched.push_back(selector.text);
      continue;
    }
    if (selector.first >= count) {
      resolved.outOfRange.push_back(selector.text);
    } else if (selector.last >= count) {
      resolved.pastEnd.push_back(selector.text);
    }
    for (int32_t i = selector.first; i <= selector.last && i < count; ++i) {
      resolved.indices.push_back(i);
    }
  }
  return resolved;
}

}  // namespace

ResolvedFrames ResolveFrames(const FrameSelection& selection,
                             const std::vector<std::string>& names) {
  return Resolve(selection, static_cast<int32_t>(names.size()),
                 [&](int32_t i) -> const std::string& { return names[size_t(i)]; });
}

ResolvedFrames ResolveFrames(const FrameSelection& selection, const Archive& archive) {
  return Resolve(selection, archive.frameCount(),
                 [&](int32_t i) { return Cp1251ToUtf8(archive.frames[size_t(i)].name); });
}

std::vector<int32_t> InTableOrder(std::vector<int32_t> indices) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

bool MatchesNamePattern(const std::string& pattern, const std::string& name) {
  // By code point, so that "?" stands for one letter of a Cyrillic name too.
  const auto wanted = CodePoints(pattern);
  if (MatchesWildcard(CodePoints(name), wanted)) return true;
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && dot > 0 &&
         MatchesWildcard(CodePoints(name.substr(0, dot)), wanted);
}

}  // namespace dw::cli
