#include "cli/open_archive.h"

#include "archive/archive_bytes.h"
#include "cli/diagnostic_report.h"
#include "cli/file_kind.h"
#include "cli/lod_input.h"

namespace dw::cli {

std::optional<OpenedArchive> OpenArchive(const std::string& path, Messages& messages,
                                         int64_t maxBytes) {
  // The bytes are read once; the archive and every decode use the same ones.
  ArchiveBytes cache;
  OpenedArchive opened;
  opened.archive.path = path;
  if (const std::optional<ResolvedLodInput> entry = ResolveLodInput(path);
      entry && KindOfEntry(entry->entry()) != LodEntryKind::Def) {
    messages.Error(path + ": not a DEF archive (it is " + LodEntryKindText(entry->entry()) +
                   " in the LOD container; export extracts it)");
    return std::nullopt;
  }
  if (const std::optional<LodInput> lod = SplitLodInput(path)) {
    opened.bytes = ReadLodInput(*lod, path, maxBytes, messages);
    if (!opened.bytes) return std::nullopt;
  } else {
    opened.bytes = cache.Current(path);
    if (!opened.bytes) {
      messages.Error(path + ": cannot open or read the archive");
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
