#include "archive/frame_export.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>
#include <unordered_set>

#include "archive/frame_decoder.h"
#include "archive/stream.h"
#include "archive/text_encoding.h"

namespace dw {

std::string ExportFileName(const std::string& frameName) {
  std::string name = Cp1251ToUtf8(frameName);
  const size_t dot = name.find('.');
  // Every result ends in "bmp", so it is never "." or "..".
  return SafeFileName(dot == std::string::npos ? name + ".bmp" : name.substr(0, dot + 1) + "bmp");
}

std::string SafeFileName(const std::string& name) {
  // A name from a file is file-system input: it must never reach another
  // folder, nor put control characters into a file name.
  std::string safe;
  safe.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const bool c1 = c == 0xC2 && i + 1 < name.size() &&
                    static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(name[i + 1]) <= 0x9F;
    if (c1) ++i;
    safe += (c == '/' || c < 0x20 || c == 0x7F || c1) ? '_' : name[i];
  }
  return safe;
}

namespace {

std::string BaseName(const Archive& archive, int32_t index, const std::string& extension) {
  std::string name =
      ExportFileName(archive.HasFrame(index) ? archive.frames[size_t(index)].name : "");
  name.replace(name.size() - 3, 3, extension);
  if (name.front() == '.') name = "unnamed-" + std::to_string(index) + "." + extension;
  return name;
}

// "a.bmp", 2 -> "a~2.bmp"
std::string Numbered(const std::string& name, int n) {
  const size_t dot = name.rfind('.');
  return name.substr(0, dot) + "~" + std::to_string(n) + name.substr(dot);
}

int32_t HeadOf(const Archive& archive, int32_t index) {
  return archive.HasFrame(index) ? archive.frames[size_t(index)].offset : -1;
}

}  // namespace

ExportNames PlanExportNames(const Archive& archive, const std::vector<int32_t>& indices,
                            const std::string& extension, bool unique) {
  ExportNames plan;
  plan.files.reserve(indices.size());
  plan.fileSlot.reserve(indices.size());
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, int> nextNumber;  // name -> the number to try next
  // name and stored frame -> the entry that writes their file
  std::unordered_map<std::string, size_t> firstOf;
  for (size_t k = 0; k < indices.size(); ++k) {
    const std::string base = BaseName(archive, indices[k], extension);
    if (!unique) {
      // A name has no "\n": control characters became "_".
      const auto [first, isNew] =
          firstOf.try_emplace(base + "\n" + std::to_string(HeadOf(archive, indices[k])), k);
      if (!isNew) {
        plan.files.push_back(plan.files[first->second]);
        plan.fileSlot.push_back(plan.fileSlot[first->second]);
        continue;
      }
    }
    std::string name = base;
    if (taken.count(name) != 0) {
      int& n = nextNumber.try_emplace(base, 2).first->second;
      do {
        name = Numbered(base, n++);
      } while (taken.count(name) != 0);
      ++plan.renamed;
    }
    taken.insert(name);
    plan.files.push_back(std::move(name));
    plan.fileSlot.push_back(plan.fileCount++);
  }
  return plan;
}

namespace {

void AddWriteFailed(int32_t frameIndex, const AtomicFile& file, Diagnostics& diagnostics) {
  Diagnostic d = MakeDiagnostic(DiagnosticKind::WriteFailed, frameIndex,
                                file.error() != 0 ? file.error() : EIO);
  d.path = file.path();
  diagnostics.Add(d);
}

}  // namespace

Diagnostics ExportFrame(FrameSource& source, int32_t frameIndex, const std::string& path) {
  Diagnostics diagnostics;
  if (source.WritesInBands(frameIndex)) {
    // A large image nothing else needs goes to its file a band at a time,
    // so it is never held whole.
    const std::optional<PlannedFrame> plan = source.PlanBanded(frameIndex, diagnostics);
    if (!plan) return diagnostics;
    AtomicFile file(path);
    // An unopened file takes nothing, but the rows are still decoded for the diagnostics.
    if (!source.WriteBanded(*plan, file.stream(), diagnostics) || !file.Commit())
      AddWriteFailed(frameIndex, file, diagnostics);
    return diagnostics;
  }
  const IndexedImage& image = source.Decode(frameIndex, diagnostics);
  // An archive that can no longer be read still gives its empty image.
  if (diagnostics.budgetExhausted()) return diagnostics;
  if (!ReserveFileBytes(source.budget(), FrameBmpSize(image), frameIndex, diagnostics))
    return diagnostics;
  AtomicFile file(path);
  if (!WriteFrameBmp(image, file.stream()) || !file.Commit())
    AddWriteFailed(frameIndex, file, diagnostics);
  return diagnostics;
}

}  // namespace dw
