// What is wrong with a LOD container or one of its entries, as a typed value;
// DescribeLodProblem (diagnostic_report) words it.
#pragma once

#include <cstdint>
#include <string>

namespace dw::cli {

enum class LodProblemKind : uint8_t {
  NotAContainer,       // the file does not start with "LOD"
  HeadCutOff,          // bytes: the file's size, of: the head's size
  TableTooLong,        // bytes: entries the table claims, of: entries the file has room for
  DataOutside,         // bytes: the entry's stored bytes, offset: where, of: the file's size
  OverLimit,           // bytes: the entry once uncompressed, of: the limit
  ContainerOverLimit,  // of: the limit for the container's entries together
  CannotInflate,       // the inflater could not start
  InflatesPast,        // of: the stated size
  EndsShort,           // bytes: inflated before the stream ended, of: the stated size
  CutOff,              // bytes: inflated before the data ran out, of: the stated size
  StreamDamaged,       // detail: the inflater's own reason, when it gave one
};

struct LodProblem {
  LodProblemKind kind = LodProblemKind::NotAContainer;
  int64_t bytes = 0;
  int64_t of = 0;
  int64_t offset = 0;
  std::string detail;
};

inline LodProblem MakeLodProblem(LodProblemKind kind, int64_t bytes = 0, int64_t of = 0) {
  LodProblem problem;
  problem.kind = kind;
  problem.bytes = bytes;
  problem.of = of;
  return problem;
}

}  // namespace dw::cli
