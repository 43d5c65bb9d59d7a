#include "cli/output_names.h"

#include <map>
#include <set>
#include <unordered_set>

#include "archive/frame_export.h"

namespace dw::cli {
namespace {

std::string BaseName(const Archive& archive, int32_t index, const std::string& extension) {
  std::string name = ExportFileName(archive.frames[size_t(index)].name);
  name.replace(name.size() - 3, 3, extension);
  if (name.front() == '.') name = "unnamed-" + std::to_string(index) + "." + extension;
  return name;
}

// "a.bmp", 2 -> "a~2.bmp"
std::string Numbered(const std::string& name, int n) {
  const size_t dot = name.rfind('.');
  return name.substr(0, dot) + "~" + std::to_string(n) + name.substr(dot);
}

}  // namespace

OutputNames PlanOutputNames(const Archive& archive, const std::vector<int32_t>& indices,
                            const std::string& extension, bool unique) {
  OutputNames plan;
  plan.files.reserve(indices.size());
  plan.overwritten.assign(indices.size(), false);
  if (unique) {
    std::unordered_set<std::string> taken;
    std::map<std::string, int> nextNumber;  // base name -> the number to try next
    for (int32_t index : indices) {
      const std::string base = BaseName(archive, index, extension);
      std::string name = base;
      if (taken.count(name) != 0) {
        int& n = nextNumber.try_emplace(base, 2).first->second;
        do {
          name = Numbered(base, n++);
        } while (taken.count(name) != 0);
      }
      taken.insert(name);
      plan.files.push_back(std::move(name));
    }
    return plan;
  }
  // The last entry of a name is what stays on disk; earlier entries of another
  // head are lost (entries of the same head write the same bytes).
  std::map<std::string, int32_t> lastHead;
  for (int32_t index : indices) plan.files.push_back(BaseName(archive, index, extension));
  for (size_t k = 0; k < indices.size(); ++k)
    lastHead[plan.files[k]] = archive.frames[size_t(indices[k])].offset;
  std::set<std::pair<std::string, int32_t>> lost;  // each lost frame counted once
  for (size_t k = 0; k < indices.size(); ++k) {
    const int32_t head = archive.frames[size_t(indices[k])].offset;
    if (head != lastHead[plan.files[k]]) {
      plan.overwritten[k] = true;
      lost.emplace(plan.files[k], head);
    }
  }
  plan.overwrittenCount = static_cast<int>(lost.size());
  return plan;
}

}  // namespace dw::cli
