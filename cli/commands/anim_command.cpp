#include <CLI/CLI.hpp>
#include <memory>
#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "archive/decode_budget.h"
#include "archive/frame_decoder.h"
#include "archive/frame_source.h"
#include "archive/stop_request.h"
#include "cli/outputs/animation_writer.h"
#include "cli/inputs/archive_inputs.h"
#include "cli/run/batch_runner.h"
#include "cli/inputs/block_frames.h"
#include "cli/commands/command.h"
#include "cli/commands/commands.h"
#include "cli/run/shared_options.h"
#include "cli/run/diagnostic_report.h"
#include "cli/inputs/open_archive.h"
#include "cli/outputs/output_file.h"

namespace dw::cli {
namespace {

// Without --alpha: every index its palette colour, index 0 transparent.
std::array<Rgba, 256> IndexZeroClear(const Palette& palette) {
  std::array<Rgba, 256> colours;
  for (size_t i = 0; i < colours.size(); ++i)
    colours[i] = Rgba{palette[i].red, palette[i].green, palette[i].blue, 255};
  colours[0] = Rgba{};
  return colours;
}

// One archive: an animation per block that lists frames.
int AnimateArchive(const std::string& path, const std::string& stem, const AnimRequest& request,
                   Messages& messages) {
  const std::optional<OpenedArchive> opened = OpenArchive(path, messages, request.maxOutput);
  if (!opened) return 0;
  const Archive& archive = opened->archive;
  DecodeBudget budget = opened->Budget();
  FrameSource source(archive, opened->bytes, budget, DecodeOptions{request.alpha});
  ProblemReport problems(path, archive, messages);
  const std::vector<std::vector<BlockEntry>> blocks = EntriesByBlock(archive);
  const std::string extension = request.webp ? ".webp" : ".gif";
  int written = 0;
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks[b].empty()) continue;
    if (OutputHalted()) return written;
    DecodedHeads heads(source);  // one block's images at a time
    Animation animation;
    animation.palette = archive.palette;
    animation.delayMs = request.delayMs;
    animation.colours = request.alpha ? ColoursFor(archive.palette, archive.head.archiveType,
                                                   SpriteLayer::Whole, request.outline)
                                      : IndexZeroClear(archive.palette);
    for (const BlockEntry& entry : blocks[b]) {
      const IndexedImage* image = heads.Decode(entry.tableIndex, problems);
      if (image == nullptr) break;
      animation.width = std::max(animation.width, image->width);
      animation.height = std::max(animation.height, image->height);
      animation.frames.push_back(image);
    }
    if (heads.exhausted()) return written;
    const std::string file = request.outputFolder + "/" + stem + "-" +
                             std::to_string(archive.blocks[b].identifier) + extension;
    // What the encoder is handed (every frame on the whole canvas) is written
    // at most; what it holds meanwhile is drawn before it starts.
    const int64_t canvas = int64_t{animation.width} * animation.height * (request.webp ? 4 : 1);
    const int64_t held = request.webp ? WebpEncoderBytes(animation) : animation.width;
    if (!budget.ReserveDecoded(held) ||
        !budget.ReserveWritten(canvas * int64_t(animation.frames.size()))) {
      messages.Error(file + ": the animation of " + std::to_string(animation.width) + " x " +
                     std::to_string(animation.height) + " pixels would pass the limit of " +
                     std::to_string(budget.writtenLimit()) +
                     " bytes for one archive (raise it with --max-output)");
      return written;
    }
    const WriteOutcome outcome = WriteOutputFile(file, [&](AtomicFile& out) {
      return request.webp ? WriteWebp(out, animation) : WriteGif(out, animation);
    });
    if (outcome.ok()) ++written;
    else TellWriteFailure(file, outcome, messages);
  }
  return written;
}

}  // namespace

int RunAnim(const AnimRequest& request, Messages& messages) {
  const auto archives = ArchivesForOutput(request.inputs, request.outputFolder, messages);
  if (!archives) return messages.ExitStatus();
  if (!request.webp && request.delayMs < kMinGifDelayMs)
    messages.Note("a GIF delay of " + std::to_string(request.delayMs) + " ms is raised to " +
                  std::to_string(kMinGifDelayMs) + " ms: browsers play shorter delays at 100 ms");
  // Archives of one stem write units-1.gif, then units~2-1.gif, ...
  const std::vector<std::string> stems = UniqueStems(*archives);
  const int files =
      RunArchiveBatch(*archives, stems, request.jobs, messages, [&](size_t i, Messages& out) {
        return AnimateArchive((*archives)[i], stems[i], request, out);
      });
  messages.Summary(std::to_string(files) + " animation" + (files == 1 ? "" : "s") +
                   " written into " + request.outputFolder +
                   (DiskFullSeen() ? "; stopped: the disk is full" : ""));
  return messages.ExitStatus();
}

Command AddAnimCommand(CLI::App& app, bool& quiet) {
  struct Options {
    AnimRequest request;
    std::vector<std::string> paths;
    std::string format = "gif";
  };
  auto options = std::make_shared<Options>();
  AnimRequest& request = options->request;
  CLI::App* command = app.add_subcommand("anim", "Write one animated GIF or WebP per block");
  command->add_option("INPUT", options->paths, "DEF archives and folders of them, then OUTDIR")
      ->required()
      ->expected(1, -1);
  command->add_option("--format", options->format, "gif (default) or webp")
      ->check(OneOf({"gif", "webp"}))
      ->type_name("FORMAT");
  command->add_flag("--alpha", request.alpha,
                    "WebP: colours and alpha by the colour rule of export --alpha (shadows)");
  AddOutline(*command, request.outline);
  command
      ->add_option("--delay", request.delayMs,
                   "Milliseconds a frame shows (default 100); GIF rounds to hundredths of a "
                   "second and raises delays under 20 ms to 20")
      ->check(WholeNumber(10, 60000))
      ->type_name("MS");
  AddMaxOutput(*command, request.maxOutput);
  AddJobs(*command, request.jobs, kArchivesAtOnce);
  AddQuiet(*command, quiet);
  command->footer(
      "Frames play in directory order, every entry a frame of its own (repeats too), all on\n"
      "one canvas the size of the largest, each for --delay. GIF keeps index 0 transparent\n"
      "and every other index opaque (it has no partial alpha; --alpha is for WebP). Files:\n"
      "<archive stem>-<block id>.gif (or .webp).\n\n"
      "Example:\n  duskweave-convert anim --format webp --delay 80 creature.def anims/");
  return {command, [options](CommandContext& context) {
            AnimRequest& request = options->request;
            if (!SplitOutputFolder("anim", options->paths, request.inputs, request.outputFolder,
                                   context.err))
              return kUsageStatus;
            request.webp = options->format == "webp";
            if (request.alpha && !request.webp)
              return UsageError(context.err,
                                "--alpha needs --format webp (GIF keeps index 0 transparent)");
            if (request.outline && !request.alpha)
              return UsageError(context.err, "--outline goes with --alpha");
            return RunAnim(request, context.messages);
          }};
}

}  // namespace dw::cli
