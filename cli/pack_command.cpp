// `pack`: builds the archive wholly in memory, then writes it to a temporary
// file beside OUT and renames it over OUT, so that a failed run leaves no
// partial archive behind and an existing OUT untouched.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/commands.h"
#include "cli/pack_plan.h"
#include "pack/def_builder.h"

namespace dw::cli {
namespace {

std::string WriteReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path target(path);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return std::strerror(errno);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += size_t(n);
  }
  const int writeErrno = errno;
  ::fchmod(fd, 0644);
  const bool closed = ::close(fd) == 0;
  if (written != bytes.size() || !closed) {
    ::unlink(temporary.c_str());
    return std::strerror(written != bytes.size() ? writeErrno : EIO);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temporary.c_str());
    return std::strerror(renameErrno);
  }
  return {};
}

}  // namespace

int RunPack(const PackRequest& request, Messages& messages) {
  std::string error;
  const std::optional<pack::ArchivePlan> plan =
      request.fromFolder ? PlanFromFolder(request.input, error)
                         : PlanFromExportManifest(request.input, error);
  if (!plan) {
    messages.Error(error);
    return messages.ExitStatus();
  }
  const std::optional<std::vector<uint8_t>> bytes = pack::BuildDef(*plan, error);
  if (!bytes) {
    messages.Error(request.input + ": " + error);
    return messages.ExitStatus();
  }
  const std::string failure = WriteReplacing(request.output, *bytes);
  if (!failure.empty()) {
    messages.Error(request.output + ": cannot be written: " + failure);
    return messages.ExitStatus();
  }
  size_t entries = 0;
  for (const pack::BlockPlan& block : plan->blocks) entries += block.entries.size();
  messages.Summary(request.output + ": " + std::to_string(bytes->size()) + " bytes, " +
                   std::to_string(plan->blocks.size()) + " blocks, " + std::to_string(entries) +
                   " entries, " + std::to_string(plan->frames.size()) + " stored frames");
  return messages.ExitStatus();
}

}  // namespace dw::cli
