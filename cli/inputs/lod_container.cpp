#include "cli/inputs/lod_container.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "archive/ascii_case.h"
#include "archive/byte_cursor.h"
#include "archive/little_endian.h"

namespace dw::cli {
namespace {

constexpr int64_t kHeadBytes = 92;   // magic, kind, count and 80 unused bytes
constexpr int64_t kEntryBytes = 32;  // name, offset, size, type, compressed size
constexpr int64_t kNameBytes = 16;
// The stream is inflated this much at a time.
constexpr size_t kInflateChunk = size_t{1} << 16;

std::optional<uint32_t> ReadU32(ByteCursor& cursor) {
  const uint8_t* at = cursor.Peek(4);
  if (at == nullptr) return std::nullopt;
  cursor.Skip(4);
  return le::GetU32(at);
}

ExtractedEntry Failed(LodProblem problem) { return ExtractedEntry{{}, std::move(problem)}; }

// Deflate makes at most 1032 bytes of one: a stated size beyond that is a lie
// that must not cost memory.
constexpr uint64_t kMostInflatedPerByte = 1032;

// Inflates into one buffer of the stated size, reserved once and filled only
// with what the stream gives: no doubling, no zeros written ahead.
ExtractedEntry InflateWithReasons(const uint8_t* data, uint32_t compressedSize, uint32_t size) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return Failed(MakeLodProblem(LodProblemKind::CannotInflate));
  std::vector<uint8_t> out;
  out.reserve(size);
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = compressedSize;
  std::optional<LodProblem> problem;
  uint8_t chunk[kInflateChunk];
  for (;;) {
    // One byte past the stated size tells a longer stream apart.
    const size_t room = std::min<size_t>(sizeof chunk, size_t(size) - out.size() + 1);
    stream.next_out = chunk;
    stream.avail_out = uInt(room);
    const int status = inflate(&stream, Z_NO_FLUSH);
    const size_t got = room - stream.avail_out;
    if (out.size() + got > size) {
      problem = MakeLodProblem(LodProblemKind::InflatesPast, 0, size);
      break;
    }
    out.insert(out.end(), chunk, chunk + got);
    if (status == Z_STREAM_END) {
      if (out.size() < size)
        problem = MakeLodProblem(LodProblemKind::EndsShort, int64_t(out.size()), size);
      break;
    }
    if (status == Z_NEED_DICT || status == Z_DATA_ERROR || status == Z_MEM_ERROR ||
        status == Z_STREAM_ERROR) {
      problem = MakeLodProblem(LodProblemKind::StreamDamaged);
      if (stream.msg != nullptr) problem->detail = stream.msg;
      break;
    }
    if (status == Z_BUF_ERROR && stream.avail_in == 0) {
      problem = MakeLodProblem(LodProblemKind::CutOff, int64_t(out.size()), size);
      break;
    }
  }
  inflateEnd(&stream);
  if (problem) return Failed(std::move(*problem));
  return ExtractedEntry{std::move(out), {}};
}

// Inflates the entry in one call straight into a buffer of its stated size,
// several times faster than zlib's inflate. A stream it refuses, or one whose
// stated size it could never reach, goes through zlib to say what is wrong.
ExtractedEntry Inflate(const uint8_t* data, uint32_t compressedSize, uint32_t size) {
  if (uint64_t{size} > (uint64_t{compressedSize} + 1) * kMostInflatedPerByte)
    return InflateWithReasons(data, compressedSize, size);
  thread_local std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)>
      decompressor(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
  if (decompressor == nullptr) return Failed(MakeLodProblem(LodProblemKind::CannotInflate));
  std::vector<uint8_t> out(size);
  size_t got = 0;
  if (libdeflate_zlib_decompress(decompressor.get(), data, compressedSize, out.data(), size,
                                 &got) != LIBDEFLATE_SUCCESS ||
      got != size)
    return InflateWithReasons(data, compressedSize, size);
  return ExtractedEntry{std::move(out), {}};
}

}  // namespace

LodIndex ReadLodIndex(const std::vector<uint8_t>& bytes) {
  LodIndex index;
  ByteCursor cursor(bytes.data(), int64_t(bytes.size()));
  const uint8_t* magic = cursor.Peek(4);
  if (magic == nullptr || std::memcmp(magic, "LOD\0", 4) != 0) {
    index.problems.push_back(MakeLodProblem(LodProblemKind::NotAContainer));
    return index;
  }
  index.container = true;
  cursor.Skip(4);
  const std::optional<uint32_t> kind = ReadU32(cursor);
  const std::optional<uint32_t> count = ReadU32(cursor);
  if (!kind || !count || !cursor.SeekTo(kHeadBytes)) {
    index.problems.push_back(
        MakeLodProblem(LodProblemKind::HeadCutOff, int64_t(bytes.size()), kHeadBytes));
    return index;
  }
  index.kind = *kind;
  index.declaredCount = *count;
  const int64_t room = cursor.remaining() / kEntryBytes;
  const int64_t readable = std::min<int64_t>(*count, room);
  if (*count > room) {
    index.problems.push_back(MakeLodProblem(LodProblemKind::TableTooLong, *count, room));
  }
  index.entries.reserve(size_t(readable));
  for (int64_t i = 0; i < readable; ++i) {
    LodEntry entry;
    entry.index = int32_t(i);
    const uint8_t* name = cursor.Peek(kNameBytes);
    const uint8_t* end = std::find(name, name + kNameBytes, uint8_t{0});
    entry.name.assign(reinterpret_cast<const char*>(name), size_t(end - name));
    cursor.Skip(kNameBytes);
    entry.offset = *ReadU32(cursor);
    entry.size = *ReadU32(cursor);
    entry.type = *ReadU32(cursor);
    entry.compressedSize = *ReadU32(cursor);
    index.entries.push_back(std::move(entry));
  }
  return index;
}

const LodEntry* FindLodEntry(const LodIndex& index, const std::string& name) {
  for (const LodEntry& entry : index.entries)
    if (EqualIgnoringAsciiCase(entry.name, name)) return &entry;
  return nullptr;
}

bool IsDefEntry(const LodEntry& entry) {
  return entry.name.size() >= 4 && EqualIgnoringAsciiCase(entry.name.substr(entry.name.size() - 4), ".def");
}

std::optional<LodProblem> LodEntryPlacementProblem(const LodEntry& entry, int64_t fileSize) {
  // 64-bit sums of two 32-bit fields cannot overflow.
  const int64_t end = int64_t{entry.offset} + int64_t{entry.storedBytes()};
  if (end <= fileSize) return std::nullopt;
  LodProblem problem = MakeLodProblem(LodProblemKind::DataOutside, entry.storedBytes(), fileSize);
  problem.offset = entry.offset;
  return problem;
}

ExtractedEntry ExtractLodEntry(const std::vector<uint8_t>& container, const LodEntry& entry,
                               int64_t maxBytes) {
  if (auto problem = LodEntryPlacementProblem(entry, int64_t(container.size())))
    return Failed(std::move(*problem));
  if (int64_t{entry.size} > maxBytes)
    return Failed(
        MakeLodProblem(LodProblemKind::OverLimit, entry.size, std::max<int64_t>(maxBytes, 0)));
  ByteCursor cursor(container.data(), int64_t(container.size()));
  cursor.SeekTo(entry.offset);
  const uint8_t* data = cursor.Peek(entry.storedBytes());
  if (entry.stored()) return ExtractedEntry{std::vector<uint8_t>(data, data + entry.size), {}};
  return Inflate(data, entry.compressedSize, entry.size);
}

}  // namespace dw::cli
