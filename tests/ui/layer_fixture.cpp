#include "tests/ui/layer_fixture.h"

#include <utility>

#include "archive/indexed_image.h"

void LayerTest::SetUp() {
  app = &ui::CreateApplication("Layer test");
}

void LayerTest::TearDown() {
  ui::SetDialogAnswerer(nullptr);
  if (app != nullptr) dt::FreeApplication(*app);
  app = nullptr;
}

ui::Control& LayerTest::MakeForm(int clientWidth, int clientHeight, const std::string& caption) {
  ui::Control& form = ui::CreateForm(*app, caption);
  ui::SetClientSize(form, clientWidth, clientHeight);
  return form;
}

std::unique_ptr<dw::Bitmap> MakeBitmap(int width, int height, uint32_t (*pixel)(int x, int y)) {
  dw::IndexedImage image{width, height, dw::StrideOf(width), {}, {}};
  image.pixels.resize(static_cast<size_t>(image.stride) * height);
  int colours = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = pixel(x, y);
      const dw::ColourQuad quad{uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 0};
      int index = 0;
      while (index < colours && !(image.palette[index] == quad)) ++index;
      if (index == colours) image.palette[colours++] = quad;
      image.TopRow(y)[x] = static_cast<uint8_t>(index);
    }
  }
  auto bitmap = dw::CreateBitmap(1, 1);
  bitmap->LoadIndexedImage(std::move(image));
  return bitmap;
}

uint32_t RgbAt(const dw::ScreenImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0xDEADBEEF;
  return image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF;
}
