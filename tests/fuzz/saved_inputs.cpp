#include "tests/fuzz/saved_inputs.h"

#include <cctype>
#include <sstream>
#include <stdexcept>

namespace dw::testing {

std::vector<uint8_t> DecodeSavedBytes(const std::string& text) {
  std::vector<uint8_t> out;
  std::istringstream tokens(text);
  std::string token;
  while (tokens >> token) {
    const size_t star = token.find('*');
    const std::string hex = token.substr(0, star);
    if (hex.size() % 2 != 0) throw std::invalid_argument("odd hex token " + token);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < hex.size(); i += 2)
      bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    const size_t times = star == std::string::npos ? 1 : std::stoul(token.substr(star + 1));
    for (size_t t = 0; t < times; ++t) out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

const std::vector<SavedInput>& SavedFuzzInputs() {
  static const std::vector<SavedInput> inputs = {
      // Hand-made damaged archives.
      {"empty", ""},
      {"head cut short", "01000000 0200"},
      {"huge block count, no blocks", "42000000 00000000 00000000 ffffff7f 00*768"},
      {"block declares int max frames",
       "42000000 00000000 00000000 01000000 00*768 00000000 ffffff7f 00*8 "
       "61616161616161616161616161"},
      {"negative frame count then a block",
       "42000000 00000000 00000000 02000000 00*768 00000000 fbffffff 00*8 00000000 "
       "01000000 00*8 78000000000000000000000000 10000000"},
      {"frame head inside a 7f palette",
       "42000000 00000000 00000000 01000000 7f*768 00000000 01000000 00*8 "
       "70000000000000000000000000 10000000"},
      {"byte runs rows point at their own table",
       "42000000 00000000 00000000 01000000 00*768 00000000 01000000 00*8 "
       "74000000000000000000000000 31030000 00000000 01000000 08000000 04000000 "
       "08000000 a0860100 00000000 00000000 00000000 00000000 fcffffff 00943577"},
      {"segment table stride beyond the file",
       "42000000 00000000 00000000 01000000 00*768 00000000 01000000 00*8 "
       "73000000000000000000000000 31030000 00000000 03000000 04000000 04000000 "
       "ffffff7f 04000000 fdffffff fdffffff 0200 e1"},
      {"row runs, offsets at the end of the file",
       "42000000 00000000 00000000 01000000 00*768 00000000 01000000 00*8 "
       "72000000000000000000000000 31030000 00000000 02000000 21000000 03000000 "
       "28000000 03000000 00000000 00000000 0600 0700 0800 ff"},
      {"frame head cut short",
       "42000000 00000000 00000000 01000000 00*768 00000000 01000000 00*8 "
       "63000000000000000000000000 31030000 00000000 01000000 08000000"},
      {"negative offset and index edges",
       "42000000 00000000 00000000 01000000 00*768 00000000 02000000 00*8 "
       "6d000000000000000000000000 6e000000000000000000000000 00000080 ffffff7f"},
      // Found by the fuzzer.
      {"a zero-width frame two billion rows tall",
       "42 00*11 ffffff7f 00*358 05 00*100 6f 00*24 ff*59 00*421 05 00*100 6f 00*24 ff*59 "
       "00*58 "},
  };
  return inputs;
}

}  // namespace dw::testing
