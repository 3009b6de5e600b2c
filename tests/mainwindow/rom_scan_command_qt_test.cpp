#include "mainwindow/rom_scan_command_qt.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QHeaderView>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <QTreeView>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/favorites.h"
#include "catalogue/game_list.h"
#include "catalogue/list_filters.h"
#include "mainwindow/bad_roms_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
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

// The catalogue before the scan: galaga played, a game MAME no longer has, and one never played.
const Lines kOldCatalogue = {
    "1|Galaga (old title)|Namco||1981||||||||||||||galaga.c||3|01:02:03||galaga|2",
    "0|Gone Game|Nobody||1980||||||||||||||gone.c||4|00:10:00||gone|0",
    "0|Pong|Atari||1972||||||||||||||pong.c||0|00:00:00||pong|0",
};

std::string FileText(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A program folder with a fake "mame" that records its arguments and prints what the test chose,
// the catalogue above, a favourite and a rom folder holding neogeo, mslug and galaga.
class InitializeRoms : public test::ProgramFolderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
    Write("roms/neogeo.zip", test::StoredZip({{"sp-s2.sp1", "x", 0x9036D879}}));
    Write("roms/mslug.zip", test::StoredZip({{"201-p1.p1", "x", 0x08D8DAA5}}));
    Write("roms/galaga.zip", test::StoredZip({{"gg1_1b.3p", "x", 0xAB036C9F}}));
    Write("mame.ini", "rompath                   roms\r\n");
    Write("list.xml", test::ReadFileBytes(test::TestDataDir() / "romscan/listxml/catalogue.xml"));
    Write("ini/kestrune.dat", FileText(kOldCatalogue));
    set::Settings settings(folder_);
    settings.WriteDefaults(folder_, "mame", "");
    cat::AddFavorite(settings.Ini(), "galaga");
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
  }
  // The fake MAME: `listing` is the shell code that runs for -listxml.
  void WriteMame(const std::string& listing) const {
    WriteScript("mame", "echo \"$@\" >> args.txt\nif [ \"$1\" = -listxml ]; then\n" + listing + "\nfi\n");
  }

  void Start() {
    ProgramFolderTest::Start();
    command_ = Form1->RomScan();
    command_->SetModalRunner([this](QDialog& dialog) {
      modals_.push_back(dialog.objectName());
      if (&dialog == Form9) shownBadRoms_ = Form9->BadRoms();
      if (onModal_) onModal_(dialog);
      return int{QDialog::Accepted};
    });
    QObject::connect(command_, &RomScanCommand::instructionShown,
                     [this](const QString& text) { instructions_.push_back(text.toStdString()); });
  }

  // Runs the command with the dialog up; once the scan has ended the test looks at the dialog, ticks
  // its box when asked and presses OK. A dialog left open is closed after a minute.
  void RunWithDialog(const std::function<void()>& command, bool tickVerification = false, int ms = 60000) {
    QMetaObject::Connection ended =
        QObject::connect(command_, &RomScanCommand::scanEnded, [this, tickVerification](bool replaced, const QString&) {
          replaced_ = replaced;
          TTaskMessageForm* form = command_->Dialog()->MessageForm();
          ASSERT_NE(form, nullptr);
          QAbstractButton* ok = form->findChild<QAbstractButton*>("OK");
          okEnabled_ = ok->isEnabled();
          progress_ = form->ProgressBar()->value();
          content_ = command_->Dialog()->Content().toStdString();
          if (tickVerification) form->Verification()->setChecked(true);
          QTimer::singleShot(0, ok, &QAbstractButton::click);
        });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [this] {
      if (TTaskMessageForm* form = command_->Dialog()->MessageForm()) form->done(-99);
    });
    guard.start(ms);
    command();
    QObject::disconnect(ended);
  }
  void Initialise(bool tickVerification = false) {
    RunWithDialog([] { Form1->Menus()->Action("Initialise1")->trigger(); }, tickVerification);
  }

  std::string Catalogue() const { return test::ReadFileBytes(folder_ + "ini/kestrune.dat"); }
  std::vector<std::string> ListedRoms() const {
    std::vector<std::string> roms;
    GameListController& list = *Form1->gameList();
    for (int row = 0; row < list.List().GameCount(); ++row) {
      list.View()->SelectRow(row);
      roms.push_back(list.GetSelectedRom().toStdString());
    }
    return roms;
  }

  RomScanCommand* command_ = nullptr;
  std::vector<QString> modals_;
  std::vector<std::string> shownBadRoms_;
  std::function<void(QDialog&)> onModal_;
  std::vector<std::string> instructions_;
  std::string content_;
  bool replaced_ = false;
  bool okEnabled_ = false;
  int progress_ = -1;
};

