#include "cli/outputs/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "archive/stop_request.h"
#include "cli/inputs/archive_inputs.h"
#include "cli/run/diagnostic_report.h"
#include "cli/run/messages.h"

namespace dw::cli {
namespace {

std::atomic<bool> diskFull{false};
std::mutex foldersMutex;
std::vector<std::string> createdFolders;  // in the order made: parents first

}  // namespace

void BeginOutputRun() {
  diskFull = false;
  std::lock_guard lock(foldersMutex);
  createdFolders.clear();
}

bool OutputHalted() {
  return diskFull || StopRequested();
}

bool DiskFullSeen() {
  return diskFull;
}

void TellWriteFailure(const std::string& path, const WriteOutcome& outcome, Messages& messages) {
  if (NoteOutcome(outcome) && !outcome.ok() && !StopRequested())
    messages.Error(path + ": " + DescribeWriteProblem(*outcome.problem));
}

bool NoteSystemError(int error) {
  return !DiskFull(error) || !diskFull.exchange(true);
}

bool NoteOutcome(const WriteOutcome& outcome) {
  return outcome.ok() ||
         NoteSystemError(outcome.problem->kind == WriteProblemKind::SystemRefused
                             ? outcome.problem->code
                             : 0);
}

bool MakeOutputFolder(const std::string& folder, Messages& messages) {
  std::lock_guard lock(foldersMutex);
  // Each missing component from the top down, so that the ones made here
  // are known.
  size_t end = 0;
  int error = 0;
  while (end != std::string::npos) {
    end = folder.find('/', end + 1);
    const std::string part = folder.substr(0, end);
    if (part.empty()) continue;
    if (::mkdir(part.c_str(), 0777) == 0) {
      createdFolders.push_back(part);
    } else if (errno != EEXIST) {
      error = errno;
      break;
    }
  }
  struct stat st {};
  if (error == 0 && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  messages.Error(folder + ": cannot create the output folder: " +
                 (error != 0 ? SystemReason(error) : "a file of that name is in the way"));
  return false;
}

void RemoveEmptyOutputFolders() {
  std::lock_guard lock(foldersMutex);
  // A folder that still holds anything stays: rmdir refuses it.
  for (auto folder = createdFolders.rbegin(); folder != createdFolders.rend(); ++folder)
    ::rmdir(folder->c_str());
  createdFolders.clear();
}

std::vector<std::string> UniqueStems(const std::vector<std::string>& archives) {
  std::vector<std::string> stems;
  stems.reserve(archives.size());
  for (const std::string& archive : archives) stems.push_back(ArchiveStem(archive));
  std::unordered_set<std::string> taken(stems.begin(), stems.end());
  std::unordered_set<std::string> used;
  std::unordered_map<std::string, int> next;
  for (std::string& stem : stems) {
    if (used.insert(stem).second) continue;
    int& n = next.try_emplace(stem, 2).first->second;
    std::string numbered;
    do {
      numbered = stem + "~" + std::to_string(n++);
    } while (taken.count(numbered) != 0 || used.count(numbered) != 0);
    used.insert(numbered);
    stem = std::move(numbered);
  }
  return stems;
}

bool WriteOutcome::diskFull() const {
  return problem && problem->kind == WriteProblemKind::SystemRefused && DiskFull(problem->code);
}

WriteOutcome WriteOutputFile(const std::string& path,
                             const std::function<WriteResult(AtomicFile&)>& write) {
  AtomicFile file(path);
  WriteOutcome outcome;
  if (file.ok()) outcome.problem = write(file);
  // An encoder that stops because a write failed says so in its own words;
  // the system's reason says more.
  if (!file.ok() || (!outcome.problem && !file.Commit())) {
    WriteProblem refused;
    refused.code = file.error();
    outcome.problem = refused;
  }
  return outcome;
}

WriteOutcome WriteOutputFile(const std::string& path, const void* data, size_t size) {
  return WriteOutputFile(path, [&](AtomicFile& file) -> WriteResult {
    file.Write(data, size);
    return std::nullopt;
  });
}

}  // namespace dw::cli
