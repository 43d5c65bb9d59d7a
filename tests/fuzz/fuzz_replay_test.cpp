#include <gtest/gtest.h>

#include <cstdint>

#include "tests/fuzz/saved_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace dw::testing {
namespace {

TEST(FuzzReplay, SavedInputsDecodeToWellFormedImages) {
  ASSERT_FALSE(SavedFuzzInputs().empty());
  for (const SavedInput& input : SavedFuzzInputs()) {
    SCOPED_TRACE(input.name);
    const std::vector<uint8_t> bytes = DecodeSavedBytes(input.bytes);
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
  }
}

TEST(FuzzReplay, SavedBytesNotationExpandsRepeats) {
  EXPECT_EQ(DecodeSavedBytes("0a0B 00*3\n ff"), (std::vector<uint8_t>{0x0A, 0x0B, 0, 0, 0, 0xFF}));
}

}  // namespace
}  // namespace dw::testing
