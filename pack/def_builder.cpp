#include "pack/def_builder.h"

#include <cstring>
#include <limits>

namespace dw::pack {
namespace {

void Put32(std::vector<uint8_t>& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

constexpr int64_t kMaxOffset = std::numeric_limits<int32_t>::max();

}  // namespace

std::optional<FrameName> NameField(const std::string& bytes) {
  if (bytes.size() > size_t(kFrameNameSize)) return std::nullopt;
  FrameName field{};
  std::memcpy(field.data(), bytes.data(), bytes.size());
  return field;
}

std::optional<std::vector<uint8_t>> BuildDef(const ArchivePlan& plan, std::string& error) {
  int64_t size = kDirectoryOffset;
  for (const BlockPlan& block : plan.blocks) {
    size += kBlockHeadSize + int64_t{kDirectoryBytesPerFrame} * int64_t(block.entries.size());
    for (const DirectoryEntry& entry : block.entries) {
      if (entry.frame >= plan.frames.size()) {
        error = "a directory entry names stored frame " + std::to_string(entry.frame) +
                " of " + std::to_string(plan.frames.size());
        return std::nullopt;
      }
    }
    if (size > kMaxOffset) break;
  }
  std::vector<int32_t> offsets;
  offsets.reserve(plan.frames.size());
  for (const StoredFrame& frame : plan.frames) {
    if (size > kMaxOffset) break;
    offsets.push_back(static_cast<int32_t>(size));
    size += kFrameHeaderSize + int64_t(frame.data.size());
  }
  if (size > kMaxOffset || plan.blocks.size() > size_t(kMaxOffset)) {
    error = "the archive would outgrow the 2 GiB that 32-bit offsets reach";
    return std::nullopt;
  }

  std::vector<uint8_t> out;
  out.reserve(size_t(size));
  Put32(out, plan.archiveType);
  Put32(out, plan.width);
  Put32(out, plan.height);
  Put32(out, static_cast<int32_t>(plan.blocks.size()));
  out.insert(out.end(), plan.palette.begin(), plan.palette.end());
  for (const BlockPlan& block : plan.blocks) {
    Put32(out, block.identifier);
    Put32(out, static_cast<int32_t>(block.entries.size()));
    out.insert(out.end(), block.reserved.begin(), block.reserved.end());
    for (const DirectoryEntry& entry : block.entries)
      out.insert(out.end(), entry.name.begin(), entry.name.end());
    for (const DirectoryEntry& entry : block.entries) Put32(out, offsets[entry.frame]);
  }
  for (const StoredFrame& frame : plan.frames) {
    // The decoder ignores dataSize; archives hold the length of the data
    // behind the head there, and so do ours.
    Put32(out, static_cast<int32_t>(frame.data.size()));
    Put32(out, frame.head.compression);
    Put32(out, frame.head.fullWidth);
    Put32(out, frame.head.fullHeight);
    Put32(out, frame.head.width);
    Put32(out, frame.head.height);
    Put32(out, frame.head.leftMargin);
    Put32(out, frame.head.topMargin);
    out.insert(out.end(), frame.data.begin(), frame.data.end());
  }
  return out;
}

}  // namespace dw::pack
