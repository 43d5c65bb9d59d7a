// Matching names against patterns where "*" stands for any run and "?" for one
// element. Callers fold letter case first, as their names need.
#pragma once

#include <cstddef>

namespace dw {

// Greedy, falling back to the last "*" only: linear in practice and never
// exponential, whatever the pattern.
template <class Sequence>
bool MatchesWildcard(const Sequence& name, const Sequence& pattern) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t n = 0, p = 0, star = kNone, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != kNone) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace dw
