#include "mainwindow/setup_wizard_dialog.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/game_list.h"
#include "mainwindow/bad_roms_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/rom_scan_command_qt.h"
#include "settings/settings.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"
#include "support/zip_writer.h"
#include "taskdialog/task_dialog_qt.h"
#include "taskdialog/task_message_window.h"

namespace {

namespace fs = std::filesystem;
namespace cat = kestrune::catalogue;
namespace set = kestrune::settings;
namespace test = kestrune::test;
using Lines = std::vector<std::string>;

// Each game's romname and verdict, from catalogue lines.
std::map<std::string, std::string> Verdicts(const Lines& lines) {
  std::map<std::string, std::string> verdicts;
  for (const std::string& line : lines) {
    const std::size_t last = line.rfind('|');
    const std::size_t before = line.rfind('|', last - 1);
    verdicts[line.substr(before + 1, last - before - 1)] = line.substr(last + 1);
  }
  return verdicts;
}

// A first start in an empty program folder: the windows are made and the main window shown, with the
// wizard's modal show handed to the test.
class FirstRun : public test::ProgramFolderTest {
 protected:
  // A fake MAME that prints the test's game list for -listxml, with the given exit code.
  void WriteMame(int exitCode = 0) const {
    Write("list.xml", test::ReadFileBytes(test::TestDataDir() / "romscan/listxml/catalogue.xml"));
    WriteScript("mame", "if [ \"$1\" = -listxml ]; then cat '" + folder_ + "list.xml'; exit " +
                            std::to_string(exitCode) + "; fi\n");
  }
  void WriteArchives() const {
    Write("roms/neogeo.zip", test::StoredZip({{"sp-s2.sp1", "x", 0x9036D879}}));
    Write("roms/mslug.zip", test::StoredZip({{"201-p1.p1", "x", 0x08D8DAA5}}));
    Write("roms/galaga.zip", test::StoredZip({{"gg1_1b.3p", "x", 0x12345678}}));  // a bad dump
  }

  // Shows the main window; `walk` runs while the wizard is up (modally, from the first show).
  void Start(const std::function<void()>& walk) {
    CreateWindows();
    Form5->SetModalRunner([this, walk](QDialog& dialog) {
      modals_.push_back(dialog.objectName().toStdString());
      if (&dialog == Form9) {
        Form9->show();
        badRomsText_ = Form9->findChild<QPlainTextEdit*>("badromlist")->toPlainText().toStdString();
        Form9->hide();
        return;
      }
      welcome_ = Text("memo1");
      walk();
    });
    QObject::connect(Form5, &QDialog::finished, [this](int result) { wizardResult_ = result; });
    ShowAndWait();
  }
  static QPushButton* Button(const char* name) { return Form5->findChild<QPushButton*>(name); }
  static std::string Text(const char* label) { return Form5->findChild<QLabel*>(label)->text().toStdString(); }
  // Next, with the bad ROMs box ticked, then the scan to its end.
  void ScanWithNext() {
    Button("Button2")->click();
    Form5->findChild<QCheckBox*>("showbadroms")->setChecked(true);
    ASSERT_TRUE(WaitUntil([] { return !Form5->Scanning(); }, 180000));
    status_ = Text("vordering2");
  }
  Lines ListedRoms() const {
    Lines roms;
    GameListController& list = *Form1->gameList();
    for (int row = 0; row < list.List().GameCount(); ++row) {
      list.View()->SelectRow(row);
      roms.push_back(list.GetSelectedRom().toStdString());
    }
    return roms;
  }
  // The main window's Initialize Roms over the same folder, OK pressed once it has ended.
  void InitializeRoms() {
    RomScanCommand* command = Form1->RomScan();
    command->SetModalRunner([](QDialog&) { return int{QDialog::Accepted}; });
    QObject::connect(command, &RomScanCommand::scanEnded, [command] {
      QAbstractButton* ok = command->Dialog()->MessageForm()->findChild<QAbstractButton*>("OK");
      QTimer::singleShot(0, ok, &QAbstractButton::click);
    });
    Form1->Menus()->Action("Initialise1")->trigger();
  }

