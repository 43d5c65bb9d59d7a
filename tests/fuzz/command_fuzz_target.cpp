// Fuzz entry: any bytes as the archive of one converter command (sheet, anim
// or strip, chosen when the target is built), run in-process under a small
// --max-output. Nothing may crash, and the command keeps to its budget: the
// sanitizers and libFuzzer's -rss_limit_mb catch what would not.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/converter.h"

#ifndef DUSKWEAVE_FUZZ_COMMAND
#define DUSKWEAVE_FUZZ_COMMAND "sheet"
#endif

namespace {

// A folder of the process's own, removed when it ends.
struct Folder {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("duskweave-fuzz-" + std::to_string(getpid())))
                         .string();
  Folder() { std::filesystem::create_directories(path); }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

const std::string& WorkFolder() {
  static const Folder folder;
  return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string archive = WorkFolder() + "/in.def";
  {
    std::ofstream file(archive, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  const std::string command = DUSKWEAVE_FUZZ_COMMAND;
  std::vector<std::string> args = {command, "--max-output", "16M"};
  // The input's length picks among the options, so that every path is tried.
  if (command == "anim" && size % 2 == 1) args.insert(args.end(), {"--format", "webp", "--alpha"});
  if (command == "sheet" && size % 2 == 1) args.insert(args.end(), {"--alpha", "--max-size", "64"});
  if (command == "sheet" && size % 3 == 0) args.push_back("--crop");
  if (command == "strip" && size % 2 == 1) args.push_back("--no-separator");
  if (command != "strip") args.insert(args.end(), {"-j", "1"});
  args.push_back(archive);
  args.push_back(WorkFolder() + (command == "strip" ? "/out.bmp" : "/out"));
  std::ostringstream out, err;
  dw::cli::RunConverter(args, out, err);
  return 0;
}
