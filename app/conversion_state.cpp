#include "app/conversion_state.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace dw {
namespace {

std::string CurrentFolder() {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE || buffer.size() > (size_t{1} << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

void InitConversionState(ConversionState& state) {
  // getcwd gives no trailing "/" except for the root itself, so the root's
  // save folder reads "//", as every folder + "/" + name join does.
  state.startFolder = CurrentFolder();
  state.saveFolder = state.startFolder + "/";
}

Diagnostics LoadArchive(ConversionState& state, const std::string& path) {
  LoadedArchive loaded = LoadArchiveFile(path, state.archiveBytes);
  state.archive = std::move(loaded.archive);
  return std::move(loaded.diagnostics);
}

std::shared_ptr<const std::vector<uint8_t>> CurrentBytes(ConversionState& state) {
  return state.archiveBytes.Current(state.archive.path);
}

DecodeBudget OperationBudget(ConversionState& state) {
  const auto bytes = CurrentBytes(state);
  return DecodeBudget::ForInput(bytes ? int64_t(bytes->size()) : 0);
}

Diagnostics DecodeFrame(ConversionState& state, int32_t frameIndex, Stream& target,
                        const DecodeOptions& options) {
  Diagnostics diagnostics;
  IndexedImage image;
  image.palette = state.archive.palette;
  if (state.archive.HasFrame(frameIndex)) {
    if (const auto bytes = CurrentBytes(state)) {
      image = DecodeFrameImage(state.archive, *bytes, frameIndex, options, nullptr, diagnostics);
    } else {
      diagnostics.Add(MakeDiagnostic(DiagnosticKind::CannotOpen, frameIndex));
    }
  } else {
    diagnostics.Add(MakeDiagnostic(DiagnosticKind::FrameNotInTable, frameIndex));
  }
  if (!WriteFrameBmp(image, target)) {
    diagnostics.Add(MakeDiagnostic(DiagnosticKind::WriteFailed, frameIndex));
  }
  return diagnostics;
}

}  // namespace dw
