#include <algorithm>
#include <string>

#include "archive/archive.h"
#include "archive/byte_cursor.h"
#include "archive/def_format.h"

namespace dw {
namespace {

// A field that does not fit keeps its zero.
void ReadHead(ByteCursor& in, ArchiveHeader& head, Diagnostics& diagnostics) {
  for (int32_t* field : {&head.archiveType, &head.width, &head.height, &head.blockCount}) {
    if (auto v = in.ReadI32()) *field = *v;
  }
  if (in.size() < kArchiveHeaderSize)
    diagnostics.Add(MakeDiagnostic(DiagnosticKind::HeadTruncated));
}

// Each component is its own one-byte read, so a palette cut short keeps every
// component that is there.
void ReadPalette(ByteCursor& in, Palette& palette, Diagnostics& diagnostics) {
  in.SeekTo(std::min<int64_t>(kPaletteOffset, in.size()));
  for (ColourQuad& quad : palette) {
    for (uint8_t* component : {&quad.red, &quad.green, &quad.blue}) {
      if (auto v = in.ReadU8()) *component = *v;
    }
    quad.reserved = 0;
  }
  if (in.size() >= kArchiveHeaderSize && in.size() < kDirectoryOffset)
    diagnostics.Add(MakeDiagnostic(DiagnosticKind::PaletteTruncated));
}

// The frames of a block whose name and offset both lie wholly inside the
// file. Names come first, so the offsets are what runs out first.
int64_t FramesThatFit(int64_t remaining, int64_t declared) {
  const int64_t byNames = remaining / kFrameNameSize;
  const int64_t afterNames = remaining - int64_t{kFrameNameSize} * std::min(declared, byNames);
  const int64_t byOffsets = declared <= byNames ? afterNames / kFrameOffsetSize : 0;
  return std::min({declared, byNames, byOffsets});
}

std::string NameFromField(const uint8_t* field) {
  const auto* end = std::find(field, field + kFrameNameSize, uint8_t{0});
  return std::string(reinterpret_cast<const char*>(field), size_t(end - field));
}

// Every block head costs 16 bytes of the file, so a huge blockCount ends where
// the file does.
void ReadDirectory(ByteCursor& in, Archive& archive, Diagnostics& diagnostics) {
  if (!in.SeekTo(kDirectoryOffset)) return;
  const int32_t blockCount = archive.head.blockCount;
  for (int32_t b = 0; b < blockCount; ++b) {
    if (in.Peek(kBlockHeadSize) == nullptr) {
      Diagnostic d = MakeDiagnostic(in.remaining() == 0 ? DiagnosticKind::BlocksMissing
                                               : DiagnosticKind::BlockHeadTruncated);
      d.block = b;
      d.count = b;
      d.value = blockCount;
      diagnostics.Add(d);
      return;
    }
    BlockInfo block;
    block.identifier = *in.ReadI32();
    block.declaredCount = *in.ReadI32();
    in.ReadInto(block.reserved.data(), int64_t(block.reserved.size()));
    const int32_t n = block.declaredCount;
    if (n <= 0) {
      if (n < 0) {
        Diagnostic d = MakeDiagnostic(DiagnosticKind::NegativeFrameCount);
        d.block = b;
        d.value = n;
        diagnostics.Add(d);
      }
      archive.blocks.push_back(std::move(block));
      continue;
    }
    const int64_t fit = FramesThatFit(in.remaining(), n);
    const int64_t namesAt = in.position();
    const int64_t offsetsAt = namesAt + int64_t{kFrameNameSize} * n;
    block.frames.reserve(size_t(fit));
    for (int64_t k = 0; k < fit; ++k) {
      in.SeekTo(namesAt + kFrameNameSize * k);
      FrameEntry entry;
      entry.name = NameFromField(in.Peek(kFrameNameSize));
      in.SeekTo(offsetsAt + kFrameOffsetSize * k);
      entry.offset = *in.ReadI32();
      block.frames.push_back(std::move(entry));
    }
    archive.blocks.push_back(std::move(block));
    if (fit < n) {
      Diagnostic d = MakeDiagnostic(DiagnosticKind::FramesMissing);
      d.block = b;
      d.value = n;
      d.count = fit;
      diagnostics.Add(d);
      return;
    }
    in.SeekTo(offsetsAt + int64_t{kFrameOffsetSize} * n);
  }
}

}  // namespace

LoadedArchive ReadArchive(const std::vector<uint8_t>& bytes) {
  LoadedArchive loaded;
  Archive& archive = loaded.archive;
  ByteCursor in(bytes.data(), int64_t(bytes.size()));
  ReadHead(in, archive.head, loaded.diagnostics);
  ReadPalette(in, archive.palette, loaded.diagnostics);
  ReadDirectory(in, archive, loaded.diagnostics);

  size_t total = 0;
  for (const BlockInfo& block : archive.blocks) total += block.frames.size();
  // Nothing to show or convert: said once, whatever else is wrong with the directory.
  if (total == 0) loaded.diagnostics.Add(MakeDiagnostic(DiagnosticKind::NoFrames));
  archive.frames.reserve(total);
  for (const BlockInfo& block : archive.blocks)
    archive.frames.insert(archive.frames.end(), block.frames.begin(), block.frames.end());
  // Stable, so equal offsets keep their directory order.
  std::stable_sort(archive.frames.begin(), archive.frames.end(),
                   [](const FrameEntry& a, const FrameEntry& b) { return a.offset < b.offset; });
  return loaded;
}

std::vector<int32_t> TableIndicesOfDirectory(const Archive& archive) {
  // The table is the directory sorted stably by offset: sorting the entry
  // numbers the same way tells which table place each entry took.
  std::vector<int32_t> offsets;
  for (const BlockInfo& block : archive.blocks)
    for (const FrameEntry& entry : block.frames) offsets.push_back(entry.offset);
  std::vector<int32_t> order(offsets.size());
  for (size_t d = 0; d < order.size(); ++d) order[d] = int32_t(d);
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return offsets[size_t(a)] < offsets[size_t(b)]; });
  std::vector<int32_t> table(offsets.size(), -1);
  for (size_t position = 0; position < order.size(); ++position)
    table[size_t(order[position])] = int32_t(position);
  return table;
}

LoadedArchive LoadArchiveFile(const std::string& path, ArchiveBytes& cache) {
  const auto bytes = cache.Current(path);
  LoadedArchive loaded;
  if (bytes) {
    loaded = ReadArchive(*bytes);
  } else {
    loaded.diagnostics.Add(MakeDiagnostic(DiagnosticKind::CannotOpen));
  }
  loaded.archive.path = path;
  return loaded;
}

}  // namespace dw
