#include "cli/outputs/png_writer.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>


namespace dw::cli {
namespace {

// What the rows of the PNG hold, and how they are deflated, chosen by
// measurement on the benchmark's real-shaped sprites (bench/run.sh
// --paths-only, docs/performance.md): rows unfiltered (on sprites, filters made
// files larger and slower); palettised rows at libdeflate's level 7, the
// fastest whose files are no larger than zlib's level 6 gave; RGBA rows at
// level 4: as fast as levels 1 to 3 on sprites, and a sixth smaller than
// level 2 (smaller than libpng's filtered level 6 too).
struct Kind {
  uint8_t colourType = 3;  // 2 RGB, 3 palettised, 6 RGBA
  int channels = 1;
  int level = 6;       // libdeflate's
  int zlibLevel = 6;   // zlib's, for images deflated a row at a time
};

constexpr Kind kPalettised{3, 1, 7, 6};
constexpr Kind kRgba{6, 4, 4, 3};
constexpr Kind kRgb{2, 3, 6, 6};

// Images of at most kZlibBelow bytes of filtered rows (32 x 32 tiles) go
// through zlib: its output is a tenth smaller there than libdeflate's. Those
// past kWholeLimit go through zlib as well, a row at a time: whole, they would
// take twice their size again in memory. libdeflate takes the rest whole.
constexpr int64_t kZlibBelow = 2048;
constexpr int64_t kWholeLimit = int64_t{16} << 20;
constexpr size_t kStreamChunk = size_t{1} << 20;

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void PutBig32(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 24);
  at[1] = uint8_t(value >> 16);
  at[2] = uint8_t(value >> 8);
  at[3] = uint8_t(value);
}

// Lays a chunk out in place: at[0..7] its length and type, then dataSize bytes
// of data already there, then the CRC written at at[8 + dataSize]. Returns the
// chunk's whole size.
size_t SealChunk(uint8_t* at, const char* type, size_t dataSize) {
  PutBig32(at, uint32_t(dataSize));
  std::memcpy(at + 4, type, 4);
  PutBig32(at + 8 + dataSize, uint32_t(libdeflate_crc32(0, at + 4, dataSize + 4)));
  return dataSize + 12;
}

// The rows of an image in PNG order (top first), each as its filter byte and
// bytes of pixels.
struct Rows {
  const BmpView& image;
  Kind kind;
  const Rgba* colours = nullptr;  // RGBA through this table
  bool topDown = false;           // the source's rows are stored top first

  int64_t RowBytes() const { return 1 + int64_t{image.width} * kind.channels; }

