#include "archive/stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "archive/stop_request.h"

namespace dw {
namespace {

constexpr int64_t kMaxPosition = std::numeric_limits<int32_t>::max();

// The test seam of InjectWriteFault: bytes still allowed (negative: no limit)
// and the error that follows them.
std::atomic<int64_t> faultBytes{-1};
std::atomic<int> faultError{0};

// Takes count bytes from the injected allowance; false (errno set) when they
// do not fit.
bool FaultAllows(int64_t count) {
  int64_t left = faultBytes.load();
  while (left >= 0) {
    if (left < count && faultError == EINTR) {
      // An interrupt arriving during this write: it still completes.
      faultBytes = -1;
      RequestStop();
      return true;
    }
    if (left < count) {
      errno = faultError.load();
      return false;
    }
    if (faultBytes.compare_exchange_weak(left, left - count)) return true;
  }
  return true;
}

// Both file kinds share seek, size and close; they differ in read and write.
// The stream keeps its own position and reads and writes at it (pread,
// pwrite): no call needs the descriptor's file pointer.
class FileStream : public Stream {
 public:
  explicit FileStream(int fd) : fd_(fd) {}
  ~FileStream() override { Close(); }

  bool opened() const { return fd_ >= 0; }

  // A position the 32-bit interface cannot express is refused: the position stays.
  int32_t Seek(int32_t offset, SeekOrigin origin) override {
    const int64_t wanted = (origin == SeekOrigin::Beginning ? 0 : position_) + int64_t{offset};
    if (fd_ >= 0 && wanted >= 0 && wanted <= kMaxPosition) position_ = wanted;
    return static_cast<int32_t>(position_);
  }

  int32_t Size() override {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
    return static_cast<int32_t>(std::min<int64_t>(st.st_size, kMaxPosition));
  }

  // Files only grow through here; nothing shrinks a stream.
  void SetSize(int32_t size) override {
    if (fd_ < 0 || !writable() || size <= Size()) return;
    (void)!::ftruncate(fd_, size);
  }

  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 protected:
  virtual bool writable() const = 0;
  int fd_;
  int64_t position_ = 0;
};

class FileReadStream final : public FileStream {
 public:
  using FileStream::FileStream;

