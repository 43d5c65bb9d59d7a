// The file names a list box's directory listing adds for a mask such as
// "/home/me/defs/*.def": the regular files of the mask's folder (and links to
// regular files) whose names match the mask's pattern without regard to
// letter case, hidden ones included, folders never (not even ones whose names
// match), sorted by name without regard to case. A folder that cannot be
// listed yields no names.
#pragma once

#include <string>
#include <vector>

namespace dw::ui {

std::vector<std::string> ListMatchingFiles(const std::string& mask);

// Whether name matches pattern ("*" any run, "?" one character), comparing
// ASCII letters without regard to case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace dw::ui