  Lines modals_;
  std::string welcome_;
  std::string status_;
  std::string badRomsText_;
  int wizardResult_ = -1;
};

TEST_F(FirstRun, WalksFromAnEmptyFolderToTheListOfAvailableSets) {
  WriteMame();
  WriteArchives();
  Write("mame.ini", "rompath elsewhere\n");  // the user's own, left from MAME
  Start([this] { ScanWithNext(); });

  EXPECT_EQ(welcome_.substr(0, 33), "A valid mamefile MAME was found.\n");
  EXPECT_EQ(status_, "Done!");
  EXPECT_EQ(wizardResult_, QDialog::Accepted);
  EXPECT_EQ(modals_, (Lines{"Form5", "Form9"}));
  EXPECT_EQ(badRomsText_, "mslugb.zip\ngalaga.zip\n\nBad roms found : 2");
  EXPECT_EQ(test::ReadFileBytes(folder_ + "mame.ini.bak"), "rompath elsewhere\n");
  EXPECT_FALSE(fs::exists(folder_ + "roms.dat"));
  EXPECT_FALSE(fs::exists(folder_ + "sets.dat"));
  // The catalogue is on disk and listed from the available sets on.
  cat::Catalogue saved;
  ASSERT_EQ(cat::LoadCatalogue(saved, folder_, nullptr), cat::CatalogueLoad::Loaded);
  EXPECT_EQ(saved.Count(), 7);
  EXPECT_EQ(Form1->catalogue().Lines(), saved.Lines());
  EXPECT_EQ(Form1->settings().ReadText(set::kUiSection, "roms"), "4/7");
  EXPECT_EQ(Form1->MameFile(), "mame");
  EXPECT_EQ(Form1->gameList()->Mode(), cat::ListMode::Available);
  EXPECT_EQ(ListedRoms(), (Lines{"mslug", "pong", "turned"}));

  // The main window's scan of the same folder comes to the same verdicts.
  const auto wizardVerdicts = Verdicts(saved.Lines());
  InitializeRoms();
  EXPECT_EQ(Verdicts(Form1->catalogue().Lines()), wizardVerdicts);
  EXPECT_EQ(wizardVerdicts.at("galaga"), "3");
  EXPECT_TRUE(messages_.empty()) << messages_.front().text.toStdString();

  // The bad ROMs dialog moves the archive it can and names the one merged into its parent's.
  Form9->show();
  Form9->findChild<QPushButton*>("Button2")->click();
  EXPECT_EQ(Form9->findChild<QPlainTextEdit*>("badromlist")->toPlainText().toStdString(),
            "mslugb.zip is a merged rom file. Not Moved!\ngalaga.zip Moved.\n\nDone.");
  EXPECT_FALSE(Form9->findChild<QPushButton*>("Button2")->isEnabled());
  EXPECT_TRUE(fs::exists(folder_ + "badroms/galaga.zip"));
  EXPECT_TRUE(fs::exists(folder_ + "roms/mslug.zip"));
}

TEST_F(FirstRun, ChoosesMameOnlyInTheProgramFolder) {
  WriteMame();
  fs::rename(folder_ + "mame", folder_ + "mame0251");
  fs::create_directories(folder_ + "other");
  fs::copy_file(folder_ + "mame0251", folder_ + "other/mame0251");
  std::vector<QString> answers = {QString::fromStdString(folder_ + "other/mame0251"),
                                  QString::fromStdString(folder_ + "mame0251")};
  std::string chosen;
  Start([&] {
    EXPECT_FALSE(Button("Button2")->isEnabled());
    Form5->SetFileChooser([&answers](const QString&) {
      const QString answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    });
    Button("Button1")->click();
    EXPECT_FALSE(Button("Button2")->isEnabled()) << "refused: another folder";
    Button("Button1")->click();
    EXPECT_TRUE(Button("Button2")->isEnabled());
    EXPECT_FALSE(Button("Button1")->isEnabled());
    chosen = Text("memo1");
    Button("exitbutton")->click();
  });

  EXPECT_EQ(welcome_.substr(0, 55), "No known Mame executable was found in the root folder.\n");
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"The mame file must be in the same folder as Kestrune !"});
  EXPECT_EQ(chosen.substr(0, 50), "\nYou have selected MAME0251 as a valid mame binary");
  EXPECT_EQ(wizardResult_, QDialog::Rejected);
  EXPECT_EQ(Form1->settings().ReadText(set::kUiSection, "mamefile"), "mame0251");
  EXPECT_EQ(Form1->MameFile(), "mame0251") << "the choice counts although no scan ran";
}

TEST_F(FirstRun, AFailedScanSaysWhyAndCanBeLeft) {
  WriteMame(/*exitCode=*/3);
  std::string memo;
  Start([&] {
    ScanWithNext();
    memo = Text("memo1");
    EXPECT_TRUE(Button("exitbutton")->isEnabled());
    EXPECT_TRUE(Button("Button2")->isEnabled()) << "Next tries again";
    Button("exitbutton")->click();
  });
  EXPECT_NE(memo.find("MAME ended with error code 3."), std::string::npos) << memo;
  EXPECT_EQ(wizardResult_, QDialog::Rejected);
  EXPECT_EQ(Form1->catalogue().Count(), 0);
  EXPECT_FALSE(fs::exists(folder_ + "roms.dat"));
}

// A program folder the user may not change (run by read_only_folder_test.sh): the scan names the file
// that could not be made and the system's reason, and does not blame MAME, which it never started.
using FirstRunOnAReadOnlyFolder = FirstRun;

