// The --frames option: a comma-separated list of frame indices ("4"), ranges
// ("3-7", both ends included) and name patterns ("walk*", "idle0?.pcx") where
// "*" matches any run of characters and "?" exactly one. Patterns match the
// frame's UTF-8 name, ignoring the case of ASCII letters, as the archives come
// from a file system that ignores it, with or without its extension ("walk01"
// matches "walk01.pcx").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"

namespace dw::cli {

struct FrameSelector {
  enum class Kind { Range, Pattern };
  Kind kind = Kind::Range;
  int32_t first = 0;  // Range: first and last index, first <= last
  int32_t last = 0;
  std::string pattern;  // Pattern
  std::string text;     // as the user wrote it, for messages
};

struct FrameSelection {
  std::vector<FrameSelector> selectors;  // empty: every frame
};

// nullopt and a message in error when text is not well formed.
std::optional<FrameSelection> ParseFrameSelection(const std::string& text, std::string& error);

struct ResolvedFrames {
  std::vector<int32_t> indices;         // in the order the selectors give them
  std::vector<std::string> outOfRange;  // selectors naming only frames the archive lacks
  std::vector<std::string> pastEnd;     // ranges reaching past the last frame: cut there
  std::vector<std::string> unmatched;   // patterns that match no frame
};

// Indices into names (the frame table, UTF-8), selector by selector; a pattern
// contributes its matches in table order. An empty selection gives every frame.
ResolvedFrames ResolveFrames(const FrameSelection& selection,
                             const std::vector<std::string>& names);
// The same over an archive's table; names are made only for patterns.
ResolvedFrames ResolveFrames(const FrameSelection& selection, const Archive& archive);

// Sorted, each index once: the frames an export writes.
std::vector<int32_t> InTableOrder(std::vector<int32_t> indices);

bool MatchesNamePattern(const std::string& pattern, const std::string& name);

}  // namespace dw::cli
