// Writing one output file of the converter: every image, animation, sheet,
// manifest and archive goes through WriteOutputFile, which writes it through
// an AtomicFile (whole or not at all) and words what went wrong.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "cli/run/write_problem.h"

namespace dw::cli {

class Messages;

struct WriteOutcome {
  WriteResult problem;  // nothing when the file is in place; else why not
  bool ok() const { return !problem; }
  // The disk or the user's quota is full: no later file can be written either.
  bool diskFull() const;
};

// write fills the file and returns nothing, or what went wrong (an
// encoder's refusal); a write the system refused is told by the file
// itself, with the system's error number.
WriteOutcome WriteOutputFile(const std::string& path,
                             const std::function<WriteResult(AtomicFile&)>& write);

// The same for bytes or text already made.
WriteOutcome WriteOutputFile(const std::string& path, const void* data, size_t size);

// One run of the converter: a full disk seen by any file (on any thread)
// halts it, and so does an interrupt; loops over frames and archives ask
// before each file. The run also remembers the folders it created.
void BeginOutputRun();
bool OutputHalted();
bool DiskFullSeen();
// Marks the run as halted by a full disk when outcome says so. True when the
// failure is to be told: any failure but a full disk another file (on
// another thread) has already told.
bool NoteOutcome(const WriteOutcome& outcome);
// Notes a failed outcome and, unless NoteOutcome keeps it quiet or the run
// was interrupted, tells it as an error naming path.
void TellWriteFailure(const std::string& path, const WriteOutcome& outcome, Messages& messages);
bool NoteSystemError(int error);

// Creates folder and the parents it lacks; false (with a message) when it
// cannot be made or a file is in the way.
bool MakeOutputFolder(const std::string& folder, Messages& messages);
// Removes the folders this run created and left empty, deepest first: a
// failed run leaves no empty folder behind.
void RemoveEmptyOutputFolders();

// The names archives' outputs are made from, in input order: the stem of
// each ("units" for "x/units.def"), the second of one stem "units~2", the
// third "units~3", so that no archive's output replaces another's.
std::vector<std::string> UniqueStems(const std::vector<std::string>& archives);

}  // namespace dw::cli