TEST_F(FirstRunOnAReadOnlyFolder, AScanNamesTheListFileAndTheSystemsReason) {
  WriteMame();
  if (!UseReadOnlyView()) GTEST_SKIP() << "needs the read-only view of tests/app/read_only_folder_test.sh";
  std::string memo;
  Start([&] {
    ScanWithNext();
    memo = Text("memo1");
    Button("exitbutton")->click();
  });
  EXPECT_NE(memo.find("Initializing Roms failed:\nThe file \"" + folder_ + "roms.dat\" for MAME's game list cannot "
                      "be made: " + std::strerror(EROFS) + "\n"),
            std::string::npos)
      << memo;
  EXPECT_EQ(memo.find("MAME could not be started"), std::string::npos) << memo;
  EXPECT_EQ(status_, "Failed.");
}

// A MAME that never finishes its list: Cancel stays offered, stops it and leaves the setup with no
// catalogue, as a failed scan does.
TEST_F(FirstRun, CancelWhileMameListsStopsMameAndLeavesTheSetup) {
  Write("list.xml", test::ReadFileBytes(test::TestDataDir() / "romscan/listxml/catalogue.xml"));
  WriteScript("mame", "if [ \"$1\" = -listxml ]; then head -n 20 list.xml; echo $$ > mame.pid; exec sleep 600; fi\n");
  bool cancelEnabled = false;
  Start([&] {
    Button("Button2")->click();
    ASSERT_TRUE(WaitUntil([this] { return test::HasWholeLine(folder_ + "mame.pid"); }, 30000));
    cancelEnabled = Button("exitbutton")->isEnabled();
    Button("exitbutton")->click();
  });
  EXPECT_TRUE(cancelEnabled);
  EXPECT_EQ(wizardResult_, QDialog::Rejected);
  EXPECT_EQ(Form1->gameList()->PanelText(0), "No games: press F5 (Setup > Initialize Roms) to build the game list.");
  const int pid = std::stoi(test::ReadFileBytes(folder_ + "mame.pid"));
  EXPECT_TRUE(::kill(pid, 0) == -1 && errno == ESRCH) << "MAME was stopped";
  ASSERT_TRUE(WaitUntil([] { return !Form5->Scanning(); }, 30000));
  EXPECT_EQ(Text("memo1").find("Initializing Roms failed:\nInitializing Roms was cancelled."), 0u) << Text("memo1");
  EXPECT_EQ(Form1->catalogue().Count(), 0);
  EXPECT_FALSE(fs::exists(folder_ + "roms.dat"));
  if (fs::exists(folder_ + "ini/kestrune.dat")) {
    EXPECT_EQ(test::ReadFileBytes(folder_ + "ini/kestrune.dat"), "");
  }
}

// A setup left before its first scan finished says how to build the list and comes back at the next
// start, until a scan has made the list.
TEST_F(FirstRun, ALeftSetupSaysHowToBuildTheListAndComesBackUntilAScanMadeIt) {
  WriteMame();
  WriteArchives();
  const QString hint = "No games: press F5 (Setup > Initialize Roms) to build the game list.";
  const auto restart = [this](const std::function<void()>& walk) {
    ASSERT_TRUE(Form1->close());
    DestroyProgramWindows();
    modals_.clear();
    Start(walk);
  };
  Start([] { Button("exitbutton")->click(); });
  EXPECT_EQ(wizardResult_, QDialog::Rejected);
  EXPECT_EQ(Form1->gameList()->PanelText(0), hint);

  ASSERT_NO_FATAL_FAILURE(restart([this] { ScanWithNext(); }));
  EXPECT_EQ(modals_.front(), "Form5") << "the setup is offered again";
  EXPECT_EQ(status_, "Done!");
  EXPECT_EQ(Form1->gameList()->PanelText(0), "Listed : 3");

  ASSERT_NO_FATAL_FAILURE(restart([] {}));
  EXPECT_TRUE(modals_.empty()) << modals_.front();
  EXPECT_EQ(Form1->gameList()->PanelText(0), "Listed : 3");
}

TEST_F(FirstRun, TheInstalledMameListsPongAsAvailable) {
  const fs::path installed = "/usr/games/mame";
  if (!fs::exists(installed)) GTEST_SKIP() << "MAME is not installed";
  fs::create_symlink(installed, folder_ + "mame");
  Start([this] { ScanWithNext(); });
  EXPECT_EQ(status_, "Done!");
  Form1->gameList()->SearchBox()->setText("pong");
  Form1->gameList()->QuickSearch();
  const Lines listed = ListedRoms();
  EXPECT_NE(std::find(listed.begin(), listed.end(), "pong"), listed.end());
  EXPECT_EQ(Verdicts(Form1->catalogue().Lines()).at("pong"), "0");
}

}  // namespace
