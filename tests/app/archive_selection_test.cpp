#include "app/archive_selection.h"

#include <tuple>

#include "app/program_state.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

class ArchiveSelectionTest : public ProgramTest {
 protected:
  ArchiveSpec plan = EightFrames({"\xEA\xEE\xED\xFC.pcx"});  // "конь" in Windows-1251
};

TEST_F(ArchiveSelectionTest, OpeningListsFramesInOffsetOrderAndShowsFrameZero) {
  Open(plan, "units.def");
  EXPECT_EQ(Items(*window->frameList),
            (std::vector<std::string>{"конь.pcx", "walk02.pcx", "walk03.pcx", "walk04.pcx", "walk05.pcx",
                                      "walk06.pcx", "walk07.pcx", "walk08.pcx"}));
  EXPECT_EQ(std::tuple(ProgramState().archive.path, ui::CurrentIndex(*window->frameList),
                       ui::SelectedCount(*window->frameList), ui::IsItemSelected(*window->frameList, 0)),
            std::tuple(temp.path() + "/units.def", 0, 1, true));
  ExpectFrame(plan.frames[0]);
}

TEST_F(ArchiveSelectionTest, DoubleClickLoadsTheFileAgain) {
  Open(plan);
  plan.blocks.resize(1);  // frames 4 to 7
  WriteFile(temp.File("a.def"), BuildArchive(plan));
  DoubleClickItem(*window->defList, 0);
  EXPECT_EQ(Items(*window->frameList), (std::vector<std::string>{"walk05.pcx", "walk06.pcx", "walk07.pcx", "walk08.pcx"}));
  ExpectFrame(plan.frames[4]);
}

// A DEF file of the new folder is opened only when selected; one without
// frames empties the frame list and leaves the preview as it was.
TEST_F(ArchiveSelectionTest, TheOpenArchiveStaysUntilAFileOfANewFolderIsOpened) {
  TempDir other, out;
  WriteFile(other.File("b.def"), BuildArchive(ArchiveSpec{}));
  Open(plan);
  ClickItem(*window->frameList, 3);
  ChooseFolder(other.path());
  EXPECT_EQ(Items(*window->defList), std::vector<std::string>{"b.def"});
  EXPECT_EQ(ui::ItemCount(*window->frameList), 8);
  ClickItem(*window->frameList, 2);  // no DEF file is current: the preview stays
  ExpectFrame(plan.frames[3]);
  Answer(out.path());
  ui::PerformClick(*window->saveSelectedButton);
  EXPECT_EQ(FolderContents(out.path()), (Contents{{"walk03.bmp", ExpectedBmp(plan, plan.frames[2])}}));
  ClickItem(*window->defList, 0);
  EXPECT_EQ(ui::ItemCount(*window->frameList), 0);
  ExpectFrame(plan.frames[3]);
}

}  // namespace
}  // namespace dw::testing
