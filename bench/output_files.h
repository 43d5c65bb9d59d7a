// The physical floor of an export: the same files with the same bytes, written
// from memory with one open, one write and one close each. Also the check that
// an export wrote exactly those bytes, so that no speed is measured on a path
// that writes something else.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace dw::bench {

struct OutputFile {
  std::string name;  // inside the folder written to
  std::vector<uint8_t> bytes;
};

// File name (without folder) -> the bytes the last writer of that name leaves.
using ExpectedFiles = std::map<std::string, std::vector<uint8_t>>;

// Creates or truncates folder + "/" + prefix + name, writes the bytes in one
// write and closes the file. False when it could not be written completely.
bool WriteFileOnce(const std::string& folder, const std::string& prefix, const OutputFile& file);
// The same for each file in order.
bool WriteFilesOnce(const std::string& folder, const std::vector<OutputFile>& files);

// Empty when the regular files anywhere below folder are exactly the expected
// ones, by name and bytes; otherwise a short description of the first difference.
std::string CompareFolder(const std::string& folder, const ExpectedFiles& expected);

// A new, empty folder below base whose name starts with tag.
std::string FreshFolder(const std::string& base, const std::string& tag);
void RemoveFolder(const std::string& folder);

// Writes back what is pending on the file system holding folder, so that the
// next timed step does not pay for earlier writes and deletions (freeing
// thousands of just-deleted files slows file creation that follows).
void SettleFileSystem(const std::string& folder);

}  // namespace dw::bench
