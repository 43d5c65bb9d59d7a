// Why an output file was not written, as a typed value;
// DescribeWriteProblem (diagnostic_report) words it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dw::cli {

enum class WriteProblemKind : uint8_t {
  SystemRefused,     // code: the system's error number
  PngSize,           // width, height: a PNG cannot hold them
  GifSize,           // a GIF needs 1 to 65535 pixels a side and a frame
  WebpSize,          // a WebP needs 1 to 16383 pixels a side and a frame
  EncoderRefused,    // detail: the encoding library's own words
  LibraryMismatch,   // the WebP library does not match its headers
  OutOfMemory,
  AnimationSetUp,    // the WebP animation could not be set up
  FrameNotEncoded,
  FrameNotAdded,
  AnimationNotAssembled,
};

struct WriteProblem {
  WriteProblemKind kind = WriteProblemKind::SystemRefused;
  int code = 0;
  int64_t width = 0, height = 0;
  std::string detail;
};

// What a writer returns: nothing when the file is filled, else why not.
using WriteResult = std::optional<WriteProblem>;

inline WriteProblem MakeWriteProblem(WriteProblemKind kind, std::string detail = {}) {
  WriteProblem problem;
  problem.kind = kind;
  problem.detail = std::move(detail);
  return problem;
}

}  // namespace dw::cli
