#include "app/def_folder.h"

#include "app/program_state.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using DefFolderTest = ProgramTest;

// Which files a listing shows is file_listing's rule; this is its one row
// through the window: the DEF mask, names shown readable, nothing selected.
// A cancel changes nothing; the next run starts at the folder chosen.
TEST_F(DefFolderTest, ListsTheDefFilesOfTheChosenFolderReadablyAndACancelChangesNothing) {
  TempDir empty;
  for (const char* name : {"B.DEF", "a.def", "\xEA\xEE\xED\xFC.def", "notes.txt"}) {
    WriteFile(temp.File(name), {1, 2, 3});
  }
  ChooseFolder(temp.path());
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(std::pair(requests[0].title, requests[0].initialFolder),
            std::pair(std::string("Укажите путь к файлам DEF"), ProgramState().startFolder));
  EXPECT_EQ(Items(*window->defList), (std::vector<std::string>{"a.def", "B.DEF", "конь.def"}));
  EXPECT_EQ(ui::ItemData(*window->defList, 2), "\xEA\xEE\xED\xFC.def");
  EXPECT_EQ(std::pair(ui::CurrentIndex(*window->defList), ui::Text(*window->pathEdit)),
            std::pair(-1, std::string("/.../*.def")));
  ClickItem(*window->defList, 0);
  Answer(std::nullopt);
  ui::PerformClick(*window->browseButton);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].initialFolder, temp.path());
  EXPECT_EQ(std::pair(ui::ItemCount(*window->defList), ui::CurrentIndex(*window->defList)), std::pair(3, 0));

  ChooseFolder(empty.path());
  EXPECT_EQ(std::pair(ui::ItemCount(*window->defList), ui::Text(*window->pathEdit)),
            std::pair(0, std::string("/.../*.def")));
}

TEST(DefMask, JoinsTheFolderAndThePattern) {
  EXPECT_EQ(std::pair(DefMask("/home/me/defs"), DefMask("/")), std::pair(std::string("/home/me/defs/*.def"), std::string("//*.def")));
}

}  // namespace
}  // namespace dw::testing
