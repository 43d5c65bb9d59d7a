#include "cli/output_names.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>
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
  plan.fileSlot.reserve(indices.size());
  if (unique) {
    std::unordered_set<std::string> taken;
    std::unordered_map<std::string, int> nextNumber;  // base name -> the number to try next
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
      plan.fileSlot.push_back(plan.fileCount++);
    }
    return plan;
  }
  for (int32_t index : indices) plan.files.push_back(BaseName(archive, index, extension));
  // Equal names share one slot; sorting needs far less memory than a hash of
  // every name.
  std::vector<int32_t> byName(indices.size());
  std::iota(byName.begin(), byName.end(), 0);
  std::stable_sort(byName.begin(), byName.end(),
                   [&](int32_t a, int32_t b) { return plan.files[size_t(a)] < plan.files[size_t(b)]; });
  plan.fileSlot.assign(indices.size(), 0);
  for (size_t j = 0; j < byName.size(); ++j) {
    const auto k = size_t(byName[j]);
    const bool same = j > 0 && plan.files[size_t(byName[j - 1])] == plan.files[k];
    plan.fileSlot[k] = same ? plan.fileSlot[size_t(byName[j - 1])] : plan.fileCount++;
  }
  // The last entry of a name is what stays on disk; earlier entries of another
  // head are lost (entries of the same head write the same bytes).
  std::vector<int32_t> lastHead(size_t(plan.fileCount));
  for (size_t k = 0; k < indices.size(); ++k)
    lastHead[size_t(plan.fileSlot[k])] = archive.frames[size_t(indices[k])].offset;
  std::unordered_set<uint64_t> lost;  // (file, head): each lost frame counted once
  for (size_t k = 0; k < indices.size(); ++k) {
    const int32_t head = archive.frames[size_t(indices[k])].offset;
    const int32_t slot = plan.fileSlot[k];
    if (head != lastHead[size_t(slot)]) {
      plan.overwritten[k] = true;
      lost.insert(uint64_t(uint32_t(slot)) << 32 | uint32_t(head));
    }
  }
  plan.overwrittenCount = static_cast<int>(lost.size());
  return plan;
}

}  // namespace dw::cli
