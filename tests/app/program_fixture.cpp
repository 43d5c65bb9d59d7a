#include "tests/app/program_fixture.h"

#include <algorithm>
#include <filesystem>

#include "app/program.h"

namespace dw::testing {

void ProgramTest::SetUp() {
  application = &ui::CreateApplication("Larkspin");
  window = &CreateProgramWindows(*application);
  ui::SetDialogAnswerer([this](const ui::DialogRequest& request) {
    requests.push_back(request);
    std::optional<std::string> answer;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    return answer;
  });
  ShowWindows(*application);
}

void ProgramTest::TearDown() {
  ui::SetDialogAnswerer(nullptr);
  if (application != nullptr) FreeApplication(*application);
}

void ProgramTest::ChooseFolder(const std::string& folder) {
  Answer(folder);
  ui::PerformClick(*window->browseButton);
}

void ProgramTest::OpenArchive(const std::string& folder, const std::string& file) {
  ChooseFolder(folder);
  const std::vector<std::string> files = Items(*window->defList);
  const auto at = std::find(files.begin(), files.end(), file);
  ASSERT_NE(at, files.end()) << file;
  ClickItem(*window->defList, static_cast<int>(at - files.begin()));
}

void ProgramTest::Open(const ArchiveSpec& plan, const std::string& file) {
  WriteFile(temp.File(file), BuildArchive(plan));
  OpenArchive(temp.path(), file);
}

void ProgramTest::ExpectFrame(const SpriteFrame& frame) {
  ExpectPreview(frame.fullWidth, frame.fullHeight,
                [&](int x, int y) { return FrameIndexAt(frame, x, y); });
}

ArchiveSpec EightFrames(const std::vector<std::string>& names) {
  static constexpr int kWidths[] = {10, 11, 7, 13, 9, 6, 12, 5};
  static constexpr int kHeights[] = {12, 9, 16, 10, 11, 7, 13, 8};
  ArchiveSpec plan;
  plan.width = 16;
  plan.height = 16;
  plan.blocks.emplace_back();
  for (int k = 0; k < 8; ++k) {
    const int width = kWidths[k] - 2, height = kHeights[k] - 2;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = static_cast<uint8_t>(1 + (k * 31 + i) % 250);
    plan.frames.push_back(
        MakeFrame(k % 2, kWidths[k], kHeights[k], width, height, 1, 1, std::move(pixels)));
  }
  for (int k = 7; k >= 0; --k) {
    DirectoryEntry& entry = plan.blocks[0].entries.emplace_back();
    entry.name = k < static_cast<int>(names.size()) ? names[k] : "f" + std::to_string(k) + ".pcx";
    entry.frame = k;
  }
  return plan;
}

int FrameIndexAt(const SpriteFrame& frame, int x, int y) {
  const int column = x - frame.leftMargin, row = y - frame.topMargin;
  if (column < 0 || row < 0 || column >= frame.width || row >= frame.height) return 0;
  return frame.pixels[static_cast<size_t>(row) * frame.width + column];
}

uint32_t TestColour(int index) {
  const auto palette = ArchiveSpec::TestPalette();
  return (uint32_t{palette[3 * index]} << 16) | (uint32_t{palette[3 * index + 1]} << 8) |
         palette[3 * index + 2];
}

std::vector<std::string> Items(const Control& list) {
  std::vector<std::string> items;
  for (int i = 0; i < ui::ItemCount(list); ++i) items.push_back(ui::ItemText(list, i));
  return items;
}

Contents FolderContents(const std::string& folder) {
  Contents contents;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) contents[entry.path().filename()] = ReadFile(entry.path());
  }
  return contents;
}

}  // namespace dw::testing
