#include "ui/directory_listing.h"

namespace dw::ui {

std::vector<std::string> ListMatchingFiles(const std::string& mask) {
  const size_t slash = mask.rfind('/');
  if (slash == std::string::npos) return dw::ListMatchingFiles(".", mask);
  // A root folder's mask is "//*.def": its folder part is still "/".
  return dw::ListMatchingFiles(mask.substr(0, slash + 1), mask.substr(slash + 1));
}

}  // namespace dw::ui
