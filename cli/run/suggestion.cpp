#include "cli/run/suggestion.h"

#include <algorithm>

namespace dw::cli {
namespace {

// Arguments are short; a plain two-row table is enough.
size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> previous(b.size() + 1), current(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

}  // namespace

std::string ClosestName(const std::string& word, const std::vector<std::string>& candidates) {
  // Anything longer is no slip, and the table stays small.
  if (word.empty() || word.size() > 64) return "";
  const size_t allowed = std::max<size_t>(2, word.size() / 3);
  std::string best;
  size_t bestDistance = allowed + 1;
  for (const std::string& candidate : candidates) {
    const size_t d = EditDistance(word, candidate);
    if (d < bestDistance) {
      bestDistance = d;
      best = candidate;
    }
  }
  return best;
}

}  // namespace dw::cli
