#include "cli/converter.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <memory>

#include "archive/stop_request.h"
#include "cli/commands/commands.h"
#include "cli/run/diagnostic_report.h"
#include "cli/inputs/frame_selection.h"
#include "cli/run/help_format.h"
#include "cli/inputs/lod_input.h"
#include "cli/run/messages.h"
#include "cli/outputs/output_file.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "cli/run/suggestion.h"

#ifndef DUSKWEAVE_VERSION
#define DUSKWEAVE_VERSION "unknown"
#endif

namespace dw::cli {
namespace {

constexpr int kUsageStatus = 2;

const char* const kMainFooter = R"(Exit status:
  0  success
  1  an archive was unreadable or damaged, or a file could not be written
     (everything else was still converted)
  2  wrong usage

Examples:
  duskweave-convert list creature.def
  duskweave-convert info --json creature.def > creature.json
  duskweave-convert export creature.def out/
  duskweave-convert export --format png --transparent defs/ png/
  duskweave-convert strip --frames 0,2,5 creature.def strip.bmp

Run 'duskweave-convert SUBCOMMAND --help' for the options of a subcommand.)";

const char* const kExportFooter =
    R"(A folder contributes every file of it whose name ends in .def (any case).
With one archive file as the only input the images go straight into OUTDIR;
a folder input, or several inputs, give each archive its own folder
OUTDIR/<archive name without extension>/ (a folder holding one DEF too).
Images are named after their frames: walk01.pcx becomes walk01.bmp; a later
frame of the same file name replaces the earlier one (a warning counts them)
unless --unique-names is given.

Examples:
  duskweave-convert export creature.def out/
  duskweave-convert export --frames 'walk*,0-3' creature.def out/
  duskweave-convert export --format png --transparent --manifest defs/ png/
  duskweave-convert export --vcmi creature.def mymod/content/sprites/)";

const char* const kStripFooter =
    R"(The strip has the height of the first frame; a separator column of index 0
stands between neighbouring frames unless --no-separator is given.

Examples:
  duskweave-convert strip creature.def strip.bmp
  duskweave-convert strip --frames 0,2,5 --no-separator creature.def strip.bmp)";

const char* const kFramesHelp =
    "Frames to use, comma-separated: indices (4), ranges (3-7), name patterns (walk*); "
    "default: all";

// Sizes as 4G, 512M, 100k (powers of 1024) or plain bytes.
void AddMaxOutput(CLI::App& command, int64_t& bytes) {
  command
      .add_option("--max-output", bytes,
                  "Most bytes one archive may decode and write (e.g. 16G); default: 1024 times "
                  "the archive's size (a LOD entry's once inflated), at least 256M. Real archives "
                  "write at most 212 times their size (274 MB over 120 of them), so the default "
                  "stops only damaged or hostile ones")
      ->transform(CLI::AsSizeValue(false))
      ->check(CLI::PositiveNumber)
      ->type_name("SIZE");
}

void AddJobs(CLI::App& command, int& jobs, const char* what) {
  command.add_option("-j,--jobs", jobs, what)->check(CLI::PositiveNumber)->type_name("N");
}

std::vector<std::string> SubcommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    names.push_back(sub->get_name());
  return names;
}

std::vector<std::string> OptionNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
  return names;
}

// CLI11's message, with the closest command or option when the user seems to
// have mistyped one.
std::string UsageProblem(const CLI::App& app, const std::vector<std::string>& args,
                         const CLI::ParseError& error) {
  std::string message = error.what();
  const CLI::App* command = nullptr;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    if (sub->parsed()) command = sub;
  std::string suggestion;
  if (command == nullptr) {
    const auto word = std::find_if(args.begin(), args.end(),
                                   [](const std::string& a) { return !a.empty() && a[0] != '-'; });
    if (word != args.end()) {
      message = "unknown command '" + *word + "'";
      suggestion = ClosestName(*word, SubcommandNames(app));
    }
  } else {
    for (const std::string& arg : args) {
      if (arg.size() < 2 || arg[0] != '-' || message.find(arg) == std::string::npos) continue;
      const std::string name = arg.substr(0, arg.find('='));
      suggestion = ClosestName(name, OptionNames(*command));
      if (!suggestion.empty()) break;
    }
  }
  if (!suggestion.empty()) message += " (did you mean " + suggestion + "?)";
  return message;
}

// Help text wrapped at 78 columns.
std::string WrappedText(const std::string& text) {
  std::string out, line;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > 78) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  return out + line;
}

