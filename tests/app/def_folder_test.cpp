#include "app/def_folder.h"

#include "app/program_state.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using DefFolderTest = ProgramTest;

// Which files a listing shows is file_listing's rule; this is its one row
// through the window: the DEF mask, names shown readable, nothing selected.
TEST_F(DefFolderTest, ListsTheDefFilesOfTheChosenFolderReadablyWithNothingSelected) {
  for (const char* name : {"B.DEF", "a.def", "\xEA\xEE\xED\xFC.def", "notes.txt"}) {
    WriteFile(temp.File(name), {1, 2, 3});
  }
  ChooseFolder(temp.path());
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].title, "Укажите путь к файлам DEF");
  EXPECT_EQ(requests[0].initialFolder, ProgramState().startFolder);
  EXPECT_EQ(Items(*window->defList), (std::vector<std::string>{"a.def", "B.DEF", "конь.def"}));
  EXPECT_EQ(ui::ItemData(*window->defList, 2), "\xEA\xEE\xED\xFC.def");
  EXPECT_EQ(ui::CurrentIndex(*window->defList), -1);
  EXPECT_EQ(ui::Text(*window->pathEdit), "/.../*.def");
}

TEST_F(DefFolderTest, CancelChangesNothingAndTheNextRunStartsAtTheFolderChosen) {
  TempDir empty;
  WriteFile(temp.File("a.def"), {});
  ChooseFolder(temp.path());
  ClickItem(*window->defList, 0);
  Answer(std::nullopt);
  ui::PerformClick(*window->browseButton);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].initialFolder, temp.path());
  EXPECT_EQ(Items(*window->defList), std::vector<std::string>{"a.def"});
  EXPECT_EQ(ui::CurrentIndex(*window->defList), 0);

  ChooseFolder(empty.path());
  EXPECT_EQ(ui::ItemCount(*window->defList), 0);
  EXPECT_EQ(ui::Text(*window->pathEdit), "/.../*.def");
}

TEST(DefMask, JoinsTheFolderAndThePattern) {
  EXPECT_EQ(DefMask("/home/me/defs"), "/home/me/defs/*.def");
  EXPECT_EQ(DefMask("/"), "//*.def");
}

}  // namespace
}  // namespace dw::testing
