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
            (std::vector<std::string>{"конь.pcx", "f1.pcx", "f2.pcx", "f3.pcx", "f4.pcx", "f5.pcx",
                                      "f6.pcx", "f7.pcx"}));
  EXPECT_EQ(ProgramState().archive.path, temp.path() + "/units.def");
  EXPECT_EQ(std::tuple(ui::CurrentIndex(*window->frameList), ui::SelectedCount(*window->frameList),
                       ui::IsItemSelected(*window->frameList, 0)),
            std::tuple(0, 1, true));
  ExpectFrame(plan.frames[0]);
}

TEST_F(ArchiveSelectionTest, DoubleClickLoadsTheFileAgain) {
  Open(plan);
  plan.blocks[0].entries.resize(3);  // frames 7, 6 and 5
  WriteFile(temp.File("a.def"), BuildArchive(plan));
  DoubleClickItem(*window->defList, 0);
  EXPECT_EQ(Items(*window->frameList), (std::vector<std::string>{"f5.pcx", "f6.pcx", "f7.pcx"}));
  ExpectFrame(plan.frames[5]);
}

TEST_F(ArchiveSelectionTest, AnArchiveWithoutFramesKeepsThePreview) {
  WriteFile(temp.File("b.def"), BuildArchive(ArchiveSpec{}));
  Open(plan);
  ClickItem(*window->frameList, 3);
  ClickItem(*window->defList, 1);
  EXPECT_EQ(ui::ItemCount(*window->frameList), 0);
  ExpectFrame(plan.frames[3]);
}

TEST_F(ArchiveSelectionTest, ANewFolderKeepsTheOpenArchiveForPreviewAndExport) {
  TempDir other, out;
  WriteFile(other.File("b.def"), BuildArchive(ArchiveSpec{}));
  Open(plan);
  ChooseFolder(other.path());
  EXPECT_EQ(Items(*window->defList), std::vector<std::string>{"b.def"});
  EXPECT_EQ(ui::ItemCount(*window->frameList), 8);
  ClickItem(*window->frameList, 2);  // no DEF file is current: the preview stays
  ExpectFrame(plan.frames[0]);
  Answer(out.path());
  ui::PerformClick(*window->saveSelectedButton);
  EXPECT_EQ(FolderContents(out.path()), (Contents{{"f2.bmp", ExpectedBmp(plan, plan.frames[2])}}));
}

}  // namespace
}  // namespace dw::testing