// CLI11 wants the arguments last to first.
std::vector<std::string> Reversed(const std::vector<std::string>& args) {
  return std::vector<std::string>(args.rbegin(), args.rend());
}

// "-" names standard input or output, never a folder.
bool OutputFolderGiven(const std::string& folder, std::ostream& err) {
  if (folder != "-") return true;
  err << kProgramName << ": error: OUTDIR cannot be '-': images go into a folder "
      << "(only strip writes to standard output)\n"
      << "Run with --help for more information.\n";
  return false;
}

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const Terminal& terminal) {
  BeginLodOperation();  // LOD containers are read afresh, each with a budget of its own
  CLI::App app("duskweave-convert: convert DEF sprite archives into 8-bit BMP or PNG images",
               kProgramName);
  app.set_version_flag("--version", std::string(kProgramName) + " " + DUSKWEAVE_VERSION);
  app.require_subcommand(1);
  app.formatter(MakeHelpFormatter());

  bool quiet = false;
  app.add_flag("-q,--quiet", quiet, "Print errors and warnings only");

  ListRequest listRequest;
  CLI::App* list = app.add_subcommand("list", "Show an archive's head and its frames");
  list->add_option("ARCHIVE", listRequest.archives, "DEF archives")->required()->expected(1, -1);
  list->footer("Example:\n  duskweave-convert list creature.def");

  ListRequest infoRequest;
  CLI::App* info = app.add_subcommand("info", "Show what list shows, optionally as JSON");
  info->add_option("ARCHIVE", infoRequest.archives, "DEF archives")->required()->expected(1, -1);
  info->add_flag("--json", infoRequest.json, "Print JSON instead of a table");
  info->footer("Example:\n  duskweave-convert info --json creature.def");

  ExportRequest exportRequest;
  std::vector<std::string> exportPaths;
  std::string exportFrames;
  std::string format = "bmp";
  CLI::App* exportCommand =
      app.add_subcommand("export", "Write every frame (or the chosen ones) as an image file");
  // One list for both, split below: the output folder is the last path, and
  // options may stand anywhere between the paths.
  exportCommand
      ->add_option("INPUT", exportPaths,
                   "DEF archives and folders of them, then OUTDIR, the output folder (created "
                   "when missing)")
      ->required()
      ->expected(1, -1);
  CLI::Option* exportFramesOption =
      exportCommand->add_option("-f,--frames", exportFrames, kFramesHelp)->type_name("LIST");
  CLI::Option* exportFormatOption =
      exportCommand->add_option("--format", format, "Image format: bmp (default) or png")
      ->check(CLI::IsMember({"bmp", "png"}))
      ->type_name("FORMAT");
  exportCommand->add_flag("--transparent", exportRequest.transparent,
                          "PNG: make palette index 0 transparent");
  exportCommand->add_flag("--keep-special", exportRequest.keepSpecial,
                          "Keep shadow and outline runs as their palette index instead of 0");
  exportCommand->add_flag("--alpha", exportRequest.alpha,
                          "PNG: RGBA by the engine's colour rule, shadows black at alpha 64/128 "
                          "(implies --format png; see below)");
  exportCommand->add_flag("--outline", exportRequest.outline,
                          "With --alpha: keep the special 5, 6 and 7 (selection outline) opaque");
  exportCommand->add_flag("--layers", exportRequest.layers,
                          "PNG: per frame NAME.png (the body), NAME-shadow.png and "
                          "NAME-overlay.png (when the frame has them), by the colour rule");
  exportCommand->add_flag("--vcmi", exportRequest.vcmi,
                          "Write OUTDIR/<stem>.json and the images in OUTDIR/<stem>/, the "
                          "animation the VCMI engine loads in place of the DEF (implies "
                          "--alpha unless --layers)");
  exportCommand->add_flag("--crop", exportRequest.crop,
                          "Cut each image to the frame's stored rectangle; the manifest "
                          "records where it lies in the full frame");
  exportCommand->add_flag("--unique-names", exportRequest.uniqueNames,
                          "Give every frame its own file: later frames of a name get name~2, "
                          "name~3, ... instead of replacing the first");
  exportCommand->add_flag("--manifest", exportRequest.manifest,
                          "Also write <archive>.json with the head, palette, blocks and frames");
  exportCommand->add_flag("--lod", exportRequest.lodFiles,
                          "Folders also contribute the DEF archives inside their *.lod files");
  AddMaxOutput(*exportCommand, exportRequest.maxOutput);
  exportCommand
      ->add_option("-j,--jobs", exportRequest.jobs,
                   "Threads: archives converted at once, and the frames of an archive when "
                   "there are fewer archives than threads (the output is the same for any "
                   "number); default: one per core")
      ->check(CLI::PositiveNumber)
      ->type_name("N");
  exportCommand->add_flag("-q,--quiet", quiet, "Print errors and warnings only");
  exportCommand->footer(std::string(kExportFooter) + "\n\n" + WrappedText(kColourRuleText));

  StripRequest stripRequest;
  std::string stripFrames;
  bool noSeparator = false;
  CLI::App* strip = app.add_subcommand("strip", "Join frames side by side into one BMP image");
  strip->add_option("ARCHIVE", stripRequest.archive, "DEF archive")->required();
  strip->add_option("OUTPUT", stripRequest.output, "BMP file to write, or - for standard output")
      ->required();
  CLI::Option* stripFramesOption =
      strip
          ->add_option("-f,--frames", stripFrames,
                       "Frames in the order to join them, as for export; default: all")
          ->type_name("LIST");
  strip->add_flag("--no-separator", noSeparator, "Let neighbouring frames touch");
  AddMaxOutput(*strip, stripRequest.maxOutput);
  strip->footer(kStripFooter);

  PackRequest packRequest;
  CLI::App* pack =
      app.add_subcommand("pack", "Build a DEF archive from images and a manifest");
  pack->add_option("MANIFEST", packRequest.input,
                   "Manifest written by export --manifest or --vcmi, or with --from-folder a "
                   "folder holding pack.json")
      ->required();
  pack->add_option("OUTPUT", packRequest.output, "DEF archive to write")->required();
  pack->add_flag("--from-folder", packRequest.fromFolder,
                 "Read the folder's pack.json: blocks of image files, margins found by trimming");
  pack->add_flag("--remap", packRequest.remap,
                 "Map a colour in no palette entry to the nearest entry (default: an error)");
  pack->add_flag(
      "--dither", packRequest.dither,
      "With --from-folder and no palette: dither the images to the palette made for them");
  std::vector<std::string> packMore;
  pack->add_option("MORE", packMore,
                   "With --batch: more inputs; the last path is then the folder the archives go "
                   "to, each named after its manifest or folder (NAME.def)");
  bool packBatch = false;
  PackBatchRequest packBatchRequest;
  pack->add_flag("--batch", packBatch, "Pack several manifests or folders, one archive each");
  AddJobs(*pack, packBatchRequest.jobs, "With --batch: inputs packed at once (default: one per core)");
  pack->add_flag("-q,--quiet", quiet, "Print errors and warnings only");
  pack->footer(
      "Examples:\n  duskweave-convert export --manifest --keep-special creature.def out/\n"
      "  duskweave-convert pack out/creature.json creature.def\n"
      "  duskweave-convert pack --from-folder frames/ creature.def\n"
      "  duskweave-convert pack --batch --jobs 2 out/*.json packed/");

  AnimRequest animRequest;
  std::vector<std::string> animPaths;
  std::string animFormat = "gif";
  CLI::App* anim = app.add_subcommand("anim", "Write one animated GIF or WebP per block");
  anim->add_option("INPUT", animPaths, "DEF archives and folders of them, then OUTDIR")
      ->required()
      ->expected(2, -1);
  anim->add_option("--format", animFormat, "gif (default) or webp")
      ->check(CLI::IsMember({"gif", "webp"}))
      ->type_name("FORMAT");
  anim->add_flag("--alpha", animRequest.alpha,
                 "WebP: colours and alpha by the colour rule of export --alpha (shadows)");
  anim->add_flag("--outline", animRequest.outline,
                 "With --alpha: keep the special 5, 6 and 7 (selection outline) opaque");
  anim->add_option("--delay", animRequest.delayMs,
                   "Milliseconds a frame shows (default 100); GIF rounds to hundredths of a "
                   "second and raises delays under 20 ms to 20")
      ->check(CLI::Range(10, 60000))
      ->type_name("MS");
  AddMaxOutput(*anim, animRequest.maxOutput);
  AddJobs(*anim, animRequest.jobs,
          "Archives converted at once (the output is the same for any number); default: one per "
          "core");
  anim->add_flag("-q,--quiet", quiet, "Print errors and warnings only");
  anim->footer(
      "Frames play in directory order, every entry a frame of its own (repeats too), all on\n"
      "one canvas the size of the largest, each for --delay. GIF keeps index 0 transparent\n"
      "and every other index opaque (it has no partial alpha; --alpha is for WebP). Files:\n"
      "<archive stem>-<block id>.gif (or .webp).\n\n"
      "Example:\n  duskweave-convert anim --format webp --delay 80 creature.def anims/");

  SheetRequest sheetRequest;
  std::vector<std::string> sheetPaths;
  CLI::App* sheet = app.add_subcommand("sheet", "Write a sprite sheet PNG and a JSON atlas");
  sheet->add_option("INPUT", sheetPaths, "DEF archives and folders of them, then OUTDIR")
      ->required()
      ->expected(2, -1);
  sheet->add_option("--padding", sheetRequest.padding, "Pixels between and around cells (default 1)")
      ->check(CLI::Range(0, 1024))
      ->type_name("N");
  sheet->add_option("--max-size", sheetRequest.maxSize,
                    "Most pixels a page may be wide or tall (default 4096); rows wrap and "
                    "further pages <stem>-1.png, ... open where one would pass it")
      ->check(CLI::Range(16, 65535))
      ->type_name("N");
  sheet->add_flag("--crop", sheetRequest.crop, "Cells hold the stored rectangles only");
  sheet->add_flag("--alpha", sheetRequest.alpha, "RGBA by the colour rule of export --alpha");
  sheet->add_flag("--outline", sheetRequest.outline,
                  "With --alpha: keep the special 5, 6 and 7 (selection outline) opaque");
  AddMaxOutput(*sheet, sheetRequest.maxOutput);
  AddJobs(*sheet, sheetRequest.jobs,
          "Archives converted at once (the output is the same for any number); default: one per "
          "core");
  sheet->add_flag("-q,--quiet", quiet, "Print errors and warnings only");
  sheet->footer(
      "One cell per stored frame (entries naming the same frame share it), a new row for\n"
      "each block, frames in directory order; rows wrap and pages <stem>.png, <stem>-1.png,\n"
      "... open so that no page passes --max-size. A frame too large for a page alone is\n"
      "refused, naming the frame. The atlas <stem>.json lists the pages; each cell's page,\n"
      "rectangle (x, y, w, h), full size, left/top offsets within the full frame and offset\n"
      "in the archive; and every directory entry (table index, name, block, index in the\n"
      "block, offset) with the cell it shows.\n\n"
      "Example:\n  duskweave-convert sheet --crop --padding 2 creature.def sheets/");

  app.footer(kMainFooter);

  try {
    std::vector<std::string> reversed = Reversed(args);
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    err << kProgramName << ": error: " << UsageProblem(app, args, e) << '\n'
        << "Run with --help for more information.\n";
    return kUsageStatus;
  }

  // Without --frames every frame is used; an empty list given is a mistake.
  auto parseFrames = [&](const CLI::Option* option, const std::string& text,
                         FrameSelection& selection) {
    if (option->count() == 0) return true;
    std::string error;
    auto parsed = ParseFrameSelection(text, error);
    if (!parsed) {
      err << kProgramName << ": error: --frames: " << error << '\n'
          << "Run with --help for more information.\n";
      return false;
    }
    selection = std::move(*parsed);
    return true;
  };

  Messages messages(err, quiet, terminal.stderrIsTerminal);
  if (list->parsed()) return RunList(listRequest, out, messages);
  if (info->parsed()) return RunList(infoRequest, out, messages);
  if (exportCommand->parsed()) {
    if (exportPaths.size() < 2) {
      err << kProgramName << ": error: export needs at least one INPUT and the OUTDIR\n"
          << "Run with --help for more information.\n";
      return kUsageStatus;
    }
    if (!parseFrames(exportFramesOption, exportFrames, exportRequest.frames)) return kUsageStatus;
    if (!OutputFolderGiven(exportPaths.back(), err)) return kUsageStatus;
    exportRequest.outputFolder = exportPaths.back();
    exportRequest.inputs.assign(exportPaths.begin(), exportPaths.end() - 1);
    const auto usage = [&](const std::string& problem) {
      err << kProgramName << ": error: " << problem << "\n"
          << "Run with --help for more information.\n";
      return kUsageStatus;
    };
    if (exportRequest.layers && exportRequest.alpha)
      return usage("--layers and --alpha are two ways of colouring: choose one");
    if (exportRequest.vcmi && (exportFramesOption->count() > 0 || exportRequest.crop))
      return usage("--vcmi writes every frame whole: it does not go with --frames or --crop");
    if (exportRequest.vcmi && !exportRequest.layers) exportRequest.alpha = true;
    const bool rgba = exportRequest.alpha || exportRequest.layers;
    exportRequest.format = format == "png" || rgba ? ImageFormat::Png : ImageFormat::Bmp;
    if (rgba && format == "bmp" && exportFormatOption->count() > 0)
      return usage(std::string(exportRequest.alpha ? "--alpha" : "--layers") +
                   " needs --format png");
    if (exportRequest.outline && !exportRequest.alpha) {
      err << kProgramName << ": error: --outline goes with --alpha\n"
          << "Run with --help for more information.\n";
      return kUsageStatus;
    }
    if (exportRequest.transparent && exportRequest.format != ImageFormat::Png) {
      err << kProgramName << ": error: --transparent needs --format png\n"
          << "Run with --help for more information.\n";
      return kUsageStatus;
    }
    return RunExport(exportRequest, messages);
  }
  if (pack->parsed() && packBatch) {
    packBatchRequest.inputs = {packRequest.input, packRequest.output};
    packBatchRequest.inputs.insert(packBatchRequest.inputs.end(), packMore.begin(), packMore.end());
    packBatchRequest.outputFolder = packBatchRequest.inputs.back();
    packBatchRequest.inputs.pop_back();
    packBatchRequest.fromFolder = packRequest.fromFolder;
    return RunPackBatch(packBatchRequest, messages);
  }
  if (pack->parsed() && !packMore.empty()) {
    messages.Error("pack takes one input and one archive; for several, add --batch");
    return messages.ExitStatus();
  }
  if (pack->parsed()) return RunPack(packRequest, messages);
  if (anim->parsed()) {
    if (!OutputFolderGiven(animPaths.back(), err)) return kUsageStatus;
    animRequest.outputFolder = animPaths.back();
    animRequest.inputs.assign(animPaths.begin(), animPaths.end() - 1);
    animRequest.webp = animFormat == "webp";
    if (animRequest.alpha && !animRequest.webp) {
      err << kProgramName << ": error: --alpha needs --format webp (GIF keeps index 0 transparent)\n"
          << "Run with --help for more information.\n";
      return kUsageStatus;
    }
    if (animRequest.outline && !animRequest.alpha) {
      err << kProgramName << ": error: --outline goes with --alpha\n"
          << "Run with --help for more information.\n";
      return kUsageStatus;
    }
    return RunAnim(animRequest, messages);
  }
  if (sheet->parsed()) {
    if (sheetRequest.outline && !sheetRequest.alpha) {
      err << kProgramName << ": error: --outline goes with --alpha\n"
          << "Run with --help for more information.\n";
      return kUsageStatus;
    }
    if (!OutputFolderGiven(sheetPaths.back(), err)) return kUsageStatus;
    sheetRequest.outputFolder = sheetPaths.back();
    sheetRequest.inputs.assign(sheetPaths.begin(), sheetPaths.end() - 1);
    return RunSheet(sheetRequest, messages);
  }
  if (!parseFrames(stripFramesOption, stripFrames, stripRequest.frames)) return kUsageStatus;
  stripRequest.separator = !noSeparator;
  if (stripRequest.output == "-" && terminal.stdoutIsTerminal) {
    err << kProgramName << ": error: strip: standard output is a terminal; "
        << "redirect it to a file or name an output file\n";
    return 1;
  }
  return RunStrip(stripRequest, out, messages);
}

}  // namespace

int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const Terminal& terminal) {
  BeginOutputRun();
  int status = RunCommand(args, out, err, terminal);
  RemoveEmptyOutputFolders();
  // What went to standard output must have arrived: a full disk or a closed
  // pipe is a failure, not a silent loss. A failed write leaves its reason
  // in errno, which later calls that succeed do not change.
  out.flush();
  if (!out) {
    const int error = errno != 0 ? errno : EIO;
    err << kProgramName << ": error: cannot write to standard output: " << SystemReason(error)
        << '\n';
    status = std::max(status, 1);
  }
  if (StopRequested()) {
    err << kProgramName << ": error: interrupted; the files reported as written are complete, "
        << "no other file was left behind\n";
    return kStoppedStatus;
  }
  return status;
}

}  // namespace dw::cli
