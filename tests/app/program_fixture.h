// The window program under test: the application object with the main, About
// and Wait windows shown offscreen, dialogs answered from a script, and
// archives of distinct frames written by the test archive writer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_window.h"
#include "tests/support/def_writer.h"
#include "tests/ui_driver/ui_driver.h"

namespace dw::testing {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Answers the next dialog; nullopt cancels. Every request is kept in requests.
  void Answer(std::optional<std::string> answer) { answers.push_back(std::move(answer)); }
  // Chooses folder with "..." and opens its DEF file by a click on its item.
  void ChooseFolder(const std::string& folder);
  void OpenArchive(const std::string& folder, const std::string& file);
  // Writes plan as file into temp and opens it.
  void Open(const ArchiveSpec& plan, const std::string& file = "a.def");
  // Lets the 50 ms timer tick.
  void Tick() { ProcessEvents(120); }

  // The shown image, read back from the screen, must match index(x, y) at
  // every pixel of a width x height preview.
  template <class IndexAt>
  void ExpectPreview(int width, int height, IndexAt index);
  // The preview shows frame alone at its full size.
  void ExpectFrame(const SpriteFrame& frame);

  Control* application = nullptr;
  MainWindow* window = nullptr;
  std::vector<ui::DialogRequest> requests;
  std::deque<std::optional<std::string>> answers;
  TempDir temp;
};

// The tests' eight-frame archive (frame k named walk0<k+1>.pcx and listed
// k-th in offset order), frame k renamed names[k] where given.
ArchiveSpec EightFrames(const std::vector<std::string>& names = {});
// Palette index of frame's decoded image at (x, y), top row 0.
int FrameIndexAt(const SpriteFrame& frame, int x, int y);
// The screen colour (0xRRGGBB) of a palette index of the test palette.
uint32_t TestColour(int index);
std::vector<std::string> Items(const Control& list);
// Every regular file of folder with its bytes (subfolders left out).
using Contents = std::map<std::string, std::vector<uint8_t>>;
Contents FolderContents(const std::string& folder);

template <class IndexAt>
void ProgramTest::ExpectPreview(int width, int height, IndexAt index) {
  EXPECT_EQ(ui::Bounds(*window->previewArea), (ui::Rect{0, 0, width, height}));
  std::vector<uint32_t> expected;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) expected.push_back(TestColour(index(x, y)));
  }
  ScreenImage shown = GrabControl(*window->previewArea);
  for (uint32_t& pixel : shown.pixels) pixel &= 0xFFFFFF;
  EXPECT_EQ(std::tuple(shown.width, shown.height, shown.pixels), std::tuple(width, height, expected));
}

}  // namespace dw::testing
