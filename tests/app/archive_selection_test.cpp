#include "app/archive_selection.h"

#include "app/program_state.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using ArchiveSelectionTest = ProgramTest;

TEST_F(ArchiveSelectionTest, OpeningListsFramesInOffsetOrderAndShowsFrameZero) {
  const ArchiveSpec spec = EightFrames({"\xEA\xEE\xED\xFC.pcx"});  // "конь" in Windows-1251
  WriteFile(temp.File("units.def"), BuildArchive(spec));
  OpenArchive(temp.path(), "units.def");

  EXPECT_EQ(Items(*window->frameList),
            (std::vector<std::string>{"конь.pcx", "f1.pcx", "f2.pcx", "f3.pcx", "f4.pcx", "f5.pcx",
                                      "f6.pcx", "f7.pcx"}));
  EXPECT_EQ(ProgramState().archivePath, temp.path() + "/units.def");
  EXPECT_EQ(ui::CurrentIndex(*window->frameList), 0);
  EXPECT_EQ(ui::SelectedCount(*window->frameList), 1);
  EXPECT_TRUE(ui::IsItemSelected(*window->frameList, 0));
  ExpectPreview(10, 12, [&](int x, int y) { return FrameIndexAt(spec.frames[0], x, y); });
}

TEST_F(ArchiveSelectionTest, DoubleClickLoadsTheFileAgain) {
  ArchiveSpec spec = EightFrames();
  WriteFile(temp.File("units.def"), BuildArchive(spec));
  OpenArchive(temp.path(), "units.def");
  spec.blocks[0].entries.resize(3);  // frames 7, 6 and 5
  WriteFile(temp.File("units.def"), BuildArchive(spec));
  DoubleClickItem(*window->defList, 0);
  EXPECT_EQ(Items(*window->frameList), (std::vector<std::string>{"f5.pcx", "f6.pcx", "f7.pcx"}));
  ExpectPreview(6, 7, [&](int x, int y) { return FrameIndexAt(spec.frames[5], x, y); });
}

TEST_F(ArchiveSelectionTest, AnArchiveWithoutFramesKeepsThePreview) {
  const ArchiveSpec spec = EightFrames();
  WriteFile(temp.File("a.def"), BuildArchive(spec));
  WriteFile(temp.File("b.def"), BuildArchive(ArchiveSpec{}));
  OpenArchive(temp.path(), "a.def");
  ClickItem(*window->frameList, 3);
  ClickItem(*window->defList, 1);
  EXPECT_EQ(ui::ItemCount(*window->frameList), 0);
  ExpectPreview(13, 10, [&](int x, int y) { return FrameIndexAt(spec.frames[3], x, y); });
}

TEST_F(ArchiveSelectionTest, ANewFolderKeepsTheOpenArchiveForPreviewAndExport) {
  const ArchiveSpec spec = EightFrames();
  TempDir other, out;
  WriteFile(temp.File("a.def"), BuildArchive(spec));
  WriteFile(other.File("b.def"), BuildArchive(ArchiveSpec{}));
  OpenArchive(temp.path(), "a.def");
  ChooseFolder(other.path());
  EXPECT_EQ(Items(*window->defList), std::vector<std::string>{"b.def"});
  EXPECT_EQ(ui::ItemCount(*window->frameList), 8);

  ClickItem(*window->frameList, 2);  // no DEF file is current: the preview stays
  ExpectPreview(10, 12, [&](int x, int y) { return FrameIndexAt(spec.frames[0], x, y); });

  Answer(out.path());
  ui::PerformClick(*window->saveSelectedButton);
  EXPECT_EQ(FilesIn(out.path()), std::vector<std::string>{"f2.bmp"});
  EXPECT_EQ(ReadFile(out.File("f2.bmp")), ExpectedBmp(spec, spec.frames[2]));
}

}  // namespace
}  // namespace dw::testing
