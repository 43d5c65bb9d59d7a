// The folder-browse and save dialogs, answered through the test seam.
#include <unistd.h>

#include "tests/ui/layer_fixture.h"
#include "ui/dialog_rules.h"

namespace {

TEST(DialogRules, FoldersLoseTheirTrailingSlashButTheRootStays) {
  EXPECT_EQ(ui::NormaliseFolder("/home/me/defs/"), "/home/me/defs");
  EXPECT_EQ(ui::NormaliseFolder("/home/me/defs"), "/home/me/defs");
  EXPECT_EQ(ui::NormaliseFolder("/"), "/");
  EXPECT_EQ(ui::NormaliseFolder("//"), "/");
}

TEST(DialogRules, ANameWithoutExtensionReceivesTheDefault) {
  EXPECT_EQ(ui::WithDefaultExtension("/tmp/strip", "bmp"), "/tmp/strip.bmp");
  EXPECT_EQ(ui::WithDefaultExtension("/tmp/strip.png", "bmp"), "/tmp/strip.png");
  EXPECT_EQ(ui::WithDefaultExtension("/tmp.d/strip", "bmp"), "/tmp.d/strip.bmp");
  EXPECT_EQ(ui::WithDefaultExtension("/tmp/strip", ""), "/tmp/strip");
}

TEST(DialogRules, FilterStringsBecomeQtNameFilters) {
  EXPECT_EQ(ui::NameFilters("Bitmap (*.bmp)|*.bmp"), std::vector<std::string>{"Bitmap (*.bmp)"});
  EXPECT_EQ(ui::NameFilters("Images|*.bmp;*.png|All|*.*"),
            (std::vector<std::string>{"Images (*.bmp *.png)", "All (*.*)"}));
  EXPECT_TRUE(ui::NameFilters("").empty());
  EXPECT_TRUE(ui::NameFilters("Lonely").empty());
}

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

TEST_F(Dialogs, FolderDialogReturnsTheChosenFolder) {
  ui::FolderDialog& dialog = ui::CreateFolderDialog(*form, "Укажите путь к файлам DEF");
  ui::SetInitialFolder(dialog, "/home/me");
  answer = "/data/defs/";
  EXPECT_TRUE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(ui::ChosenFolder(dialog), "/data/defs");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].kind, ui::DialogRequest::Kind::Folder);
  EXPECT_EQ(requests[0].title, "Укажите путь к файлам DEF");
  EXPECT_EQ(requests[0].initialFolder, "/home/me");

  answer = "/";
  EXPECT_TRUE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(ui::ChosenFolder(dialog), "/");
}

TEST_F(Dialogs, ACancelledFolderDialogChangesNothing) {
  ui::FolderDialog& dialog = ui::CreateFolderDialog(*form, "t");
  answer = "/data";
  ASSERT_TRUE(ui::RunFolderDialog(dialog));
  answer.reset();
  EXPECT_FALSE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(ui::ChosenFolder(dialog), "/data");
  EXPECT_EQ(ui::InitialFolder(dialog), "");
}

TEST_F(Dialogs, SaveDialogAddsTheDefaultExtensionToANewName) {
  ui::FileDialog& dialog = ui::CreateSaveDialog(*form, "Bitmap (*.bmp)|*.bmp", "bmp");
  ui::SetFileName(dialog, "/home/me/units.def");
  answer = "/tmp/no-such-folder-yet/strip";  // a name that does not exist is accepted
  EXPECT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(ui::FileName(dialog), "/tmp/no-such-folder-yet/strip.bmp");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].kind, ui::DialogRequest::Kind::Save);
  EXPECT_EQ(requests[0].initialFileName, "/home/me/units.def");
  EXPECT_EQ(requests[0].filter, "Bitmap (*.bmp)|*.bmp");
  EXPECT_EQ(requests[0].defaultExtension, "bmp");

  answer = "/tmp/strip.png";
  EXPECT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(ui::FileName(dialog), "/tmp/strip.png");
}

TEST_F(Dialogs, ACancelledSaveDialogEmptiesTheName) {
  ui::FileDialog& dialog = ui::CreateSaveDialog(*form, "Bitmap (*.bmp)|*.bmp", "bmp");
  ui::SetFileName(dialog, "/tmp/x.bmp");
  EXPECT_FALSE(ui::RunFileDialog(dialog));
  EXPECT_EQ(ui::FileName(dialog), "");
}

