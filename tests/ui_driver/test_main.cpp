// The main of the ui and app tests: they drive real widgets and windows;
// without a display they run on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
