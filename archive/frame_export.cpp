#include "archive/frame_export.h"

#include <algorithm>

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

std::string ExportFilePath(const std::string& folder, const Archive& archive, int32_t frameIndex) {
  return folder + "/" +
         ExportFileName(archive.HasFrame(frameIndex) ? archive.frames[size_t(frameIndex)].name : "");
}

namespace {

void AddWriteFailed(int32_t frameIndex, const std::string& path, Diagnostics& diagnostics) {
  Diagnostic d;
  d.kind = DiagnosticKind::WriteFailed;
  d.frame = frameIndex;
  d.path = path;
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
    StreamPtr file = CreateWriteStream(path);
    // An unopened file takes nothing, but the rows are still decoded for the diagnostics.
    const bool opened = StreamOpened(*file);
    if (!source.WriteBanded(*plan, *file, diagnostics) || !opened)
      AddWriteFailed(frameIndex, path, diagnostics);
    FreeStream(file);
    return diagnostics;
  }
  const IndexedImage& image = source.Decode(frameIndex, diagnostics);
  // An archive that can no longer be read still gives its empty image.
  if (diagnostics.budgetExhausted()) return diagnostics;
  if (!ReserveFileBytes(source.budget(), FrameBmpSize(image), frameIndex, diagnostics))
    return diagnostics;
  StreamPtr file = CreateWriteStream(path);
  if (!StreamOpened(*file) || !WriteFrameBmp(image, *file)) AddWriteFailed(frameIndex, path, diagnostics);
  FreeStream(file);
  return diagnostics;
}

}  // namespace dw
