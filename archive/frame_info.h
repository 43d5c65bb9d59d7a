// Reading a frame's 32-byte head without decoding its pixels, for tools that
// list or describe an archive. A frame index outside the table or a head that
// does not lie wholly inside the bytes gives nullopt.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "archive/archive.h"
#include "archive/def_format.h"

namespace dw {

std::optional<FrameHeader> ReadFrameHeader(const Archive& archive,
                                           const std::vector<uint8_t>& bytes, int32_t frameIndex);

// The head at offset of the given archive bytes.
std::optional<FrameHeader> ReadFrameHeaderAt(const std::vector<uint8_t>& archive, int32_t offset);

}  // namespace dw
