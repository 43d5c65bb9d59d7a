// The frames of an archive's blocks in directory order, decoded once per
// head for one operation: what animations and sprite sheets are made of.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/frame_source.h"
#include "cli/run/diagnostic_report.h"

namespace dw::cli {

struct BlockEntry {
  int32_t tableIndex = -1;
  int32_t positionInBlock = 0;
};

// The archives named by inputs (files and folders, as export takes them),
// with what could not be found reported, once the output folder exists;
// nothing when it cannot be made.
std::optional<std::vector<std::string>> ArchivesForOutput(const std::vector<std::string>& inputs,
                                                         const std::string& outputFolder,
                                                         Messages& messages);

// Per block, its entries in directory order with their table indices.
std::vector<std::vector<BlockEntry>> EntriesByBlock(const Archive& archive);

// Decoded images by head offset, each decoded once, every decode drawn from
// the source's budget. Decode returns nullptr once the budget has run out.
class DecodedHeads {
 public:
  explicit DecodedHeads(FrameSource& source) : source_(source) {}
  const IndexedImage* Decode(int32_t tableIndex, ProblemReport& problems);
  bool exhausted() const { return exhausted_; }
  void Clear() { images_.clear(); }

 private:
  FrameSource& source_;
  std::map<int32_t, IndexedImage> images_;
  bool exhausted_ = false;
};

}  // namespace dw::cli
