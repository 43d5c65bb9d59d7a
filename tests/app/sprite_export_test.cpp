#include "app/sprite_export.h"

#include <filesystem>

#include "app/program_state.h"
#include "app/wait_window.h"
#include "archive/stream.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

TEST(ShownImagePath, ReplacesEverythingFromTheFirstDotOfTheBaseName) {
  EXPECT_EQ(ShownImagePath("/out/strip"), "/out/strip.bmp");
  EXPECT_EQ(ShownImagePath("/out/strip.png"), "/out/strip.bmp");
  EXPECT_EQ(ShownImagePath("/out/strip.old.bmp"), "/out/strip.bmp");
  EXPECT_EQ(ShownImagePath("/my.folder/units.def"), "/my.folder/units.bmp");
  EXPECT_EQ(ShownImagePath("strip.png"), "strip.bmp");
}

class SpriteExportTest : public ProgramTest {
 protected:
  void Open(const ArchiveSpec& archive) {
    WriteFile(temp.File("units.def"), BuildArchive(archive));
    OpenArchive(temp.path(), "units.def");
  }
  TempDir out;
};

TEST_F(SpriteExportTest, WritesEachSelectedFrameNamedAfterItInListOrder) {
  const ArchiveSpec spec = EightFrames({"walk01.pcx", "hero.big.pcx", "idle", "hero.x",
                                        "\xEA\xEE\xED\xFC.pcx", "a/b.pcx", "x.pcx", "last"});
  Open(spec);
  WriteFile(out.File("walk01.bmp"), std::vector<uint8_t>(5000, 0xAB));
  std::filesystem::create_directory(out.File("x.bmp"));  // cannot be written: skipped
  ui::ChooseMenuItem(*window->mainMenu, kMarkAllItem);
  ClickItem(*window->frameList, 2, /*ctrl=*/true);

  Answer(out.path());
  ui::PerformClick(*window->saveSelectedButton);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].initialFolder, ProgramState().startFolder);
  EXPECT_EQ(FilesIn(out.path()), (std::vector<std::string>{"a_b.bmp", "hero.bmp", "last.bmp",
                                                           "walk01.bmp", "x.bmp", "конь.bmp"}));
  EXPECT_EQ(ReadFile(out.File("walk01.bmp")), ExpectedBmp(spec, spec.frames[0]));
  EXPECT_EQ(ReadFile(out.File("hero.bmp")), ExpectedBmp(spec, spec.frames[3]));
  EXPECT_EQ(ReadFile(out.File("конь.bmp")), ExpectedBmp(spec, spec.frames[4]));
  EXPECT_EQ(ReadFile(out.File("a_b.bmp")), ExpectedBmp(spec, spec.frames[5]));
  EXPECT_EQ(ReadFile(out.File("last.bmp")), ExpectedBmp(spec, spec.frames[7]));
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 7);
  EXPECT_EQ(ui::InitialFolder(*window->saveFolderDialog), out.path());
  EXPECT_EQ(ui::Text(*waitWindow->messageLabel), "Сохраняем спрайты...");
  EXPECT_FALSE(IsShownOnScreen(*waitWindow->form));
}

TEST_F(SpriteExportTest, NothingSelectedWritesNothingButKeepsTheFolder) {
  ui::PerformClick(*window->saveSelectedButton);  // no frames: no dialog
  EXPECT_TRUE(requests.empty());
  Open(EightFrames());
  ClickItem(*window->frameList, 0, /*ctrl=*/true);
  ASSERT_EQ(ui::SelectedCount(*window->frameList), 0);
  Answer(out.path());
  ui::PerformClick(*window->saveSelectedButton);
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_TRUE(FilesIn(out.path()).empty());
  EXPECT_EQ(ui::InitialFolder(*window->saveFolderDialog), out.path());
}

TEST_F(SpriteExportTest, CtrlASelectsEveryFrameAndExportsThemAll) {
  const ArchiveSpec spec = EightFrames();
  Open(spec);
  Tick();
  Answer(out.path());
  SendKey(*window->frameList, 'A', ui::kAccelControl);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 8);
  ASSERT_EQ(FilesIn(out.path()).size(), 8u);
  EXPECT_EQ(ReadFile(out.File("f6.bmp")), ExpectedBmp(spec, spec.frames[6]));
}

TEST_F(SpriteExportTest, ClickOnThePreviewSavesTheShownImageAsBmp) {
  ui::PerformClick(*window->previewArea);  // nothing shown yet
  EXPECT_TRUE(requests.empty());
  const ArchiveSpec spec = EightFrames();
  Open(spec);

  Answer(out.File("strip"));
  ClickControl(*window->previewArea);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].initialFileName, ProgramState().startFolder + "/units.def");
  StreamPtr saved = CreateReadStream(out.File("strip.bmp"));
  Bitmap image;
  image.LoadFromStream(*saved);
  ASSERT_EQ(image.Width(), 10);
  ASSERT_EQ(image.Height(), 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 10; ++x) ASSERT_EQ(image.PixelAt(x, y), FrameIndexAt(spec.frames[0], x, y));
  }

  std::filesystem::remove(out.File("strip.bmp"));
  Answer(out.File("strip.png"));
  ClickControl(*window->previewArea);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].initialFileName, out.path() + "/units.def");
  EXPECT_EQ(FilesIn(out.path()), std::vector<std::string>{"strip.bmp"});
}

}  // namespace
}  // namespace dw::testing
