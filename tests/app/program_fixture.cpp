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
  ArchiveSpec plan = EightFrameSpec();
  for (Block& block : plan.blocks) {
    for (DirectoryEntry& entry : block.entries) {
      if (entry.frame < static_cast<int>(names.size())) entry.name = names[entry.frame];
    }
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
