// The converter's subcommands, once the arguments are parsed. Each returns the
// exit status: 0 on success, 1 when an archive was unreadable or damaged or a
// file could not be written (whatever could be converted still is).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/frame_selection.h"
#include "cli/messages.h"

namespace dw::cli {

struct ListRequest {
  std::vector<std::string> archives;
  bool json = false;
};
int RunList(const ListRequest& request, std::ostream& out, Messages& messages);

enum class ImageFormat { Bmp, Png };

struct ExportRequest {
  std::vector<std::string> inputs;
  std::string outputFolder;
  FrameSelection frames;
  ImageFormat format = ImageFormat::Bmp;
  bool transparent = false;
  bool keepSpecial = false;
  bool manifest = false;
  bool uniqueNames = false;  // every table entry gets a file of its own
  bool lodFiles = false;     // folders also contribute their LOD containers' DEF entries
  int64_t maxOutput = 0;  // bytes one archive may decode and write; 0: from its size
};
int RunExport(const ExportRequest& request, Messages& messages);

struct StripRequest {
  std::string archive;
  std::string output;
  FrameSelection frames;
  bool separator = true;
  int64_t maxOutput = 0;
};
// An output of "-" writes the image to out.
int RunStrip(const StripRequest& request, std::ostream& out, Messages& messages);

}  // namespace dw::cli
