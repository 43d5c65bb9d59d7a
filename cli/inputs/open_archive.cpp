#include "cli/inputs/open_archive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "archive/archive_bytes.h"
#include "archive/stop_request.h"
#include "cli/inputs/archive_inputs.h"
#include "cli/run/diagnostic_report.h"
#include "cli/inputs/file_kind.h"
#include "cli/inputs/lod_input.h"

namespace dw::cli {
namespace {

// The largest archive read, from a file or from standard input.
constexpr size_t kMaxArchiveBytes = size_t(std::numeric_limits<int32_t>::max());

// Standard input read whole, bounded as a file is; nothing and a message
// when it cannot be read or is larger.
std::shared_ptr<const std::vector<uint8_t>> ReadStandardInput(Messages& messages) {
  auto bytes = std::make_shared<std::vector<uint8_t>>();
  std::vector<uint8_t> chunk(size_t(1) << 16);
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) {
      if (StopRequested()) return nullptr;  // interrupted while waiting: told at the end
      continue;
    }
    if (got < 0) {
      messages.Error("-: cannot read standard input: " + SystemReason(errno));
      return nullptr;
    }
    if (got == 0) return bytes;
    if (bytes->size() + size_t(got) > kMaxArchiveBytes) {
      messages.Error("-: standard input holds more than an archive can (2 GiB)");
      return nullptr;
    }
    bytes->insert(bytes->end(), chunk.begin(), chunk.begin() + got);
  }
}

// Why the file at path gave no bytes, as the user needs to hear it.
std::string WhyUnreadable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return path + ": no such file";
    return path + ": cannot open or read the archive: " + SystemReason(errno);
  }
  if (S_ISDIR(st.st_mode)) return path + ": is a folder, not a DEF archive";
  if (!S_ISREG(st.st_mode)) return path + ": cannot open or read the archive: not a regular file";
  if (uint64_t(st.st_size) > kMaxArchiveBytes)
    return path + ": larger than an archive can be (2 GiB)";
  if (::access(path.c_str(), R_OK) != 0)
    return path + ": cannot open or read the archive: " + SystemReason(errno);
  return path + ": cannot open or read the archive";
}

}  // namespace

std::optional<OpenedArchive> OpenArchive(const std::string& path, Messages& messages,
                                         int64_t maxOutput) {
  // The bytes are read once; the archive and every decode use the same ones.
  ArchiveBytes cache;
  OpenedArchive opened;
  opened.archive.path = path;
  opened.maxOutput = maxOutput;
  if (const std::optional<ResolvedLodInput> entry = ResolveLodInput(path);
      entry && KindOfEntry(entry->entry()) != LodEntryKind::Def) {
    messages.Error(path + ": not a DEF archive (it is " + LodEntryKindText(entry->entry()) +
                   " in the LOD container; export extracts it)");
    return std::nullopt;
  }
  if (const std::optional<LodInput> lod = SplitLodInput(path)) {
    opened.bytes = ReadLodInput(*lod, path, maxOutput, messages);
    if (!opened.bytes) return std::nullopt;
  } else if (path == kStandardInput) {
    opened.bytes = ReadStandardInput(messages);
    if (!opened.bytes) return std::nullopt;
  } else {
    opened.bytes = cache.Current(path);
    if (!opened.bytes) {
      messages.Error(WhyUnreadable(path));
      return std::nullopt;
    }
  }
  if (IsLodContainer(*opened.bytes)) {
    messages.Error(path + ": not a DEF archive (it is a LOD container; name one of its DEF "
                   "archives as " + path + ":NAME.def)");
    return std::nullopt;
  }
  if (const std::optional<std::string> kind = ForeignFileKind(*opened.bytes)) {
    messages.Error(path + ": not a DEF archive (it is " + *kind + ")");
    return std::nullopt;
  }
  LoadedArchive loaded = ReadArchive(*opened.bytes);
  opened.archive = std::move(loaded.archive);
  opened.archive.path = path;
  opened.load = std::move(loaded.diagnostics);
  Report(path, opened.archive, opened.load, messages);
  return opened;
}

}  // namespace dw::cli
