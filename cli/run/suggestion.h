// "Did you mean ...?" for mistyped commands and options.
#pragma once

#include <string>
#include <vector>

namespace dw::cli {

// The candidate closest to word by edit distance, when it is close enough to
// be a slip of the keyboard (at most 2 edits, or a third of the word);
// otherwise empty. Ties go to the earlier candidate.
std::string ClosestName(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace dw::cli
