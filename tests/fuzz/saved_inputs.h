// Inputs the DEF fuzz target has been run on and must keep surviving: the
// crashes, time-outs and memory blow-ups it found, and hand-made damaged
// archives. Kept as text: whitespace-separated tokens of hex bytes, where
// "HH*N" stands for the byte HH repeated N (decimal) times.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dw::testing {

struct SavedInput {
  const char* name;
  const char* bytes;
};

const std::vector<SavedInput>& SavedFuzzInputs();

std::vector<uint8_t> DecodeSavedBytes(const std::string& text);

}  // namespace dw::testing
