#include "app/sprite_export.h"

#include <cerrno>
#include <filesystem>
#include <tuple>

#include "app/program_state.h"
#include "app/wait_window.h"
#include "archive/stream.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

TEST(ShownImagePath, ReplacesEverythingFromTheFirstDotOfTheBaseName) {
  EXPECT_EQ((std::vector<std::string>{ShownImagePath("/out/strip"), ShownImagePath("/out/strip.old.bmp"),
                                      ShownImagePath("/my.folder/units.def"), ShownImagePath("strip.png")}),
            (std::vector<std::string>{"/out/strip.bmp", "/out/strip.bmp", "/my.folder/units.bmp", "strip.bmp"}));
}

class SpriteExportTest : public ProgramTest {
 protected:
  // The decoder's image of frame k named names[k]; an empty name writes no file.
  Contents Expected(const ArchiveSpec& plan, const std::vector<std::string>& names) {
    Contents contents;
    for (size_t k = 0; k < names.size(); ++k) {
      if (!names[k].empty()) contents[names[k]] = ExpectedBmp(plan, plan.frames[k]);
    }
    return contents;
  }
  TempDir out;
};

// A name another frame already took gets ~2; a hidden one unnamed-<index>.
TEST_F(SpriteExportTest, WritesEachSelectedFrameNamedAfterItInListOrder) {
  const ArchiveSpec plan = EightFrames({"walk01.pcx", "hero.big.pcx", "idle", "hero.x",
                                        "\xEA\xEE\xED\xFC.pcx", "a/b.pcx", "x.pcx", ".last"});
  Open(plan);
  WriteFile(out.File("walk01.bmp"), std::vector<uint8_t>(5000, 0xAB));
  std::filesystem::create_directory(out.File("x.bmp"));  // cannot be written: skipped
  ui::ChooseMenuItem(*window->mainMenu, kMarkAllItem);
  ClickItem(*window->frameList, 2, /*ctrl=*/true);

  Answer(out.path());
  ui::PerformClick(*window->saveSelectedButton);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].initialFolder, ProgramState().startFolder);
  EXPECT_EQ(FolderContents(out.path()),
            Expected(plan, {"walk01.bmp", "hero.bmp", "", "hero~2.bmp", "конь.bmp", "a_b.bmp", "",
                            "unnamed-7.bmp"}));
  EXPECT_EQ(std::tuple(ui::SelectedCount(*window->frameList), ui::InitialFolder(*window->saveFolderDialog),
                       ui::Text(*waitWindow->messageLabel), IsShownOnScreen(*waitWindow->form)),
            std::tuple(7, out.path(), std::string("Сохраняем спрайты..."), false));
}

TEST_F(SpriteExportTest, NothingSelectedWritesNothingButKeepsTheFolder) {
  ui::PerformClick(*window->saveSelectedButton);  // no frames: no dialog
  EXPECT_TRUE(requests.empty());
  Open(EightFrames());
  ClickItem(*window->frameList, 0, /*ctrl=*/true);
  ASSERT_EQ(ui::SelectedCount(*window->frameList), 0);
  Answer(out.path());
  ui::PerformClick(*window->saveSelectedButton);
  EXPECT_EQ(std::tuple(requests.size(), FolderContents(out.path()), ui::InitialFolder(*window->saveFolderDialog)),
            std::tuple(size_t{2}, Contents{}, out.path()));
}

TEST_F(SpriteExportTest, CtrlASelectsEveryFrameAndExportsThemAll) {
  const ArchiveSpec plan = EightFrames();
  Open(plan);
  Tick();
  Answer(out.path());
  SendKey(*window->frameList, 'A', ui::kAccelControl);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 8);
  ProcessEvents();
  EXPECT_TRUE(HasFocus(*window->frameList));  // the Wait window has handed the keyboard back
  EXPECT_EQ(FolderContents(out.path()), Expected(plan, {"walk01.bmp", "walk02.bmp", "walk03.bmp", "walk04.bmp",
                                                        "walk05.bmp", "walk06.bmp", "walk07.bmp", "walk08.bmp"}));
}

TEST_F(SpriteExportTest, ClickOnThePreviewSavesTheShownImageAsBmp) {
  ui::PerformClick(*window->previewArea);  // nothing shown yet
  EXPECT_TRUE(requests.empty());
  const ArchiveSpec plan = EightFrames();
  Open(plan);

  Answer(out.File("strip"));
  ClickControl(*window->previewArea);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].initialFileName, ProgramState().startFolder + "/a.def");
  EXPECT_EQ(FolderContents(out.path()), Expected(plan, {"strip.bmp"}));

  std::filesystem::remove(out.File("strip.bmp"));
  Answer(out.File("strip.png"));
  ClickControl(*window->previewArea);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].initialFileName, out.path() + "/a.def");
  EXPECT_EQ(FolderContents(out.path()), Expected(plan, {"strip.bmp"}));

  // A full disk leaves the old image whole and no other file.
  Answer(out.File("strip.bmp"));
  InjectWriteFault(100, ENOSPC);
  ClickControl(*window->previewArea);
  InjectWriteFault(-1, 0);
  EXPECT_EQ(FolderContents(out.path()), Expected(plan, {"strip.bmp"}));
}

}  // namespace
}  // namespace dw::testing
