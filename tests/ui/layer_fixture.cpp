#include "tests/ui/layer_fixture.h"

#include <map>
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

namespace {

void Put32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Put16(std::vector<uint8_t>& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

std::unique_ptr<dw::Bitmap> MakeBitmap(int width, int height, uint32_t (*pixel)(int x, int y)) {
  std::map<uint32_t, uint8_t> indexOf;
  std::vector<uint32_t> palette;
  const int stride = (width + 3) / 4 * 4;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t colour = pixel(x, y);
      auto [it, added] = indexOf.emplace(colour, static_cast<uint8_t>(palette.size()));
      if (added) palette.push_back(colour);
      rows[static_cast<size_t>(height - 1 - y) * stride + x] = it->second;  // bottom-up
    }
  }
  std::vector<uint8_t> bytes = {'B', 'M'};
  Put32(bytes, 1078 + static_cast<uint32_t>(rows.size()));
  Put32(bytes, 0);
  Put32(bytes, 1078);
  Put32(bytes, 40);
  Put32(bytes, static_cast<uint32_t>(width));
  Put32(bytes, static_cast<uint32_t>(height));
  Put16(bytes, 1);
  Put16(bytes, 8);
  for (int i = 0; i < 6; ++i) Put32(bytes, 0);
  for (int i = 0; i < 256; ++i) {
    const uint32_t colour = i < static_cast<int>(palette.size()) ? palette[i] : 0;
    bytes.push_back(static_cast<uint8_t>(colour));        // blue
    bytes.push_back(static_cast<uint8_t>(colour >> 8));   // green
    bytes.push_back(static_cast<uint8_t>(colour >> 16));  // red
    bytes.push_back(0);
  }
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