struct KeepCase {
  const char* name;
  bool resetCounters;   // keepcounters ticked
  bool resetFavorites;  // keepfavorites ticked
};

void PrintTo(const KeepCase& c, std::ostream* os) { *os << c.name; }

class InitializeRomsEndToEnd : public InitializeRoms, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(InitializeRomsEndToEnd, ReplacesTheCatalogueAndListsTheAvailableSets) {
  const KeepCase& c = GetParam();
  WriteMame("cat list.xml");
  Start();
  Form4->CheckBox("keepcounters")->setChecked(c.resetCounters);
  Form4->CheckBox("keepfavorites")->setChecked(c.resetFavorites);
  Form1->gameList()->SearchBox()->setText("gal");
  // catver.ini added while the program runs: the new list has a Category column.
  ASSERT_FALSE(Form1->CatverPresent());
  Write("catver.ini", "[Category]\r\nnosuchset=Maze\r\n");
  Initialise(/*tickVerification=*/true);
  EXPECT_TRUE(Form1->CatverPresent());
  EXPECT_GT(Form1->gameList()->View()->ReportView()->header()->sectionSize(3), 0);
  EXPECT_FALSE(command_->Dialog()->CustomIcon().isNull());
  EXPECT_TRUE(command_->Dialog()->ApplicationIsParent());

