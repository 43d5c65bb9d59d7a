#include "archive/frame_info.h"

#include "archive/byte_cursor.h"

namespace dw {

std::optional<FrameHeader> ReadFrameHeaderAt(const std::vector<uint8_t>& archive, int32_t offset) {
  ByteCursor cursor(archive.data(), static_cast<int64_t>(archive.size()));
  if (!cursor.SeekTo(offset) || cursor.remaining() < kFrameHeaderSize) return std::nullopt;
  FrameHeader head;
  for (int32_t* field : {&head.dataSize, &head.compression, &head.fullWidth, &head.fullHeight,
                         &head.width, &head.height, &head.leftMargin, &head.topMargin}) {
    *field = *cursor.ReadI32();  // the 32 bytes are there, checked above
  }
  return head;
}

std::optional<FrameHeader> ReadFrameHeader(const Archive& archive,
                                           const std::vector<uint8_t>& bytes, int32_t frameIndex) {
  if (!archive.HasFrame(frameIndex)) return std::nullopt;
  return ReadFrameHeaderAt(bytes, archive.frames[size_t(frameIndex)].offset);
}

}  // namespace dw
