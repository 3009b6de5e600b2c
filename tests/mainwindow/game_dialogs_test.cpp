#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "../catalogue/game_lines.h"
#include "catalogue/game_record.h"
#include "mainwindow/about_dialog.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/column_order_dialog.h"
#include "mainwindow/delete_inp_dialog.h"
#include "mainwindow/delete_rom_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/loading_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/mame_launcher.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/toolbar_buttons_dialog.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace cat = kestrune::catalogue;
using kestrune::test::GameLine;

// The program's windows started in a program folder of their own, with three games listed and
// every dialog opened without waiting for it.
class GameDialogsTest : public kestrune::test::ProgramFolderTest {
 protected:
  // A file whose content does not matter.
  void Write(const std::string& name, std::string_view bytes = "x") const { ProgramFolderTest::Write(name, bytes); }
  void Start() {
    Write("ini/kestrune.dat", GameLine("galaga") + "\r\n" +
                                  GameLine("pacman", [](cat::Tgameinfo& g) { g.romstatus = "9"; }) + "\r\n" +
                                  GameLine("mspacman", [](cat::Tgameinfo& g) { g.cloneof = "pacman"; }) + "\r\n");
    CreateWindows();
    Form1->SetDialogRunner([](QDialog& dialog) {
      dialog.open();
      return 0;
    });
    ShowAndWait();
  }
  int Select(const char* romname) const {
    Form1->gameList()->SelectGameByRom(romname);
    return Form1->gameList()->View()->SelectedRow();
  }
  std::string SelectedRom() const { return Form1->gameList()->GetSelectedRom().toStdString(); }
  static QString Text(QWidget* dialog, const char* label) { return dialog->findChild<QLabel*>(label)->text(); }
  static void Click(QWidget* dialog, const char* button) { dialog->findChild<QPushButton*>(button)->click(); }
  std::string Line(int index) const { return Form1->catalogue()[index]; }
};

// ---- Details ----

TEST_F(GameDialogsTest, DetailsShowTheSelectedGameAndStepWithoutPassingTheEnds) {
  Start();
  ASSERT_GE(Select("pacman"), 0);
  Form1->Menus()->Action("Show1")->trigger();
  ASSERT_TRUE(Form12->isVisible());
  EXPECT_EQ(Form12->windowTitle(), "\"pacman\" Details");
  EXPECT_EQ(Text(Form12, "frequency"), "60.606060 Hz");
  EXPECT_EQ(Text(Form12, "clone_name"), "N/A");
  EXPECT_EQ(Text(Form12, "status"), "") << "a status code outside the table";
  EXPECT_EQ(Text(Form12, "color_status"), "Good");

  const int games = Form1->gameList()->List().GameCount();
  Form1->gameList()->View()->SelectRow(games - 2);
  Click(Form12, "Button1");
  EXPECT_EQ(Form1->gameList()->View()->SelectedRow(), games - 1);
  const QString last = Form12->windowTitle();
  EXPECT_EQ(last, QString::fromStdString("\"" + SelectedRom() + "\" Details"));
  Click(Form12, "Button1");
  EXPECT_EQ(Form1->gameList()->View()->SelectedRow(), games - 1);
  EXPECT_EQ(Form12->windowTitle(), last);

  Form1->gameList()->View()->SelectRow(1);
  Click(Form12, "Button2");
  EXPECT_EQ(Form1->gameList()->View()->SelectedRow(), 0);
  Click(Form12, "Button2");
  EXPECT_EQ(Form1->gameList()->View()->SelectedRow(), 0);
  EXPECT_EQ(Form12->windowTitle(), QString::fromStdString("\"" + SelectedRom() + "\" Details"));
}

TEST_F(GameDialogsTest, PlayWithoutMameSaysSoAndStaysOpen) {
  Start();
  Select("galaga");
  Form12->open();
  Click(Form12, "Button3");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Warning);
  EXPECT_EQ(messages_[0].text, "\rNo Mame binary selected !");
  EXPECT_TRUE(Form12->isVisible());
  EXPECT_FALSE(Form1->Launcher()->IsRunning());
}

// ---- Deleting a game's recording or option file ----