  EXPECT_TRUE(replaced_);
  EXPECT_TRUE(okEnabled_);
  EXPECT_EQ(progress_, 100);
  Lines expected = {"Getting info from Mame...", "Preparing data...", "Verifying roms...", "Building database..."};
  if (!c.resetCounters) expected.push_back("Updating data...");
  expected.push_back("Done!");
  EXPECT_EQ(instructions_, expected);
  EXPECT_EQ(test::ReadFileBytes(folder_ + "args.txt"), "-listxml\n");
  // MAME's list and the verdicts go; the catalogue file holds the new lines at once.
  EXPECT_FALSE(fs::exists(folder_ + "roms.dat"));
  EXPECT_FALSE(fs::exists(folder_ + "sets.dat"));
  const std::string galaga =
      std::string("0|Galaga (Namco rev. B)|Namco||1981||Mono|Raster|288x224|Vertical (90\u00B0)|Joy|60.606061|Good|") +
      "Good|good|good|imperfect||namco/galaga.cpp|2|" + (c.resetCounters ? "0|00:00:00" : "3|01:02:03") + "||galaga|0";
  const std::string text = Catalogue();
  EXPECT_NE(text.find(galaga + "\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("|gone|"), std::string::npos);
  EXPECT_EQ(Form1->catalogue().Count(), 7);
  EXPECT_EQ(Form1->catalogue()[2], galaga);

  EXPECT_EQ(Form1->settings().ReadText(set::kUiSection, "roms"), "5/7");
  EXPECT_EQ(Form1->settings().ReadText(set::kUiSection, "mameversion").substr(0, 44),
            "M.A.M.E. build : 0.251 (unknown) - Rom Scan ");
  EXPECT_EQ(Form1->gameList()->PanelText(1).toStdString(), "Roms : 5/7");
  EXPECT_EQ(cat::IsFavorite(Form1->settings().Ini(), "galaga"), !c.resetFavorites);
  // The search is cleared and the available sets are listed, the first selected, in details view.
  EXPECT_EQ(Form1->gameList()->SearchBox()->text(), "");
  EXPECT_EQ(Form1->gameList()->Mode(), cat::ListMode::Available);
  EXPECT_EQ(Form1->gameList()->View()->Style(), ViewStyle::Details);
  EXPECT_EQ(Form1->gameList()->View()->SelectedRow(), 0);
  const std::vector<std::string> listed = ListedRoms();
  EXPECT_EQ(
      std::set<std::string>(listed.begin(), listed.end()),
      (std::set<std::string>{"mslug", "galaga", "pong", "turned"}));  // the list leaves out "blank", without a screen
  // The ticked box leads to the bad ROMs dialog with the archives of the sets with a bad rom.
  EXPECT_EQ(modals_, (std::vector<QString>{"Form9"}));
  EXPECT_EQ(shownBadRoms_, (std::vector<std::string>{"mslugb.zip"}));
}

INSTANTIATE_TEST_SUITE_P(Preferences, InitializeRomsEndToEnd,
                         ::testing::Values(KeepCase{"KeepsCountersAndFavourites", false, false},
                                           KeepCase{"ResetsCountersAndFavourites", true, true}),
                         [](const ::testing::TestParamInfo<KeepCase>& info) { return std::string(info.param.name); });

// Whether the program whose pid the fake MAME wrote into `pidFile` has ended: gone, or a zombie left
// to a parent that does not reap it. One still running is killed, so that no test leaves it behind.
bool ProgramEnded(const std::string& pidFile) {
  const int pid = std::stoi(test::ReadFileBytes(pidFile));
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t name = stat.rfind(')');
  if (name == std::string::npos || stat.compare(name + 2, 1, "Z") == 0) return true;
  ::kill(pid, SIGKILL);
  return false;
}

// A MAME that is a script starting the real program, which writes on and on (mame.pid names it).
const std::string kScriptWithWritingChild =
    "head -n 20 list.xml\n"
    "sh -c 'echo $$ > pid.tmp; mv pid.tmp mame.pid; while :; do echo \"<!-- -->\"; sleep 0.05; done'";

struct FailCase {
  const char* name;
  std::string listing;  // shell code for -listxml; "" removes the executable after start-up
  std::string message;  // %F: the program folder
  rlim_t fileSizeLimit = RLIM_INFINITY;  // for the program's files while the scan runs
};

// A file-size limit on this process while it lives (`ulimit -f`): a write past it fails with EFBIG, as
// one on a full disk fails with ENOSPC.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = SIG_DFL;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class InitializeRomsFailure : public InitializeRoms, public ::testing::WithParamInterface<FailCase> {};

TEST_P(InitializeRomsFailure, LeavesTheOldCatalogueAndSaysWhy) {
  const FailCase& c = GetParam();
  WriteMame(c.listing.empty() ? "cat list.xml" : c.listing);
  Start();
  if (c.listing.empty()) fs::remove(folder_ + "mame");
  {
    std::optional<FileSizeLimit> limit;
    if (c.fileSizeLimit != RLIM_INFINITY) limit.emplace(c.fileSizeLimit);
    Initialise(/*tickVerification=*/true);
  }

  EXPECT_FALSE(replaced_);
  EXPECT_TRUE(okEnabled_);
  ASSERT_FALSE(instructions_.empty());
  EXPECT_EQ(instructions_.back(), "Initializing Roms failed");
  std::string message = c.message;
  if (const std::size_t at = message.find("%F"); at != std::string::npos) message.replace(at, 2, folder_);
  EXPECT_NE(content_.find(message), std::string::npos) << content_;
  EXPECT_EQ(Catalogue(), FileText(kOldCatalogue));
  EXPECT_EQ(Form1->catalogue().Lines(), kOldCatalogue);
  EXPECT_TRUE(cat::IsFavorite(Form1->settings().Ini(), "galaga"));
  // Nothing was found bad, so the dialog has nothing to show.
  EXPECT_TRUE(shownBadRoms_.empty());
  // A MAME that could not even be started leaves no list behind either.
  EXPECT_FALSE(fs::exists(folder_ + "roms.dat"));
  // Nothing the MAME script started writes on.
  EXPECT_TRUE(!fs::exists(folder_ + "mame.pid") || ProgramEnded(folder_ + "mame.pid"));
}

INSTANTIATE_TEST_SUITE_P(
    Mames, InitializeRomsFailure,
    ::testing::Values(FailCase{"ExitsWithAnError", "head -c 3000 list.xml; exit 3", "MAME ended with error code 3."},
                      FailCase{"PrintsNothing", "exit 0", "is incomplete: it ends before its closing </mame> line."},
                      FailCase{"CutsItsList", "head -n 40 list.xml", "is incomplete"},
                      FailCase{"ListsNoGame", "printf '<?xml version=\"1.0\"?>\\n<mame build=\"0.251\">\\n</mame>\\n'",
                               "MAME's game list names no game that MAME can run."},
                      FailCase{"IsMissing", "", "MAME could not be started"},
                      FailCase{"ListsAMachineAfterItsEnd",
                               "cat list.xml; printf '\\t<machine name=\"extra\">\\n\\t</machine>\\n'",
                               "MAME's game list goes on after its closing </mame> line, on line "},
                      FailCase{"LeavesAWritingChildBehind",
                               kScriptWithWritingChild + " &\nwhile [ ! -e mame.pid ]; do sleep 0.01; done",
                               "is incomplete"},
                      // MAME's whole list, which does not fit: MAME itself would end with 0 and say nothing.
                      FailCase{"CannotWriteItsListPastTheFileSizeLimit",
                               "head -n 20 list.xml; i=0; while [ $i -lt 4000 ]; do echo '<!-- -->'; i=$((i+1)); "
                               "done; tail -n +21 list.xml",
                               "MAME's game list could not be written to \"%Froms.dat\": " +
                                   std::string(std::strerror(EFBIG)),
                               16384}),
    [](const ::testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

// A program folder the user may not change (run by read_only_folder_test.sh): MAME is never started, and
// the dialog names the file that could not be made and the system's reason.
using InitializeRomsOnAReadOnlyFolder = InitializeRoms;

TEST_F(InitializeRomsOnAReadOnlyFolder, NamesTheListFileAndTheSystemsReason) {
  WriteMame("cat list.xml");
  if (!UseReadOnlyView()) GTEST_SKIP() << "needs the read-only view of tests/app/read_only_folder_test.sh";
  Start();
  Initialise();
  EXPECT_FALSE(replaced_);
  EXPECT_TRUE(okEnabled_);
  EXPECT_EQ(instructions_.back(), "Initializing Roms failed");
  EXPECT_EQ(content_, "The file \"" + folder_ + "roms.dat\" for MAME's game list cannot be made: " +
                          std::strerror(EROFS) + "\rThe game list was left as it was.");
  EXPECT_EQ(Form1->catalogue().Lines(), kOldCatalogue);
}

// How the user ends the dialog while MAME is still listing its games.
struct CancelCase {
  const char* name;
  std::function<void(TTaskMessageForm&)> close;
  // A MAME that never finishes its list: half of it, then it sleeps.
  std::string mame = "head -n 20 list.xml\necho $$ > mame.pid\nexec sleep 600";
};

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class InitializeRomsCancel : public InitializeRoms, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(InitializeRomsCancel, StopsMameAndLeavesTheOldCatalogue) {
  WriteMame(GetParam().mame);
  Start();
  bool ended = false;
  bool replaced = true;
  QString message;
  QObject::connect(command_, &RomScanCommand::scanEnded, [&](bool done, const QString& why) {
    ended = true;
    replaced = done;
    message = why;
  });
  bool cancelEnabled = false;
  QTimer::singleShot(0, [&] {
    TTaskMessageForm* form = command_->Dialog()->MessageForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitUntil([this] { return test::HasWholeLine(folder_ + "mame.pid"); }, 30000));
    EXPECT_FALSE(form->findChild<QAbstractButton*>("OK")->isEnabled());
    cancelEnabled = form->findChild<QAbstractButton*>("Cancel")->isEnabled();
    GetParam().close(*form);
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [this] {
    if (TTaskMessageForm* form = command_->Dialog()->MessageForm()) form->done(-99);
  });
  guard.start(60000);
  Form1->Menus()->Action("Initialise1")->trigger();

  EXPECT_TRUE(cancelEnabled);
  EXPECT_EQ(command_->Dialog()->MessageForm(), nullptr) << "the dialog closed";
  ASSERT_TRUE(fs::exists(folder_ + "mame.pid"));
  EXPECT_TRUE(ProgramEnded(folder_ + "mame.pid"));
  ASSERT_TRUE(WaitUntil([&] { return ended; }, 30000));
  EXPECT_FALSE(replaced);
  EXPECT_EQ(message, "Initializing Roms was cancelled.");
  EXPECT_FALSE(command_->Scanning());
  EXPECT_EQ(Catalogue(), FileText(kOldCatalogue));
  EXPECT_EQ(Form1->catalogue().Lines(), kOldCatalogue);
  EXPECT_FALSE(fs::exists(folder_ + "roms.dat"));
  EXPECT_TRUE(modals_.empty()) << "no bad ROMs dialog after a cancelled scan";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, InitializeRomsCancel,
    ::testing::Values(CancelCase{"ByItsCancelButton",
                                 [](TTaskMessageForm& form) { form.findChild<QAbstractButton*>("Cancel")->click(); }},
                      CancelCase{"ByClosingTheWindow", [](TTaskMessageForm& form) { form.close(); }},
                      CancelCase{"ByEscape",
                                 [](TTaskMessageForm& form) {
                                   QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                                   QCoreApplication::sendEvent(&form, &escape);
                                 }},
                      CancelCase{"ByItsCancelButtonWhileAScriptWaitsForItsChild",
                                 [](TTaskMessageForm& form) { form.findChild<QAbstractButton*>("Cancel")->click(); },
                                 kScriptWithWritingChild}),
    [](const ::testing::TestParamInfo<CancelCase>& info) { return std::string(info.param.name); });

// A scan cut off last time (the program killed while MAME listed its games) left its files behind.
TEST_F(InitializeRoms, RemovesTheFilesOfAScanCutOffAtStart) {
  for (const char* name : {"roms.dat", "crc.dat", "sets.dat", "filecrc.dat"}) Write(name, "<machine name=\"left\">");
  Start();
  for (const char* name : {"roms.dat", "crc.dat", "sets.dat", "filecrc.dat"})
    EXPECT_FALSE(fs::exists(folder_ + name)) << name;
  EXPECT_TRUE(fs::exists(folder_ + "list.xml"));
  EXPECT_EQ(Form1->catalogue().Lines(), kOldCatalogue);
}

TEST_F(InitializeRoms, RefusesWithoutAMameExecutable) {
  Start();  // no "mame" in the folder
  Form1->Menus()->Action("Initialise1")->trigger();
  EXPECT_EQ(MessageTexts(), (std::vector<QString>{"\nNo Mame binary selected !"}));
  EXPECT_EQ(command_->Dialog()->MessageForm(), nullptr);
}

// The preferences scan again when the rom folder changed there and "Auto re-initialize Roms" is
// ticked; the new catalogue takes the "No 'The' Prefix" view too.
struct PreferencesCase {
  const char* name;
  bool changeRomPath;
  bool reinitialise;
  bool scans;
};

void PrintTo(const PreferencesCase& c, std::ostream* os) { *os << c.name; }

class RescanAfterPreferences : public InitializeRoms, public ::testing::WithParamInterface<PreferencesCase> {};

TEST_P(RescanAfterPreferences, RunsTheScanOnlyWhenTheRomFolderChangedAndAutoIsTicked) {
  const PreferencesCase& c = GetParam();
  WriteMame("cat list.xml");
  Start();
  Form1->gameList()->Action("he1")->setChecked(true);
  Form4->CheckBox("reinitialise")->setChecked(c.reinitialise);
  onModal_ = [this, &c](QDialog&) {
    if (!c.changeRomPath) return;
    fs::rename(folder_ + "roms", folder_ + "roms2");
    Write("mame.ini", "rompath                   roms2\r\n");
  };
  RunWithDialog([] { Form1->Menus()->Action("Interfaceoptions1")->trigger(); });
  EXPECT_EQ(modals_.front(), "Form4");
  EXPECT_EQ(replaced_, c.scans);
  if (c.scans) {
    EXPECT_NE(Catalogue().find("|Upside Down,The|"), std::string::npos);
    EXPECT_EQ(Form1->settings().ReadText(set::kUiSection, "roms"), "5/7");
  } else {
    EXPECT_EQ(Catalogue(), FileText(kOldCatalogue));
  }
  EXPECT_FALSE(command_->RescanPending());
}

INSTANTIATE_TEST_SUITE_P(Changes, RescanAfterPreferences,
                         ::testing::Values(PreferencesCase{"RomFolderChanged", true, true, true},
                                           PreferencesCase{"NothingChanged", false, true, false},
                                           PreferencesCase{"AutoNotTicked", true, false, false}),
                         [](const ::testing::TestParamInfo<PreferencesCase>& info) {
                           return std::string(info.param.name);
                         });

// Against the installed MAME: one line per machine MAME can run that is no BIOS set, and the sets that
// need no file at all listed as available.
TEST_F(InitializeRoms, BuildsTheCatalogueOfTheInstalledMame) {
  const fs::path mame = "/usr/games/mame";
  if (!fs::exists(mame)) GTEST_SKIP() << "MAME is not installed";
  // The list MAME gives, read here by plain text search, independently of the scan.
  const std::string listPath = folder_ + "expected.xml";
  ASSERT_EQ(std::system(("\"" + mame.string() + "\" -listxml > \"" + listPath + "\"").c_str()), 0);
  std::set<std::string> games;
  {
    const std::string list = test::ReadFileBytes(listPath);
    for (std::size_t at = list.find("<machine name=\""); at != std::string::npos;
         at = list.find("<machine name=\"", at + 1)) {
      const std::string line = list.substr(at, list.find('>', at) - at);
      if (line.find("isbios=\"yes\"") != std::string::npos || line.find("isdevice=\"yes\"") != std::string::npos ||
          line.find("runnable=\"no\"") != std::string::npos) {
        continue;
      }
      const std::size_t start = at + 15;
      games.insert(list.substr(start, list.find('"', start) - start));
    }
    fs::remove(listPath);
  }
  ASSERT_GT(games.size(), 30000u);
  fs::create_symlink(mame, folder_ + "mame");
  Start();
  RunWithDialog([] { Form1->Menus()->Action("Initialise1")->trigger(); }, false, 180000);
  ASSERT_TRUE(replaced_) << content_;
  std::set<std::string> listed;
  std::string pong;
  for (const std::string& line : Form1->catalogue().Lines()) {
    const std::string rom(cat::GetLineField(line, cat::LineField::romname));
    EXPECT_TRUE(listed.insert(rom).second) << rom;
    if (rom == "pong") pong = line;
  }
  EXPECT_EQ(listed, games);
  EXPECT_EQ(pong.substr(0, 2), "0|") << pong;
  EXPECT_EQ(pong.substr(pong.size() - 2), "|0") << pong;
  // The board filters by BIOS find their games under the installed MAME's BIOS names.
  for (const auto& [menuIndex, game] :
       std::vector<std::pair<int, std::string>>{{10, "sfex"}, {11, "sfex2"}, {18, "psyforce"}}) {
    cat::GameList list(Form1->catalogue());
    list.Filter() = cat::FilterOfMenuEntry(menuIndex);
    list.BuildGameList();
    EXPECT_GE(list.FindRomRow(game), 0) << cat::kFilterMenu[static_cast<std::size_t>(menuIndex)].caption;
  }
}

}  // namespace
