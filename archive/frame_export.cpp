#include "archive/frame_export.h"

#include <algorithm>

#include "archive/stream.h"
#include "archive/text_encoding.h"

namespace dw {

std::string ExportFileName(const std::string& frameName) {
  std::string name = Cp1251ToUtf8(frameName);
  const size_t dot = name.find('.');
  name = dot == std::string::npos ? name + ".bmp" : name.substr(0, dot + 1) + "bmp";
  // A frame name is file-system input: it must never reach another folder.
  // Every result ends in "bmp", so it is never "." or "..".
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

std::string ExportFilePath(const std::string& folder, const ConversionState& state,
                           int32_t frameIndex) {
  const bool known = frameIndex >= 0 && size_t(frameIndex) < state.frames.size();
  return folder + "/" + ExportFileName(known ? state.frames[size_t(frameIndex)].name : "");
}

Diagnostics ExportFrame(ConversionState& state, int32_t frameIndex, const std::string& path,
                        const DecodeOptions& options) {
  StreamPtr file = CreateWriteStream(path);
  if (!StreamOpened(*file)) {
    Diagnostics diagnostics;
    diagnostics.writeFailed = true;
    return diagnostics;
  }
  Diagnostics diagnostics = DecodeFrame(state, frameIndex, *file, options);
  FreeStream(file);
  return diagnostics;
}

}  // namespace dw