TEST_F(GameDialogsTest, DeletingTheRecordingTrashesItAndLeavesTheOptionFileImage) {
  Write("inp/PACMAN.INP");
  Write("ini/pacman.ini");
  Start();
  Select("pacman");
  std::vector<std::string> trashed;
  OKBottomDlg1->SetRecycler([&trashed](const std::string& path) {
    trashed.push_back(path);
    return fs::remove(path);
  });
  OKBottomDlg1->open();
  EXPECT_EQ(Text(OKBottomDlg1, "Label1"), "Delete pacman.inp ?");
  EXPECT_EQ(OKBottomDlg1->windowTitle(), "Warning !");
  EXPECT_EQ(OKBottomDlg1->findChild<QPushButton*>("OKBtn")->text(), "Yes");
  EXPECT_EQ(OKBottomDlg1->findChild<QPushButton*>("CancelBtn")->text(), "No");
  Click(OKBottomDlg1, "OKBtn");
  EXPECT_FALSE(OKBottomDlg1->isVisible());
  EXPECT_EQ(trashed, std::vector<std::string>{Path("inp/PACMAN.INP").string()});
  EXPECT_EQ(OKBottomDlg1->LastOutcome(), DeleteSetFileDialog::Outcome::Deleted);
  EXPECT_EQ(OKBottomDlg1->StateImage(), 2);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(GameDialogsTest, DeletingTheOptionFileGoesToTheDesktopTrash) {
  Write("ini/pacman.ini");
  Write("inp/pacman.inp");
  Start();
  Select("pacman");
  fs::create_directories(Path("data"));
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Path("data").string()));
  OKBottomDlg->open();
  EXPECT_EQ(Text(OKBottomDlg, "Label1"), "Delete pacman.ini ?");
  Click(OKBottomDlg, "OKBtn");
  qunsetenv("XDG_DATA_HOME");
  EXPECT_EQ(OKBottomDlg->LastOutcome(), DeleteSetFileDialog::Outcome::Deleted);
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(fs::exists(Path("ini/pacman.ini")));
  EXPECT_TRUE(fs::exists(Path("data/Trash/files/pacman.ini")));
  EXPECT_EQ(OKBottomDlg->StateImage(), 1);
}

// A new user's desktop has made no trash yet: the deletion makes it and writes nothing into the
// program folder, which is the current folder.
TEST_F(GameDialogsTest, DeletingARecordingWithoutATrashFolderMakesTheUsersTrash) {
  Write("inp/pacman.inp");
  Start();
  Select("pacman");
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Path("home/.local/share").string()));
  OKBottomDlg1->open();
  Click(OKBottomDlg1, "OKBtn");
  qunsetenv("XDG_DATA_HOME");
  EXPECT_EQ(OKBottomDlg1->LastOutcome(), DeleteSetFileDialog::Outcome::Deleted);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(fs::exists(Path("home/.local/share/Trash/files/pacman.inp")));
  EXPECT_TRUE(fs::exists(Path("home/.local/share/Trash/info/pacman.inp.trashinfo")));
  for (const char* stray : {"files", "info", "inp/files", "inp/info"}) EXPECT_FALSE(fs::exists(Path(stray))) << stray;
}

TEST_F(GameDialogsTest, ATrashThatRefusesIsReportedAndNoStateChanges) {
  Write("ini/pacman.ini");
  Start();
  Select("pacman");
  OKBottomDlg->SetRecycler([](const std::string&) { return false; });
  OKBottomDlg->open();
  Click(OKBottomDlg, "OKBtn");
  EXPECT_TRUE(fs::exists(Path("ini/pacman.ini")));
  EXPECT_EQ(OKBottomDlg->LastOutcome(), DeleteSetFileDialog::Outcome::Failed);
  EXPECT_EQ(OKBottomDlg->StateImage(), -1);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(messages_[0].text.contains("pacman.ini could not be moved to the trash"));

  // No file at all: nothing happens and nothing is said.
  messages_.clear();
  Select("galaga");
  OKBottomDlg->open();
  Click(OKBottomDlg, "OKBtn");
  EXPECT_EQ(OKBottomDlg->LastOutcome(), DeleteSetFileDialog::Outcome::NoFile);
  EXPECT_TRUE(messages_.empty());
}

// ---- Moving the ROM archive ----

// The question is set as the window opens; the window must then be tall enough for all of it.
TEST_F(GameDialogsTest, TheQuestionsAreNeverClippedBeforeOrAfterAShorterOne) {
  Start();
  for (QDialog* dialog : std::vector<QDialog*>{OKBottomDlg2, OKBottomDlg, OKBottomDlg2}) {
    Select("pacman");
    dialog->open();
    ASSERT_TRUE(dialog->isVisible());
    const QLabel* question = dialog->findChild<QLabel*>("Label1");
    EXPECT_GE(question->height(), question->heightForWidth(question->width())) << question->text().toStdString();
    EXPECT_GE(dialog->height(), dialog->sizeHint().height());
    dialog->reject();
  }
}