TEST_F(Dialogs, TheChosenFilterIsOfferedAgainNextTime) {
  ui::FileDialog& dialog = ui::CreateSaveDialog(*form, "Bitmap (*.bmp)|*.bmp|All files|*.*", "bmp");
  EXPECT_EQ(ui::FilterIndex(dialog), 1);
  answer = "/tmp/a.bmp";
  chooseFilter = 2;
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(ui::FilterIndex(dialog), 2);
  chooseFilter = 0;
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(requests[1].filterIndex, 2);
  EXPECT_EQ(ui::FilterIndex(dialog), 2);
  // A cancelled run keeps the index; a filter that does not exist is not taken.
  answer.reset();
  chooseFilter = 1;
  EXPECT_FALSE(ui::RunFileDialog(dialog));
  EXPECT_EQ(ui::FilterIndex(dialog), 2);
  answer = "/tmp/b.bmp";
  chooseFilter = 7;
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(ui::FilterIndex(dialog), 2);
}

}  // namespace

// Without an answerer the dialogs are real Qt file dialogs; these tests act
// as the person in front of them.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

QFileDialog* OpenFileDialog() {
  return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
}

// What a person types into the dialog's name field.
void TypeName(QFileDialog& dialog, const fs::path& name) {
  auto* field = dialog.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(field, nullptr);
  field->setText(QString::fromStdString(name.string()));
}

class RealDialogs : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    form = &MakeForm();
    dt::ShowWindows(*app);
    root = fs::temp_directory_path() / ("dw-dialogs-" + std::to_string(::getpid()));
    fs::create_directories(root / "defs");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
    LayerTest::TearDown();
  }
  ui::Control* form = nullptr;
  fs::path root;
};

TEST_F(RealDialogs, FolderDialogOpensWithTheInitialFolderSelected) {
  ui::FolderDialog& dialog = ui::CreateFolderDialog(*form, "Укажите путь к файлам DEF");
  ui::SetInitialFolder(dialog, (root / "defs").string());
  QString title, directory, selected;
  dt::ScheduleAfter(50, [&] {
    QFileDialog* shown = OpenFileDialog();
    ASSERT_NE(shown, nullptr);
    title = shown->windowTitle();
    directory = shown->directory().absolutePath();
    selected = shown->selectedFiles().value(0);
    static_cast<QDialog*>(shown)->accept();  // as the dialog's own button does
  });
  ASSERT_TRUE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(title.toStdString(), "Укажите путь к файлам DEF");
  EXPECT_EQ(directory.toStdString(), root.string());
  EXPECT_EQ(selected.toStdString(), (root / "defs").string());
  EXPECT_EQ(ui::ChosenFolder(dialog), (root / "defs").string());
}

TEST_F(RealDialogs, CancellingTheFolderDialogReturnsFalse) {
  ui::FolderDialog& dialog = ui::CreateFolderDialog(*form, "t");
  dt::ScheduleAfter(50, [&] {
    if (QFileDialog* shown = OpenFileDialog()) shown->reject();
  });
  EXPECT_FALSE(ui::RunFolderDialog(dialog));
  EXPECT_EQ(ui::ChosenFolder(dialog), "");
}

TEST_F(RealDialogs, SaveDialogTakesANewNameAndAddsTheExtension) {
  ui::FileDialog& dialog = ui::CreateSaveDialog(*form, "Bitmap (*.bmp)|*.bmp", "bmp");
  ui::SetFileName(dialog, (root / "units.def").string());
  QStringList filters;
  QString directory, suffix;
  dt::ScheduleAfter(50, [&] {
    QFileDialog* shown = OpenFileDialog();
    ASSERT_NE(shown, nullptr);
    filters = shown->nameFilters();
    directory = shown->directory().absolutePath();
    suffix = shown->defaultSuffix();
    TypeName(*shown, root / "strip");
    static_cast<QDialog*>(shown)->accept();  // as the dialog's own button does
  });
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_EQ(filters, QStringList{"Bitmap (*.bmp)"});
  EXPECT_EQ(directory.toStdString(), root.string());
  EXPECT_EQ(suffix.toStdString(), "bmp");
  EXPECT_EQ(ui::FileName(dialog), (root / "strip.bmp").string());
  EXPECT_EQ(ui::FilterIndex(dialog), 1);
}

TEST_F(RealDialogs, ReplacingAnExistingFileAsksFirst) {
  std::ofstream(root / "old.bmp") << "x";
  ui::FileDialog& dialog = ui::CreateSaveDialog(*form, "Bitmap (*.bmp)|*.bmp", "bmp");
  bool asked = false;
  dt::ScheduleAfter(50, [&] {
    QFileDialog* shown = OpenFileDialog();
    ASSERT_NE(shown, nullptr);
    dt::ScheduleAfter(50, [&] {
      auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(question, nullptr);
      asked = true;
      question->button(QMessageBox::Yes)->click();
    });
    TypeName(*shown, root / "old.bmp");
    static_cast<QDialog*>(shown)->accept();  // as the dialog's own button does
  });
  ASSERT_TRUE(ui::RunFileDialog(dialog));
  EXPECT_TRUE(asked);
  EXPECT_EQ(ui::FileName(dialog), (root / "old.bmp").string());
}

}  // namespace
