// The file names a list box's directory listing adds for a mask such as
// "/home/me/defs/*.def": what ListMatchingFiles (archive/file_listing.h) gives
// for the mask's folder and pattern. A folder that cannot be listed yields no
// names.
#pragma once

#include <string>
#include <vector>

#include "archive/file_listing.h"

namespace dw::ui {

std::vector<std::string> ListMatchingFiles(const std::string& mask);
using dw::MatchesPattern;

}  // namespace dw::ui