TEST_F(GameDialogsTest, MovingTheArchiveEmptiesEveryRomFolderFlagsTheLineAndKeepsTheSelection) {
  Write("mame.ini", "rompath                   \"roms1;roms2\"\r\n");
  Write("roms1/pacman.zip", "first");
  Write("roms2/pacman.zip", "second");
  Write("badroms/pacman.zip", "already there");
  Start();
  Form1->gameList()->ShowAllGames();
  Select("pacman");
  Form1->Menus()->Action("MoveRomFileTo3")->trigger();
  ASSERT_TRUE(OKBottomDlg2->isVisible());
  EXPECT_EQ(OKBottomDlg2->windowTitle(), "Move pacman.zip Rom File");
  EXPECT_TRUE(Text(OKBottomDlg2, "Label1").startsWith("This is a parent Rom File."));
  Click(OKBottomDlg2, "OKBtn");

  EXPECT_EQ(OKBottomDlg2->MovedCount(), 2);
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("badroms/pacman.zip")), "already there");
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("badroms/pacman (2).zip")), "first");
  EXPECT_EQ(kestrune::test::ReadFileBytes(Path("badroms/pacman (3).zip")), "second");
  EXPECT_FALSE(fs::exists(Path("roms1/pacman.zip")));
  EXPECT_FALSE(fs::exists(Path("roms2/pacman.zip")));
  EXPECT_EQ(Line(1), GameLine("pacman", [](cat::Tgameinfo& g) {
              g.availflag = "1";
              g.romstatus = "2";
            }));
  EXPECT_EQ(SelectedRom(), "pacman");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(GameDialogsTest, AGameThatLeavesTheAvailableListHandsTheSelectionToItsNeighbour) {
  Write("roms/pacman.zip", "first");
  Start();
  Form1->gameList()->ShowAvailableGames();
  const int row = Select("pacman");
  ASSERT_GE(row, 0);
  OKBottomDlg2->open();
  Click(OKBottomDlg2, "OKBtn");
  EXPECT_EQ(Form1->gameList()->List().FindRomRow("pacman"), -1);
  EXPECT_EQ(Form1->gameList()->View()->SelectedRow(), std::min(row, Form1->gameList()->List().GameCount() - 1));
  EXPECT_NE(SelectedRom(), "");
}

TEST_F(GameDialogsTest, AMergedCloneMovesNothingAndSaysWhy) {
  Write("roms/pacman.zip", "parent");
  Start();
  Select("mspacman");
  const std::string before = Line(2);
  OKBottomDlg2->open();
  EXPECT_EQ(Text(OKBottomDlg2, "Label1"), "Move mspacman.zip file to 'Bad Roms' folder?");
  Click(OKBottomDlg2, "OKBtn");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, "This Rom File is merged within another Rom zipfile and cannot be deleted.");
  EXPECT_EQ(Line(2), before);
  EXPECT_TRUE(fs::exists(Path("roms/pacman.zip")));

  // Cancel moves nothing.
  messages_.clear();
  Select("pacman");
  OKBottomDlg2->open();
  Click(OKBottomDlg2, "CancelBtn");
  EXPECT_TRUE(fs::exists(Path("roms/pacman.zip")));
  EXPECT_TRUE(messages_.empty());
}

TEST(RomFoldersOf, ReadsMameIniAsMameDoes) {
  kestrune::test::TempDir dir;
  const std::string front = dir.folder();
  EXPECT_EQ(RomFoldersOf(front), std::vector<std::string>{front + "roms/"});
  kestrune::test::WriteFileBytes(dir / "mame.ini", "# no rom path\r\nhashpath hash\r\n");
  EXPECT_EQ(RomFoldersOf(front), std::vector<std::string>{front + "roms/"});
  const std::string home = qEnvironmentVariable("HOME").toStdString();
  kestrune::test::WriteFileBytes(dir / "mame.ini", "rompath \"/srv/roms;~/mame/roms;;mine\"\r\n");
  EXPECT_EQ(RomFoldersOf(front), (std::vector<std::string>{"/srv/roms/", home + "/mame/roms/", front + "mine/"}));
}

// ---- Columns, tool bar, about ----

