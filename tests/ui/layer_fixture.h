// A fresh application object per test, freed afterwards; dialogs answered by
// nobody unless a test sets an answerer.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "image/bitmap.h"
#include "tests/ui_driver/ui_driver.h"
#include "ui/window_layer.h"

namespace dw::ui {
inline void PrintTo(const Rect& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
}  // namespace dw::ui

namespace ui = dw::ui;
namespace dt = dw::testing;

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A form under the application with the given client size.
  ui::Control& MakeForm(int clientWidth = 400, int clientHeight = 300,
                        const std::string& caption = "Form");

  ui::Control* app = nullptr;  // a test that ran the loop sets it to nullptr
};

// An 8-bit bitmap of width x height whose pixel (x, y) has colour
// pixel(x, y) (0xRRGGBB), loaded as the program loads a decoded frame; at most
// 256 distinct colours.
std::unique_ptr<dw::Bitmap> MakeBitmap(int width, int height, uint32_t (*pixel)(int x, int y));

// The pixel at (x, y) of a screen image as 0xRRGGBB.
uint32_t RgbAt(const dw::ScreenImage& image, int x, int y);
