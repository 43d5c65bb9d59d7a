// Reading a frame's 32-byte head without decoding its pixels, for tools that
// list or describe an archive. Reads the archive's present bytes; a frame
// index outside the table, an archive that can no longer be read, or a head
// that does not lie wholly inside the file gives nullopt.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "archive/conversion_state.h"
#include "archive/def_format.h"

namespace dw {

std::optional<FrameHeader> ReadFrameHeader(ConversionState& state, int32_t frameIndex);

// The head at offset of the given archive bytes.
std::optional<FrameHeader> ReadFrameHeaderAt(const std::vector<uint8_t>& archive, int32_t offset);

}  // namespace dw
