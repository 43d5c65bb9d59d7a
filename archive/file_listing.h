// Which files of a folder a listing shows: the regular files (and links to
// regular files) whose names match a pattern without regard to letter case,
// hidden ones included, folders never (not even ones whose names match),
// sorted by their upper-case forms ("_" after "Z"). The window program's DEF
// list and the converter's folder inputs both list through here, so they
// always agree.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace dw {

// Bare file names. A folder that cannot be listed yields no names and, when
// error is given, says why there.
std::vector<std::string> ListMatchingFiles(const std::string& folder, const std::string& pattern,
                                           std::error_code* error = nullptr);

// Whether name matches pattern ("*" any run, "?" one character), comparing
// ASCII letters without regard to case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace dw
