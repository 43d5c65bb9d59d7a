// Byte streams: the decoded images, the bitmaps' loads and saves and every
// BMP file go through a Stream. Three kinds exist: a file opened for reading,
// the temporary file of an AtomicFile (below), and a growable memory buffer.
//
// Paths that do not: ArchiveBytes reads a whole archive with plain POSIX
// reads (it must see the file's identity too).
//
// Every file either program writes goes through an AtomicFile (below): it
// appears under its name whole, or not at all.
//
// End of data is never an error: a read that runs out delivers fewer bytes (or
// none) and leaves the rest of the destination untouched. A file that cannot be
// opened still yields a stream; it reads nothing and stores nothing.
//
// Positions, sizes and counts are 32-bit signed, as in the file formats.
// Whoever creates a stream owns it (StreamPtr) and frees it.
#pragma once

#include <cstdint>
#include <cstdio>
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

// One output file, written so that it appears whole or not at all: the
// bytes go to a temporary file created in the destination folder (exclusive,
// never through a link, mode 0666 less the umask) and Commit renames it over
// the final name, which replaces whatever stood there (a planted link too)
// rather than writing through it. Destroyed without a successful Commit, the
// temporary file is removed.
//
// A finished file is not synced to the disk: a sync per frame would cost
// more than the whole export, and the rename already makes a crash leave the
// old file or the new one, never a mixture, on the usual file systems.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& path() const { return path_; }
  // False once anything failed: the temporary file could not be created or a
  // write did not store every byte.
  bool ok() const { return error() == 0; }
  // The system's error number of the first failure, 0 while none.
  int error() const;

  // Writes into the temporary file; a Stream for the BMP writers. Every
  // write ends the file where it stopped.
  Stream& stream();
  bool Write(const void* data, size_t size);
  // The same file as a stdio stream, for encoders that write through one;
  // its writes reach the file through Write.
  std::FILE* file();
  // Completes the file and renames it into place; false (and the temporary
  // file removed) when anything failed on the way or a stop was requested
  // (see stop_request.h).
  bool Commit();

 private:
  void Fail(int error);
  void Discard();

  std::string path_;
  std::string temporary_;
  StreamPtr stream_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
  bool committed_ = false;
};

// For tests: every file write after `bytes` more bytes fails with `error`
// (ENOSPC for a disk that fills up; EINTR: that write succeeds but requests
// a stop, as SIGINT arriving then would); a negative count writes normally
// again.
void InjectWriteFault(int64_t bytes, int error);

}  // namespace dw
