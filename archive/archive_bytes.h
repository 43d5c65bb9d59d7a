// The bytes of the open archive, read once and reused for as long as the file
// on disk is unchanged (same device, inode, size, modification and change
// time). Every decode asks Current() again, so a decode always sees the file's
// present bytes even when it was replaced since the archive was loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dw {

class ArchiveBytes {
 public:
  // The file's present bytes; an empty pointer when it cannot be opened or read.
  std::shared_ptr<const std::vector<uint8_t>> Current(const std::string& path);
  void Forget();

 private:
  struct Identity {
    uint64_t device = 0, inode = 0;
    int64_t size = -1, mtimeNs = 0, ctimeNs = 0;
    bool operator==(const Identity&) const = default;
  };
  std::string path_;
  Identity identity_;
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
  // False while the file was changed too recently for its time stamps to tell
  // a later change apart; the next call then reads it again.
  bool settled_ = false;
};

}  // namespace dw