TEST_F(GameDialogsTest, ColumnChoiceReachesTheGameListOnlyOnOk) {
  Start();
  QHeaderView* header = Form1->gameList()->View()->ReportView()->header();
  const std::vector<cat::ColumnPlace> before = HeaderLayout(header);
  Form1->Menus()->Action("CustomizeColumns1")->trigger();
  ASSERT_TRUE(Formcolumn->isVisible());
  QTreeWidget* right = Formcolumn->RightView();
  EXPECT_EQ(right->topLevelItemCount() + Formcolumn->LeftView()->topLevelItemCount(), 19);
  right->setCurrentItem(right->topLevelItem(0));
  Formcolumn->rightviewClick();
  Formcolumn->findChild<QPushButton*>("removebutton")->click();
  Formcolumn->findChild<QPushButton*>("Button6")->click();
  EXPECT_EQ(HeaderLayout(header), before);

  Formcolumn->open();
  right->setCurrentItem(right->topLevelItem(0));
  Formcolumn->rightviewClick();
  Formcolumn->findChild<QPushButton*>("removebutton")->click();
  const cat::ColumnChoice choice = Formcolumn->Choice();
  Formcolumn->findChild<QPushButton*>("Button5")->click();
  EXPECT_FALSE(Formcolumn->isVisible());
  const std::vector<cat::ColumnPlace> after = HeaderLayout(header);
  EXPECT_EQ(after, cat::LayoutOfChoice(choice, Form1->CatverPresent()));
  EXPECT_EQ(after.back(), (cat::ColumnPlace{0, 0})) << "the removed Game Name column stands last, hidden";
}

TEST_F(GameDialogsTest, ToolbarOkHidesTheUncheckedButtonsOnly) {
  Start();
  const auto& controls = Form1->Menus()->ToolbarControls();
  Form1->Menus()->Action("CustomizeToolbar1")->trigger();
  ASSERT_TRUE(Form13->isVisible());
  Form13->Buttons()[2]->setChecked(false);
  Form13->Buttons()[12]->setChecked(false);
  Form13->findChild<QPushButton*>("Button1")->click();
  EXPECT_FALSE(Form13->isVisible());
  EXPECT_FALSE(controls[2]->isVisible());
  EXPECT_FALSE(controls[12]->isVisible());
  EXPECT_TRUE(controls[1]->isVisible());
  EXPECT_TRUE(controls[0]->isVisible());
}

TEST_F(GameDialogsTest, ToolbarCancelKeepsTheBarAndTheStoredButtons) {
  Start();
  const auto& controls = Form1->Menus()->ToolbarControls();
  Form1->Menus()->Action("CustomizeToolbar1")->trigger();
  ASSERT_TRUE(Form13->isVisible());
  Form13->Buttons()[2]->setChecked(false);
  Form13->findChild<QPushButton*>("Button2")->click();
  EXPECT_FALSE(Form13->isVisible());
  EXPECT_TRUE(controls[2]->isVisible());
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(Form1->settings().ReadText(kestrune::settings::kUiSection, "toolbarbuttons"), "1111111111111");
}

TEST_F(GameDialogsTest, AboutShowsTheCreditsAndAnyClickClosesIt) {
  Start();
  for (const char* target : {"memo1", "Image1", ""}) {
    Form1->Menus()->Action("About2")->trigger();
    ASSERT_TRUE(Form6->isVisible()) << target;
    const QString text = Form6->findChild<QLabel*>("memo1")->text();
    EXPECT_TRUE(text.contains("Version " KESTRUNE_VERSION));
    EXPECT_TRUE(text.contains("Build : "));
    const QPixmap picture = Form6->findChild<QLabel*>("Image1")->pixmap();
    EXPECT_FALSE(picture.isNull());
    // Its own picture, not the panes' "no picture for this game".
    EXPECT_NE(picture.toImage().convertToFormat(QImage::Format_RGB32), BuiltInLogo());
    QWidget* widget = *target != '\0' ? Form6->findChild<QWidget*>(target) : Form6;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    EXPECT_FALSE(Form6->isVisible()) << target;
  }
}

// ---- Loading splash ----

TEST_F(GameDialogsTest, LoadingWindowNamesTheSelectedGame) {
  Start();
  Select("galaga");
  Form11->show();
  EXPECT_EQ(Form11->Loader()->objectName(), "loader");
  EXPECT_EQ(Form11->Loader()->text(), "Loading Game galaga");
  Form11->hide();
}

}  // namespace
