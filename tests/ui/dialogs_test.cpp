// The folder-browse and save dialogs, answered through the test seam and, as
// real Qt file dialogs, by a test acting as the person in front of them.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "tests/support/def_writer.h"
#include "tests/ui/layer_fixture.h"
#include "ui/dialog_rules.h"

namespace {

namespace fs = std::filesystem;

// Folders lose their trailing slash but the root stays; a name without an
// extension receives the default; filter strings become Qt's name filters.
TEST(DialogRules, FoldersExtensionsAndFilters) {
  using Strings = std::vector<std::string>;
  EXPECT_EQ((Strings{ui::NormaliseFolder("/home/me/defs/"), ui::NormaliseFolder("/home/me/defs"),
                     ui::NormaliseFolder("/"), ui::NormaliseFolder("//")}),
            (Strings{"/home/me/defs", "/home/me/defs", "/", "/"}));
  EXPECT_EQ((Strings{ui::WithDefaultExtension("/tmp/strip", "bmp"),
                     ui::WithDefaultExtension("/tmp/strip.png", "bmp"),
                     ui::WithDefaultExtension("/tmp.d/strip", "bmp"),
                     ui::WithDefaultExtension("/tmp/strip", "")}),
            (Strings{"/tmp/strip.bmp", "/tmp/strip.png", "/tmp.d/strip.bmp", "/tmp/strip"}));
  EXPECT_EQ(ui::NameFilters("Bitmap (*.bmp)|*.bmp"), Strings{"Bitmap (*.bmp)"});
  EXPECT_EQ(ui::NameFilters("Images|*.bmp;*.png|All|*.*"), (Strings{"Images (*.bmp *.png)", "All (*.*)"}));
  EXPECT_EQ(ui::NameFilters("").size() + ui::NameFilters("Lonely").size(), 0u);
}

const char kFolderTitle[] = "Укажите путь к файлам DEF";
const char kBitmapFilter[] = "Bitmap (*.bmp)|*.bmp";

class Dialogs : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    form = &MakeForm();
    ui::SetDialogAnswerer([this](const ui::DialogRequest& request) {
      requests.push_back(request);
      if (chooseFilter > 0) request.chosenFilterIndex = chooseFilter;
      return answer;
    });
  }
  ui::Control* form = nullptr;
  std::optional<std::string> answer;
  int chooseFilter = 0;
  std::vector<ui::DialogRequest> requests;
};

TEST_F(Dialogs, FolderDialogReturnsTheChosenFolderAndACancelChangesNothing) {
  ui::FolderDialog& dialog = ui::CreateFolderDialog(*form, kFolderTitle);
  ui::SetInitialFolder(dialog, "/home/me");
  answer = "/data/defs/";
  EXPECT_TRUE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(ui::ChosenFolder(dialog), "/data/defs");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(std::tuple(requests[0].kind, requests[0].title, requests[0].initialFolder),
            std::tuple(ui::DialogRequest::Kind::Folder, std::string(kFolderTitle), std::string("/home/me")));
  answer.reset();
  EXPECT_FALSE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(ui::ChosenFolder(dialog), "/data/defs");
  EXPECT_EQ(ui::InitialFolder(dialog), "/home/me");
}

// The filter chosen is offered again next time; a cancelled run keeps it, and
// a filter that does not exist is not taken.
TEST_F(Dialogs, SaveDialogAddsTheDefaultExtensionKeepsTheChosenFilterAndACancelEmptiesTheName) {
  const std::string filter = std::string(kBitmapFilter) + "|All files|*.*";
  ui::FileDialog& dialog = ui::CreateSaveDialog(*form, filter, "bmp");
  ui::SetFileName(dialog, "/home/me/units.def");
  answer = "/tmp/no-such-folder-yet/strip";  // a name that does not exist is accepted
  chooseFilter = 2;
  EXPECT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(std::pair(ui::FileName(dialog), ui::FilterIndex(dialog)),
            std::pair(std::string("/tmp/no-such-folder-yet/strip.bmp"), 2));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(std::tuple(requests[0].kind, requests[0].initialFileName, requests[0].filter,
                       requests[0].defaultExtension, requests[0].filterIndex),
            std::tuple(ui::DialogRequest::Kind::Save, std::string("/home/me/units.def"), filter,
                       std::string("bmp"), 1));
  answer.reset();
  chooseFilter = 1;
  EXPECT_FALSE(ui::RunFileDialog(dialog));
  EXPECT_EQ(std::tuple(requests[1].filterIndex, ui::FilterIndex(dialog), ui::FileName(dialog)),
            std::tuple(2, 2, std::string()));
  answer = "/tmp/b.bmp";
  chooseFilter = 7;
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(ui::FilterIndex(dialog), 2);
}

