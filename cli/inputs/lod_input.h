// LOD containers as converter inputs. "X.lod" stands for the container's
// entries, "X.lod:NAME" for one of them (letter case ignored; the first ':'
// after ".lod" splits, so "X.lod:a:b.def" names the entry "a:b.def"). When
// several entries share a name, "X.lod:NAME" takes the first of them and
// says so; the later ones are "X.lod:NAME~2", "X.lod:NAME~3", ... (the number
// before the extension), which is also how a listing of the container's
// entries names them; "X.lod:#N" is the entry at position N of the table
// (as `list X.lod` numbers them) when no entry has that name. Entries are addressed by their position in the
// table, which is read once per operation.
//
// Within one operation (one run of the converter) the container's inflated
// bytes, summed over every entry, draw from one budget: --max-output, or by
// default the larger of 256 MiB and 1024 times the container's size; entries
// that name the same data inflate it once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/inputs/lod_container.h"
#include "cli/run/messages.h"

namespace dw::cli {

struct LodInput {
  std::string container;  // the LOD file's path
  std::string entry;      // the entry's name as given
};

// "X.lod:NAME" split after ".lod" (any letter case), only when that part is
// an existing file; otherwise nothing.
std::optional<LodInput> SplitLodInput(const std::string& input);

// Whether the path's name ends in ".lod" in any letter case.
bool HasLodExtension(const std::string& path);

// Forgets every container read so far, with its budget: a new operation.
void BeginLodOperation();

// The container at path as the operation reads it: its bytes and table,
// read once while the file is unchanged. Safe to call from several threads.
class LodSource;
std::shared_ptr<LodSource> OpenLodSource(const std::string& path);

class LodSource {
 public:
  const std::vector<uint8_t>& bytes() const { return *bytes_; }
  const LodIndex& index() const { return index_; }
  // The positions of the entries named name (letter case ignored), in table order.
  const std::vector<int32_t>* Named(const std::string& name) const;
  // How the entry at position is named as an input: "NAME", "NAME~K" for
  // the K-th entry of a shared name, or "#N" when another entry's name is
  // that.
  std::string InputName(int32_t position) const;
  // The entry that input's NAME picks (see above), or nothing; note tells,
  // when others share the name, which one was taken.
  std::optional<int32_t> Resolve(const std::string& name, std::string& note) const;
  // The entry's bytes, drawn from the container's budget (made by the first
  // extraction: maxOutput, or the default for the container's size); entries
  // that name the same data share one inflation. Nothing, with problem, when
  // it cannot be read.
  std::shared_ptr<const std::vector<uint8_t>> Extract(int32_t position, int64_t maxOutput,
                                                      LodProblem& problem);

  struct State;
  explicit LodSource(std::shared_ptr<const std::vector<uint8_t>> bytes);
  ~LodSource();

 private:
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
  LodIndex index_;
  std::unique_ptr<State> state_;
};

enum class LodEntryKind { Def, Pcx, Other };
// By the entry's name: ".def" or ".pcx" in any letter case, or anything else.
LodEntryKind KindOfEntry(const LodEntry& entry);

// "a DEF archive", "a PCX image" or "a file", for messages.
std::string LodEntryKindText(const LodEntry& entry);

// The file or folder name an entry exports to, made safe as frame names
// are: a DEF archive's folder "NAME" and a PCX image's "NAME.png" (NAME up to
// the first '.'), any other entry's own name; a name that would be empty or
// hidden becomes "unnamed-<position>".
std::string LodOutputName(const LodEntry& entry);

// The entry input names ("X.lod:NAME"), with its container; nothing when
// input names no entry of an existing container.
struct ResolvedLodInput {
  std::shared_ptr<LodSource> source;
  int32_t position = 0;
  const LodEntry& entry() const { return source->index().entries[size_t(position)]; }
};
std::optional<ResolvedLodInput> ResolveLodInput(const std::string& input);

// "X.lod:NAME" for every entry of the container at path (only those whose
// names end in ".def" unless allEntries), in table order; what keeps the
// container or some entries from being read goes to errors.
std::vector<std::string> LodEntryInputs(const std::string& path, std::vector<std::string>& errors,
                                        bool allEntries = false);

// The bytes of the entry named by input, within the container's budget
// (maxOutput, or the default for its size). Errors name the input; nothing
// is returned then.
std::shared_ptr<const std::vector<uint8_t>> ReadLodInput(const LodInput& lod,
                                                         const std::string& input,
                                                         int64_t maxOutput, Messages& messages);

}  // namespace dw::cli