  int32_t Read(void* destination, int32_t count) override {
    if (fd_ < 0 || count <= 0) return 0;
    auto* out = static_cast<uint8_t*>(destination);
    int32_t done = 0;
    while (done < count) {
      const ssize_t got = ::pread(fd_, out + done, size_t(count - done), off_t(position_ + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<int32_t>(got);
    }
    position_ += done;
    return done;
  }

  int32_t Write(const void*, int32_t) override { return 0; }

 protected:
  bool writable() const override { return false; }
};

class FileWriteStream final : public FileStream {
 public:
  // knownSize: the file's size when the opening already tells it (a file
  // just created is empty), else -1.
  FileWriteStream(int fd, int64_t knownSize) : FileStream(fd), size_(knownSize) {}

  int32_t Read(void*, int32_t) override { return 0; }

  // The file always ends with the last byte written, so a shorter image
  // written over a longer file replaces it completely.
  int32_t Write(const void* source, int32_t count) override {
    const BytePiece piece{source, count};
    return WritePieces(std::span(&piece, 1));
  }

  int32_t WritePieces(std::span<const BytePiece> pieces) override {
    int64_t total = 0;
    std::vector<iovec> vectors;
    vectors.reserve(pieces.size());
    for (const BytePiece& piece : pieces) {
      if (piece.count <= 0) continue;
      total += piece.count;
      vectors.push_back(iovec{const_cast<void*>(piece.data), size_t(piece.count)});
    }
    if (fd_ < 0 || total <= 0) return 0;
    if (position_ + total > kMaxPosition) {
      error_ = EFBIG;
      return 0;
    }
    if (!FaultAllows(total)) {
      error_ = errno;
      return 0;
    }
    int64_t done = 0;
    size_t first = 0;  // the first vector not yet written completely
    while (done < total) {
      const ssize_t put = ::pwritev(fd_, vectors.data() + first, int(vectors.size() - first),
                                    off_t(position_ + done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        if (error_ == 0) error_ = put < 0 ? errno : ENOSPC;
        break;
      }
      done += put;
      // Drop what a short write did store from the front of the vectors.
      for (size_t left = size_t(put); left > 0;) {
        iovec& v = vectors[first];
        const size_t used = std::min(left, v.iov_len);
        v.iov_base = static_cast<uint8_t*>(v.iov_base) + used;
        v.iov_len -= used;
        left -= used;
        if (v.iov_len == 0) ++first;
      }
    }
    if (done == 0) return 0;
    position_ += done;
    EndFileAtPosition();
    return static_cast<int32_t>(done);
  }

  void SetSize(int32_t size) override {
    FileStream::SetSize(size);
    size_ = -1;
  }

  // The system's error number of the first write that failed, else 0.
  int error() const { return error_; }

  // Closes the file; false (errno set) when the system reports a failure.
  bool CloseReporting() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 protected:
  bool writable() const override { return true; }

 private:
  // The stream writes the file without sharing, so it keeps the file's size
  // itself and asks the system only when it does not know it.
  void EndFileAtPosition() {
    if (size_ < 0) {
      struct stat st {};
      size_ = ::fstat(fd_, &st) == 0 ? int64_t(st.st_size) : std::numeric_limits<int64_t>::max();
    }
    if (size_ > position_ && ::ftruncate(fd_, off_t(position_)) != 0) {
      size_ = -1;
      return;
    }
    size_ = position_;
  }

  int64_t size_;
  int error_ = 0;
};

class MemoryStream final : public Stream {
 public:
  int32_t Seek(int32_t offset, SeekOrigin origin) override {
    const int64_t base = origin == SeekOrigin::Beginning ? 0 : int64_t{position_};
    const int64_t wanted = base + offset;
    if (wanted < 0 || wanted > kMaxPosition) return position_;
    const auto target = static_cast<int32_t>(wanted);
    if (target > Size()) SetSize(target);
    position_ = target;
    return position_;
  }

  int32_t Size() override { return static_cast<int32_t>(buffer_.size()); }

  // Grows to exactly the requested size; the new bytes are zero.
  void SetSize(int32_t size) override {
    if (size > Size()) buffer_.resize(size_t(size));
    position_ = std::min(position_, Size());
  }

  int32_t Read(void* destination, int32_t count) override {
    if (count <= 0) return 0;
    const int32_t n = std::min(count, Size() - position_);
    if (n <= 0) return 0;
    std::memcpy(destination, buffer_.data() + position_, size_t(n));
    position_ += n;
    return n;
  }

  int32_t Write(const void* source, int32_t count) override {
    if (count <= 0 || int64_t{position_} + count > kMaxPosition) return 0;
    const int32_t end = position_ + count;
    if (end > Size()) SetSize(end);
    std::memcpy(buffer_.data() + position_, source, size_t(count));
    position_ = end;
    return count;
  }

  void Close() override {
    buffer_.clear();
    buffer_.shrink_to_fit();
    position_ = 0;
  }

  const std::vector<uint8_t>& bytes() const { return buffer_; }

 private:
  std::vector<uint8_t> buffer_;
  int32_t position_ = 0;
};

// The temporary file's name: hidden, short whatever the final name's length,
// and unique within the process and among processes.
std::string TemporaryPath(const std::string& path, int attempt) {
  static std::atomic<uint32_t> counter{0};
  static const pid_t process = ::getpid();  // asked once: no system call per file
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  return folder + ".dw-" + std::to_string(process) + "-" +
         std::to_string(counter.fetch_add(1) + uint32_t(attempt)) + ".tmp";
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary_ = TemporaryPath(path_, attempt);
    fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error_ = errno;
    temporary_.clear();
  }
  stream_ = std::make_unique<FileWriteStream>(fd, 0);
}

AtomicFile::~AtomicFile() {
  if (!committed_) Discard();
}

int AtomicFile::error() const {
  return error_ != 0 ? error_ : static_cast<const FileWriteStream&>(*stream_).error();
}

Stream& AtomicFile::stream() {
  return *stream_;
}

void AtomicFile::Fail(int error) {
  if (error_ == 0) error_ = error != 0 ? error : EIO;
}

bool AtomicFile::Write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0 && ok()) {
    const auto count = static_cast<int32_t>(std::min<size_t>(size, 1u << 30));
    const int32_t put = stream_->Write(bytes, count);
    if (put < count) Fail(static_cast<FileWriteStream&>(*stream_).error());
    bytes += put;
    size -= size_t(put);
  }
  return ok();
}

std::FILE* AtomicFile::file() {
  if (file_ != nullptr) return file_;
  cookie_io_functions_t io{};
  io.write = [](void* cookie, const char* data, size_t size) -> ssize_t {
    return static_cast<AtomicFile*>(cookie)->Write(data, size) ? ssize_t(size) : -1;
  };
  file_ = ::fopencookie(this, "wb", io);
  if (file_ == nullptr) Fail(errno);
  return file_;
}

bool AtomicFile::Commit() {
  if (committed_) return ok();
  if (file_ != nullptr) {
    if (std::fclose(file_) != 0) Fail(EIO);
    file_ = nullptr;
  }
  auto& file = static_cast<FileWriteStream&>(*stream_);
  if (file.error() != 0) Fail(file.error());
  // A stop requested while the file was written abandons it.
  if (StopRequested()) Fail(EINTR);
  // Some file systems report a failed write only when the file is closed.
  if (ok() && !file.CloseReporting()) Fail(errno);
  if (ok() && ::rename(temporary_.c_str(), path_.c_str()) != 0) Fail(errno);
  if (!ok()) {
    Discard();
    return false;
  }
  committed_ = true;
  return true;
}

void AtomicFile::Discard() {
  Fail(ECANCELED);  // what the stdio stream still buffers is not written
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  stream_->Close();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void InjectWriteFault(int64_t bytes, int error) {
  faultError = error;
  faultBytes = bytes;
}

StreamPtr CreateReadStream(const std::string& path) {
  return std::make_unique<FileReadStream>(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

StreamPtr CreateMemoryStream() {
  return std::make_unique<MemoryStream>();
}

int32_t ReadBytes(Stream& stream, void* destination, int32_t count) {
  return stream.Read(destination, count);
}

int32_t WriteBytes(Stream& stream, const void* source, int32_t count) {
  return stream.Write(source, count);
}

int32_t Stream::WritePieces(std::span<const BytePiece> pieces) {
  int64_t done = 0;
  for (const BytePiece& piece : pieces) {
    if (piece.count <= 0) continue;
    if (done + piece.count > kMaxPosition) break;
    const int32_t put = Write(piece.data, piece.count);
    done += put;
    if (put < piece.count) break;
  }
  return static_cast<int32_t>(done);
}

int32_t WritePieces(Stream& stream, std::span<const BytePiece> pieces) {
  return stream.WritePieces(pieces);
}

int32_t SeekTo(Stream& stream, int32_t offset, SeekOrigin origin) {
  return stream.Seek(offset, origin);
}

int32_t CurrentPosition(Stream& stream) {
  return stream.Seek(0, SeekOrigin::Current);
}

int32_t StreamSize(Stream& stream) {
  return stream.Size();
}

int32_t CopyBytes(Stream& destination, Stream& source, int32_t count) {
  constexpr int32_t kChunk = 1 << 16;
  std::vector<uint8_t> chunk(size_t(std::clamp(count, 0, kChunk)));
  int32_t copied = 0;
  while (copied < count) {
    const int32_t want = std::min(kChunk, count - copied);
    const int32_t got = source.Read(chunk.data(), want);
    if (got <= 0) break;
    const int32_t put = destination.Write(chunk.data(), got);
    copied += got;
    if (put < got || got < want) break;
  }
  return copied;
}

void FreeStream(StreamPtr& stream) {
  if (!stream) return;
  stream->Close();
  stream.reset();
}

const std::vector<uint8_t>* MemoryStreamBytes(Stream& stream) {
  auto* memory = dynamic_cast<MemoryStream*>(&stream);
  return memory ? &memory->bytes() : nullptr;
}

bool StreamOpened(Stream& stream) {
  auto* file = dynamic_cast<FileStream*>(&stream);
  return file == nullptr || file->opened();
}

}  // namespace dw
