#include <algorithm>
#include <string>

#include "archive/byte_cursor.h"
#include "archive/conversion_state.h"
#include "archive/def_format.h"
#include "archive/from_bytes.h"

namespace dw {
namespace {

void ResetArchive(ConversionState& state) {
  state.typeCode = 0;
  state.fullWidth = 0;
  state.fullHeight = 0;
  state.blockCount = 0;
  state.palette = Palette{};
  state.frames.clear();
  state.blocks.clear();
  state.frameCount = 0;
}

// A field that does not fit leaves its zero from the reset in place.
void ReadHead(ByteCursor& in, ConversionState& state, Diagnostics& diagnostics) {
  for (int32_t* field : {&state.typeCode, &state.fullWidth, &state.fullHeight, &state.blockCount}) {
    if (auto v = in.ReadI32()) *field = *v;
  }
  if (in.size() < kArchiveHeaderSize) diagnostics.Add("file ends inside the head");
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
    diagnostics.Add("file ends inside the palette");
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
void ReadDirectory(ByteCursor& in, ConversionState& state, Diagnostics& diagnostics) {
  if (!in.SeekTo(kDirectoryOffset)) return;
  for (int32_t b = 0; b < state.blockCount; ++b) {
    const uint8_t* head = in.Peek(kBlockHeadSize);
    if (head == nullptr) {
      diagnostics.Add(in.remaining() == 0
                          ? "the file holds " + std::to_string(b) + " of " +
                                std::to_string(state.blockCount) + " declared blocks"
                          : "file ends inside the head of block " + std::to_string(b));
      return;
    }
    BlockInfo block;
    block.identifier = *in.ReadI32();
    block.declaredCount = *in.ReadI32();
    in.ReadInto(block.reserved.data(), int64_t(block.reserved.size()));
    const int32_t n = block.declaredCount;
    if (n <= 0) {
      if (n < 0)
        diagnostics.Add("block " + std::to_string(b) + " declares a negative frame count (" +
                        std::to_string(n) + ")");
      state.blocks.push_back(std::move(block));
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
    state.blocks.push_back(std::move(block));
    if (fit < n) {
      diagnostics.Add("block " + std::to_string(b) + " declares " + std::to_string(n) +
                      " frames but the file holds " + std::to_string(fit) + " of them");
      return;
    }
    in.SeekTo(offsetsAt + int64_t{kFrameOffsetSize} * n);
  }
}

}  // namespace

Diagnostics LoadArchiveFromBytes(ConversionState& state, const std::vector<uint8_t>& bytes) {
  Diagnostics diagnostics;
  ResetArchive(state);
  ByteCursor in(bytes.data(), int64_t(bytes.size()));
  ReadHead(in, state, diagnostics);
  ReadPalette(in, state.palette, diagnostics);
  ReadDirectory(in, state, diagnostics);

  size_t total = 0;
  for (const BlockInfo& block : state.blocks) total += block.frames.size();
  state.frames.reserve(total);
  for (const BlockInfo& block : state.blocks)
    state.frames.insert(state.frames.end(), block.frames.begin(), block.frames.end());
  // Stable, so equal offsets keep their directory order.
  std::stable_sort(state.frames.begin(), state.frames.end(),
                   [](const FrameEntry& a, const FrameEntry& b) { return a.offset < b.offset; });
  state.frameCount = static_cast<int32_t>(state.frames.size());
  return diagnostics;
}

Diagnostics LoadArchive(ConversionState& state, const std::string& path) {
  ResetArchive(state);
  state.archivePath = path;
  const auto bytes = state.archiveBytes.Current(path);
  if (!bytes) {
    Diagnostics diagnostics;
    diagnostics.cannotOpen = true;
    diagnostics.Add("cannot open or read the file");
    return diagnostics;
  }
  return LoadArchiveFromBytes(state, *bytes);
}

}  // namespace dw
