#include "tests/ui/layer_fixture.h"

#include <algorithm>
#include <vector>

#include "archive/stream.h"

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
  std::vector<uint32_t> palette;
  const int stride = (width + 3) / 4 * 4;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      auto it = std::find(palette.begin(), palette.end(), pixel(x, y));
      if (it == palette.end()) it = palette.insert(it, pixel(x, y));
      // Rows are stored bottom-up.
      rows[static_cast<size_t>(height - 1 - y) * stride + x] =
          static_cast<uint8_t>(it - palette.begin());
    }
  }
  std::vector<uint8_t> bytes;
  auto put = [&bytes](uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  put('B' | 'M' << 8, 2);
  for (uint32_t field : {1078 + static_cast<uint32_t>(rows.size()), 0u, 1078u, 40u,
                         static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) {
    put(field, 4);
  }
  put(1, 2);
  put(8, 2);
  for (int i = 0; i < 6; ++i) put(0, 4);
  palette.resize(256);
  for (uint32_t colour : palette) put(colour, 4);  // 0x00RRGGBB is blue, green, red, 0
  bytes.insert(bytes.end(), rows.begin(), rows.end());

  dw::StreamPtr stream = dw::CreateMemoryStream();
  dw::WriteBytes(*stream, bytes.data(), static_cast<int32_t>(bytes.size()));
  dw::SeekTo(*stream, 0);
  auto bitmap = dw::CreateBitmap(1, 1);
  bitmap->LoadFromStream(*stream);
  dw::FreeStream(stream);
  return bitmap;
}

uint32_t RgbAt(const dw::ScreenImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0xDEADBEEF;
  return image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF;
}
