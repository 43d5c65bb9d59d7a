#include "app/command_line.h"

#include <map>
#include <tuple>

#include "app/archive_selection.h"
#include "app/program_state.h"
#include "tests/app/program_fixture.h"

namespace dw::testing {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, ArgumentsChooseWhatTheProgramDoes) {
  const std::tuple<std::vector<const char*>, Action, std::string> rows[] = {
      {{"duskweave"}, Action::Run, ""},
      {{"duskweave", "a.def"}, Action::Run, "a.def"},
      {{"duskweave", "--", "-x.def"}, Action::Run, "-x.def"},
      {{"duskweave", "-h", "a.def"}, Action::Help, ""},
      {{"duskweave", "--version"}, Action::Version, ""},
      {{"duskweave", "--frames"}, Action::Wrong, ""},
      {{"duskweave", "a.def", "b.def"}, Action::Wrong, ""},
  };
  for (const auto& [argv, action, file] : rows) {
    const CommandLine line = ParseCommandLine(int(argv.size()), argv.data());
    EXPECT_EQ(std::pair(line.action, line.file), std::pair(action, file)) << argv.back();
  }
}

TEST(CommandLine, ADisplayIsNamedOrAPlatformChosen) {
  const std::pair<std::map<std::string, std::string>, bool> rows[] = {
      {{}, false},
      {{{"DISPLAY", ""}}, false},
      {{{"DISPLAY", ":0"}}, true},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
  };
  for (const auto& [variables, expected] : rows) {
    EXPECT_EQ(HasDisplay([&](const char* name) {
                const auto at = variables.find(name);
                return at == variables.end() ? nullptr : at->second.c_str();
              }),
              expected);
  }
}

using StartArchiveTest = ProgramTest;

TEST_F(StartArchiveTest, AFileOnTheCommandLineIsOpenedAsIfChosenByHand) {
  const ArchiveSpec plan = EightFrames();
  WriteFile(temp.File("a.def"), BuildArchive(plan));
  WriteFile(temp.File("\xEA\xEE\xED\xFC.def"), BuildArchive(plan));
  OpenStartArchive(*window, temp.File("sub/../\xEA\xEE\xED\xFC.def"));
  EXPECT_EQ(Items(*window->defList), (std::vector<std::string>{"a.def", "конь.def"}));
  EXPECT_EQ(std::tuple(ui::CurrentIndex(*window->defList), ui::InitialFolder(*window->defFolderDialog),
                       ProgramState().archive.path, ui::ItemCount(*window->frameList)),
            std::tuple(1, temp.path(), temp.File("\xEA\xEE\xED\xFC.def"), 8));
  ExpectFrame(plan.frames[0]);
}

}  // namespace
}  // namespace dw::testing