  void Make(int32_t y, uint8_t* out) const {
    const uint8_t* source =
        image.pixels + (topDown ? y : int64_t{image.height} - 1 - y) * image.stride;
    out[0] = 0;  // no filter
    uint8_t* pixels = out + 1;
    const int64_t bytes = RowBytes() - 1;
    if (colours != nullptr) {
      for (int32_t x = 0; x < image.width; ++x)
        std::memcpy(pixels + 4 * int64_t{x}, &colours[source[x]], 4);
    } else {
      std::memcpy(pixels, source, size_t(bytes));
    }
  }
};

// Signature, IHDR, and for palettised images PLTE and tRNS, into head.
std::vector<uint8_t> Head(const Rows& rows, const uint8_t* colourTable, bool transparentZero) {
  std::vector<uint8_t> head(8 + 25 + 12 + 768 + 13);
  std::memcpy(head.data(), kSignature, 8);
  size_t at = 8;
  uint8_t* ihdr = head.data() + at + 8;
  PutBig32(ihdr, uint32_t(rows.image.width));
  PutBig32(ihdr + 4, uint32_t(rows.image.height));
  ihdr[8] = 8;  // bits per channel or index
  ihdr[9] = rows.kind.colourType;
  ihdr[10] = ihdr[11] = ihdr[12] = 0;  // deflate, adaptive filtering, no interlace
  at += SealChunk(head.data() + at, "IHDR", 13);
  if (rows.kind.colourType == 3) {
    uint8_t* plte = head.data() + at + 8;
    for (int i = 0; i < 256; ++i) {
      // The colour table holds blue, green, red, unused.
      plte[3 * i] = colourTable != nullptr ? colourTable[4 * i + 2] : 0;
      plte[3 * i + 1] = colourTable != nullptr ? colourTable[4 * i + 1] : 0;
      plte[3 * i + 2] = colourTable != nullptr ? colourTable[4 * i] : 0;
    }
    at += SealChunk(head.data() + at, "PLTE", 768);
    if (transparentZero) {
      head[at + 8] = 0;  // index 0 fully transparent, the others opaque
      at += SealChunk(head.data() + at, "tRNS", 1);
    }
  }
  head.resize(at);
  return head;
}

constexpr uint8_t kEnd[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

// One compressor per thread and level, kept between images: making one
// clears tables far larger than a small sprite.
libdeflate_compressor* CompressorFor(int level) {
  struct Compressors {
    std::array<libdeflate_compressor*, 13> byLevel{};
    ~Compressors() {
      for (libdeflate_compressor* c : byLevel) libdeflate_free_compressor(c);
    }
  };
  thread_local Compressors compressors;
  libdeflate_compressor*& c = compressors.byLevel[size_t(level)];
  if (c == nullptr) c = libdeflate_alloc_compressor(level);
  return c;
}

// The whole image deflated at once into one IDAT chunk, the file written with
// one call. The filtered rows and the file are built in buffers kept by the
// thread (at most twice kWholeLimit and a little more).
WriteResult WriteWhole(AtomicFile& out, const Rows& rows, const std::vector<uint8_t>& head,
                       size_t filtered) {
  thread_local std::vector<uint8_t> raw;
  thread_local std::vector<uint8_t> file;
  libdeflate_compressor* compressor = CompressorFor(rows.kind.level);
  if (compressor == nullptr) return MakeWriteProblem(WriteProblemKind::OutOfMemory);
  const size_t bound = libdeflate_zlib_compress_bound(compressor, filtered);
  try {
    if (raw.size() < filtered) raw.resize(filtered);
    if (file.size() < head.size() + 12 + bound + sizeof kEnd)
      file.resize(head.size() + 12 + bound + sizeof kEnd);
  } catch (const std::bad_alloc&) {
    return MakeWriteProblem(WriteProblemKind::OutOfMemory);
  }
  const int64_t rowBytes = rows.RowBytes();
  for (int32_t y = 0; y < rows.image.height; ++y) rows.Make(y, raw.data() + y * rowBytes);
  std::memcpy(file.data(), head.data(), head.size());
  uint8_t* idat = file.data() + head.size();
  const size_t deflated = libdeflate_zlib_compress(compressor, raw.data(), filtered, idat + 8, bound);
  if (deflated == 0) return MakeWriteProblem(WriteProblemKind::EncoderRefused, "the image could not be compressed");
  size_t size = head.size() + SealChunk(idat, "IDAT", deflated);
  std::memcpy(file.data() + size, kEnd, sizeof kEnd);
  size += sizeof kEnd;
  out.Write(file.data(), size);  // a failed write is the file's own error
  return std::nullopt;
}

// An image deflated by zlib a row at a time, in IDAT chunks of at most
// kStreamChunk bytes, with a window no larger than the image needs (the same
// output, less to set up for a small image).
WriteResult WriteStreamed(AtomicFile& out, const Rows& rows, const std::vector<uint8_t>& head,
                          uint64_t filtered) {
  int windowBits = 9;
  while (windowBits < 15 && (uint64_t{1} << windowBits) < filtered) ++windowBits;
  z_stream stream{};
  if (deflateInit2(&stream, rows.kind.zlibLevel, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return MakeWriteProblem(WriteProblemKind::OutOfMemory);
  std::vector<uint8_t> row, chunk;
  try {
    row.resize(size_t(rows.RowBytes()));
    chunk.resize(8 + std::min<uint64_t>(kStreamChunk, filtered + 1024) + 4);
  } catch (const std::bad_alloc&) {
    deflateEnd(&stream);
    return MakeWriteProblem(WriteProblemKind::OutOfMemory);
  }
  const size_t room = chunk.size() - 12;
  out.Write(head.data(), head.size());
  stream.next_out = chunk.data() + 8;
  stream.avail_out = uInt(room);
  // Deflates what is in stream.next_in, writing each chunk once it is full,
  // and the last one when finishing.
  const auto deflateAll = [&](int flush) {
    int status = Z_OK;
    while (out.ok()) {
      status = deflate(&stream, flush);
      const bool done = flush == Z_FINISH ? status == Z_STREAM_END : stream.avail_in == 0;
      if (stream.avail_out == 0 || (done && flush == Z_FINISH)) {
        const size_t got = room - stream.avail_out;
        SealChunk(chunk.data(), "IDAT", got);
        out.Write(chunk.data(), got + 12);
        stream.next_out = chunk.data() + 8;
        stream.avail_out = uInt(room);
      }
      if (done || status == Z_STREAM_ERROR) break;
    }
  };
  for (int32_t y = 0; y < rows.image.height && out.ok(); ++y) {
    rows.Make(y, row.data());
    // A row may be longer than zlib takes at once.
    for (size_t at = 0; at < row.size();) {
      const size_t piece = std::min<size_t>(row.size() - at, size_t{1} << 30);
      stream.next_in = row.data() + at;
      stream.avail_in = uInt(piece);
      deflateAll(Z_NO_FLUSH);
      at += piece;
    }
  }
  deflateAll(Z_FINISH);
  deflateEnd(&stream);
  out.Write(kEnd, sizeof kEnd);
  return std::nullopt;
}

WriteResult Encode(AtomicFile& out, const Rows& rows, const uint8_t* colourTable,
                   bool transparentZero) {
  const BmpView& image = rows.image;
  if (image.width <= 0 || image.height <= 0) {
    WriteProblem problem = MakeWriteProblem(WriteProblemKind::PngSize);
    problem.width = image.width;
    problem.height = image.height;
    return problem;
  }
  // At most 2^31 x (1 + 4 x 2^31) bytes: held in 64 bits unsigned.
  const uint64_t filtered = uint64_t(rows.RowBytes()) * uint64_t(image.height);
  const std::vector<uint8_t> head = Head(rows, colourTable, transparentZero);
  if (filtered <= uint64_t(kZlibBelow) || filtered > uint64_t(kWholeLimit))
    return WriteStreamed(out, rows, head, filtered);
  return WriteWhole(out, rows, head, size_t(filtered));
}

}  // namespace

WriteResult WriteRgbPng(AtomicFile& out, int32_t width, int32_t height, const uint8_t* rgb) {
  BmpView view;
  view.width = width;
  view.height = height;
  view.stride = int64_t{width} * 3;
  view.pixels = rgb;
  Rows rows{view, kRgb};
  rows.topDown = true;
  return Encode(out, rows, nullptr, false);
}

BmpView ViewOf(const IndexedImage& image) {
  BmpView view;
  view.width = image.width;
  view.height = image.height;
  view.stride = image.stride;
  view.colourTable = reinterpret_cast<const uint8_t*>(image.palette.data());
  view.pixels = image.pixels.data();
  return view;
}

WriteResult WritePng(AtomicFile& out, const BmpView& image, bool transparentZero) {
  return Encode(out, Rows{image, kPalettised}, image.colourTable, transparentZero);
}

WriteResult WriteRgbaPng(AtomicFile& out, const BmpView& image,
                         const std::array<Rgba, 256>& colours) {
  Rows rows{image, kRgba};
  rows.colours = colours.data();
  return Encode(out, rows, nullptr, false);
}

}  // namespace dw::cli
