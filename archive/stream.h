// Byte streams: the decoded images, the bitmaps' loads and saves and every
// BMP file go through a Stream. Three kinds exist: a file opened for reading,
// a file opened for writing, and a growable memory buffer.
//
// Paths that do not: ArchiveBytes reads a whole archive with plain POSIX
// reads (it must see the file's identity too); the converter's PNG, GIF and
// WebP files are written by their libraries' own file code, and its JSON
// manifests and atlases by the standard library's streams.
//
// End of data is never an error: a read that runs out delivers fewer bytes (or
// none) and leaves the rest of the destination untouched. A file that cannot be
// opened still yields a stream; it reads nothing and stores nothing.
//
// Positions, sizes and counts are 32-bit signed, as in the file formats.
// Whoever creates a stream owns it (StreamPtr) and frees it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace dw {

enum class SeekOrigin { Beginning, Current };

// One piece of a gathered write.
struct BytePiece {
  const void* data = nullptr;
  int32_t count = 0;
};

class Stream {
 public:
  virtual ~Stream() = default;
  // The six operations every kind provides, and a gathered write.
  virtual int32_t Seek(int32_t offset, SeekOrigin origin) = 0;
  virtual int32_t Size() = 0;
  virtual void SetSize(int32_t size) = 0;
  virtual int32_t Read(void* destination, int32_t count) = 0;
  virtual int32_t Write(const void* source, int32_t count) = 0;
  virtual void Close() = 0;
  // The pieces one after another, as consecutive Writes would store them;
  // stops at the first piece that is not stored completely. File writers
  // store them in one system call.
  virtual int32_t WritePieces(std::span<const BytePiece> pieces);
};

using StreamPtr = std::unique_ptr<Stream>;

// Opens an existing file for reading; position 0.
StreamPtr CreateReadStream(const std::string& path);
// Opens the file for writing, creating it when missing; an existing file is
// not truncated on opening, but every write ends the file where it stopped.
StreamPtr CreateWriteStream(const std::string& path);
// An empty growable buffer: size 0, position 0.
StreamPtr CreateMemoryStream();

int32_t ReadBytes(Stream& stream, void* destination, int32_t count);
int32_t WriteBytes(Stream& stream, const void* source, int32_t count);
int32_t WritePieces(Stream& stream, std::span<const BytePiece> pieces);
int32_t SeekTo(Stream& stream, int32_t offset, SeekOrigin origin = SeekOrigin::Beginning);
int32_t CurrentPosition(Stream& stream);
int32_t StreamSize(Stream& stream);
// Reads up to count bytes from source and writes what arrived to destination.
int32_t CopyBytes(Stream& destination, Stream& source, int32_t count);
// Closes and destroys the stream; an empty reference is ignored.
void FreeStream(StreamPtr& stream);

// The memory kind's buffer, for callers that created a memory stream and want
// its bytes without copying them through ReadBytes; nullptr for other kinds.
const std::vector<uint8_t>* MemoryStreamBytes(Stream& stream);

// False only for a file stream whose file could not be opened, so that a
// caller can report a file it could not write.
bool StreamOpened(Stream& stream);

}  // namespace dw
