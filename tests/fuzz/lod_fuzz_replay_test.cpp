// The LOD entry point's saved inputs, replayed by every build: containers the
// fuzzer found whose entries' input names once picked another entry.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/fuzz/saved_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace dw::testing {
namespace {

const SavedInput kSaved[] = {
    {"lod-numbered-name-collides",
     "4c 4f 44 00 c8 00 00 00 06 00 00 01 00 60 80 00 00 1a a0 00*57 4c 4f 44 00 c8 00 00 00 06 "
     "00*83 61 2e 64 65 66 00*11 1c 00 30 42 2e d5 ff 7f 00*54 05 00*25 71 2e 70 63 25 78 00*11 "
     "b6 04 00 00 12 00 00 00 01 00*7 74 2e 74 78 74 00*11 c8 04 00 00 02 00 00 00 01 00 00 00 "
     "0a 00 00 00 2e 2e 2f 2e 64 65 66 00*9 d2 04 00 00 55 03 00 00 01 00 00 00 2c 00 00 00 78 "
     "9c 73 62 60 60 60 81 62 46 86 51 30 0a 46 01 72 3e 48 d4 2b 48 ae 80 71 2f 99 21 00*11 48 "
     "01 00 00 55 03 00 00 01 00*7 70 2e 70 63 78 00*11 9d 04 00 00 7e 39 00 00 01 00 00 00 19 "
     "00*6 48 01 00 00 55 03 00 00 01 00*7 70 2e 70 63 78 00 00 71 2e 70 63 78 00*11 b6 04 00 00 "
     "12 00 00 00 01 00*7 74 2e 74 78 74 00*10 29 c8 04 00 00 02 00 00 00 01 00 00 00 0a 00 00 "
     "00 2e 2e 2f 2e 64 65 66 00*9 d2 04 00 00 55 03 00 00 01 00 00 00 2c 00 00 00 78 00*39 19 "
     "05 04 98 d0 30 5c 33 13 33 0b 00 64 cc 02 71 42 00 00 00 04 00 00 00 04 00 00 00 01 00*93 "
     "05 00*11 02 00*13 71 2e 70 63 25 78 00*11 b6 04 00 00 12 00 00 00 01 00*56 06 00*10 05 "
     "00*73 "},
};

TEST(LodFuzzReplay, SavedContainersReadWithinTheirBudget) {
  for (const SavedInput& input : kSaved) {
    SCOPED_TRACE(input.name);
    const std::vector<uint8_t> bytes = DecodeSavedBytes(input.bytes);
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
  }
}

}  // namespace
}  // namespace dw::testing
