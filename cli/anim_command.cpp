#include <algorithm>
#include <filesystem>
#include <system_error>

#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_source.h"
#include "cli/animation_writer.h"
#include "cli/archive_inputs.h"
#include "cli/batch_runner.h"
#include "cli/block_frames.h"
#include "cli/commands.h"
#include "cli/diagnostic_report.h"
#include "cli/open_archive.h"

namespace dw::cli {
namespace {

// One archive: an animation per block that lists frames.
int AnimateArchive(const std::string& path, const AnimRequest& request, Messages& messages) {
  const std::optional<OpenedArchive> opened = OpenArchive(path, messages);
  if (!opened) return 0;
  const Archive& archive = opened->archive;
  DecodeBudget budget = DecodeBudget::ForInput(int64_t(opened->bytes->size()), request.maxOutput);
  FrameSource source(archive, opened->bytes, budget, DecodeOptions{});
  ProblemReport problems(path, archive, messages);
  const std::vector<std::vector<BlockEntry>> blocks = EntriesByBlock(archive);
  const std::string extension = request.webp ? ".webp" : ".gif";
  int written = 0;
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b].empty()) continue;
    DecodedHeads heads(source);  // one block's images at a time
    Animation animation;
    animation.palette = archive.palette;
    animation.delayMs = request.delayMs;
    for (const BlockEntry& entry : blocks[b]) {
      const IndexedImage* image = heads.Decode(entry.tableIndex, problems);
      if (image == nullptr) break;
      animation.width = std::max(animation.width, image->width);
      animation.height = std::max(animation.height, image->height);
      animation.frames.push_back(image);
    }
    if (heads.exhausted()) return written;
    const std::string file = request.outputFolder + "/" + ArchiveStem(path) + "-" +
                             std::to_string(archive.blocks[b].identifier) + extension;
    // What the encoder is handed: every frame on the whole canvas.
    const int64_t canvas = int64_t{animation.width} * animation.height * (request.webp ? 4 : 1);
    if (!budget.ReserveWritten(canvas * int64_t(animation.frames.size()))) {
      messages.Error(file + ": the animation would pass the limit of " +
                     std::to_string(budget.writtenLimit()) +
                     " bytes for one archive (raise it with --max-output)");
      return written;
    }
    const std::string error =
        request.webp ? WriteWebp(file, animation) : WriteGif(file, animation);
    if (error.empty()) {
      ++written;
    } else {
      messages.Error(file + ": " + error);
    }
  }
  return written;
}

}  // namespace

int RunAnim(const AnimRequest& request, Messages& messages) {
  const auto archives = ArchivesForOutput(request.inputs, request.outputFolder, messages);
  if (!archives) return messages.ExitStatus();
  std::vector<std::string> stems;  // archives of one stem write the same files
  for (const std::string& archive : *archives) stems.push_back(ArchiveStem(archive));
  const int files = RunArchiveBatch(*archives, stems, request.jobs, messages,
                                    [&](const std::string& archive, Messages& out) {
                                      return AnimateArchive(archive, request, out);
                                    });
  messages.Summary(std::to_string(files) + " animation" + (files == 1 ? "" : "s") +
                   " written into " + request.outputFolder);
  return messages.ExitStatus();
}

}  // namespace dw::cli