// Without an answerer the dialogs are real Qt file dialogs.
class RealDialogs : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    form = &MakeForm();
    dt::ShowWindows(*app);
    fs::create_directories(root / "defs");
  }
  // Once the dialog is open: act on it, then answer it as its own buttons do
  // (accept, or reject), with the name typed into its name field if given.
  static void WhenOpen(std::function<void(QFileDialog&)> look, bool accept = true,
                       const fs::path& typed = {}) {
    dt::ScheduleAfter(50, [=] {
      auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(shown, nullptr);
      if (look) look(*shown);
      if (!typed.empty()) {
        auto* field = shown->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(field, nullptr);
        field->setText(QString::fromStdString(typed.string()));
      }
      accept ? static_cast<QDialog*>(shown)->accept() : shown->reject();
    });
  }
  ui::Control* form = nullptr;
  dw::testing::TempDir temp;
  const fs::path root = temp.path();
};

TEST_F(RealDialogs, FolderDialogOpensWithTheInitialFolderSelectedAndCanBeCancelled) {
  ui::FolderDialog& dialog = ui::CreateFolderDialog(*form, kFolderTitle);
  ui::SetInitialFolder(dialog, (root / "defs").string());
  QString title, directory, selected;
  WhenOpen([&](QFileDialog& shown) {
    title = shown.windowTitle();
    directory = shown.directory().absolutePath();
    selected = shown.selectedFiles().value(0);
  });
  ASSERT_TRUE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(std::tuple(title.toStdString(), directory.toStdString(), selected.toStdString(), ui::ChosenFolder(dialog)),
            std::tuple(std::string(kFolderTitle), root.string(), (root / "defs").string(), (root / "defs").string()));

  ui::FolderDialog& other = ui::CreateFolderDialog(*form, "t");
  WhenOpen(nullptr, /*accept=*/false);
  EXPECT_FALSE(ui::RunFolderDialog(other));
  EXPECT_EQ(ui::ChosenFolder(other), "");
}

TEST_F(RealDialogs, SaveDialogTakesANewNameAndAsksBeforeReplacingAFile) {
  ui::FileDialog& dialog = ui::CreateSaveDialog(*form, kBitmapFilter, "bmp");
  ui::SetFileName(dialog, (root / "units.def").string());
  QStringList filters;
  QString directory, suffix;
  WhenOpen(
      [&](QFileDialog& shown) {
        filters = shown.nameFilters();
        directory = shown.directory().absolutePath();
        suffix = shown.defaultSuffix();
      },
      true, root / "strip");
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(filters, QStringList{"Bitmap (*.bmp)"});
  EXPECT_EQ(std::tuple(directory.toStdString(), suffix.toStdString(), ui::FileName(dialog), ui::FilterIndex(dialog)),
            std::tuple(root.string(), std::string("bmp"), (root / "strip.bmp").string(), 1));

  std::ofstream(root / "old.bmp") << "x";
  bool asked = false;
  WhenOpen(
      [&](QFileDialog&) {
        dt::ScheduleAfter(50, [&] {
          auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          ASSERT_NE(question, nullptr);
          asked = true;
          question->button(QMessageBox::Yes)->click();
        });
      },
      true, root / "old.bmp");
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(std::pair(asked, ui::FileName(dialog)), std::pair(true, (root / "old.bmp").string()));
}

}  // namespace
