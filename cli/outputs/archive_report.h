// What `list` and `info` show of an archive: its head, and each frame of the
// table (sorted by offset) with the geometry from its head. As a table for
// people, or as JSON for scripts.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/def_format.h"
#include "archive/diagnostics.h"

namespace dw::cli {

struct FrameReport {
  int32_t index = 0;
  std::string name;  // UTF-8
  int32_t offset = 0;
  int32_t blockIdentifier = 0;
  int32_t blockPosition = 0;  // the block's place among the blocks
  int32_t indexInBlock = 0;
  std::optional<FrameHeader> head;  // none when the head lies outside the file
};

// Where a frame's table entry stands among the blocks.
struct FramePlace {
  int32_t blockIdentifier = 0;
  int32_t blockPosition = 0;
  int32_t indexInBlock = 0;
};

// Refers to the archive and its bytes (which must outlive it) and makes each
// frame's report when asked: an archive of 100,000 frames is reported without
// a second copy of its directory.
struct ArchiveReport {
  std::string path;
  int32_t type = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t blockCount = 0;
  const Archive* archive = nullptr;
  const std::vector<uint8_t>* bytes = nullptr;
  std::vector<FramePlace> places;  // per frame

  int32_t frameCount() const { return int32_t(places.size()); }
  FrameReport frame(int32_t index) const;
};

ArchiveReport ReportArchive(const Archive& archive, const std::vector<uint8_t>& bytes);

// The table for people, written straight to out.
void PrintReport(const ArchiveReport& report, std::ostream& out);
// The archive's JSON object with "frames" and "problems" left empty: the
// caller writes the frames (FrameToJson each) and knows what stderr showed.
nlohmann::ordered_json ReportHeadToJson(const ArchiveReport& report);
nlohmann::ordered_json FrameToJson(const FrameReport& frame);

// A frame's geometry as JSON fields (null values when its head is unreadable).
void AddFrameHead(nlohmann::ordered_json& frame, const std::optional<FrameHeader>& head);

// Names as a terminal may show them: control characters become "?", so that a
// name cannot move the cursor or change colours.
std::string PrintableName(const std::string& utf8);

}  // namespace dw::cli
