#include "mainwindow/mame_launcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../catalogue/game_lines.h"
#include "catalogue/play_time.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/game_list_view.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "settings/option_file_writer.h"
#include "support/captured_terminal.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace cat = kestrune::catalogue;
namespace set = kestrune::settings;
using Lines = std::vector<std::string>;
using kestrune::test::GameLine;
using kestrune::test::ReadFileBytes;

// What the stand-in for MAME notes in the folder $c: each start of a game, its arguments one per line,
// its folder, and the first three bytes of its standard input (none when the input is not a pipe of
// ours). Asked for its own configuration at first start, it has none.
constexpr const char* kFakeMameNotes = R"([ "$1" = -showconfig ] && exit 0
echo started >> "$c/starts"
for a in "$@"; do printf '%s\n' "$a"; done > "$c/args"
pwd -P > "$c/cwd"
timeout 3 dd bs=1 count=3 of="$c/stdin" 2>/dev/null
)";

// A program folder of its own with the program's windows started in it, and MAME's stand-in noting
// its starts under calls/.
class MameLauncherTest : public kestrune::test::ProgramFolderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
    fs::create_directories(Path("calls"));
  }

  void WriteFakeMame(const char* seconds = "0.3", int exitCode = 0) const {
    WriteScript("mame", "c='" + Path("calls").string() + "'\n" + kFakeMameNotes + "sleep " + seconds + "\nexit " +
                            std::to_string(exitCode) + "\n");
  }
  bool Started() const { return fs::exists(Path("calls/starts")); }
  Lines Arguments() const {
    Lines lines;
    std::istringstream text(ReadFileBytes(Path("calls/args")));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
  // What every start of a game passes first, so that MAME reads the option files written here.
  Lines IniPath() const { return {"-inipath", folder_ + ";" + Form1->GetFolders().ini + "/"}; }

  // Creates the windows, shows the main window and lets its first show and activation run.
  void Start(const std::string& catalogue) {
    Write("ini/kestrune.dat", catalogue);
    CreateWindows();
    QObject::connect(Form1->Launcher(), &MameLauncher::playEnded, [this] { ++ended_; });
    ShowAndWait();
    // The program folder was fixed at start; MAME must be started there wherever the process is now.
    fs::create_directories(Path("elsewhere"));
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(Path("elsewhere").string())));
  }
  // Waits for the end of the running MAME and its accounting.
  bool WaitForEnd(int milliseconds = 10000) {
    const int before = ended_;
    return WaitUntil([&] { return ended_ > before; }, milliseconds);
  }
  void Select(const char* romname) const {
    Form1->gameList()->SelectGameByRom(romname);
    ASSERT_GE(Form1->gameList()->View()->SelectedRow(), 0) << romname;
  }
  void Trigger(const char* action) const { Form1->Menus()->Action(action)->trigger(); }
  cat::Tgameinfo Record(const std::string& romname) const {
    for (const std::string& line : Form1->catalogue().Lines()) {
      cat::Tgameinfo record;
      if (cat::ParseGameRecord(line, record) && record.romname == romname) return record;
    }
    ADD_FAILURE() << "no catalogue line of " << romname;
    return {};
  }
  std::string Line(const std::string& romname) const { return cat::BuildCatalogueLine(Record(romname)); }

  int ended_ = 0;
};

std::string ThreeGames() {
  return GameLine("galaga") + "\r\n" + GameLine("pacman") + "\r\n" + GameLine("mspacman") + "\r\n";
}

// ---- Starts with a fake MAME ----

void EnterKey() {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(Form1->gameList()->View()->ReportView(), &press);
}

void DoubleClick() {
  QTreeView* list = Form1->gameList()->View()->ReportView();
  const QPointF at = list->visualRect(list->currentIndex()).center();
  const QPointF global = list->viewport()->mapToGlobal(at);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
  }
}

struct StartCase {
  const char* name;
  const char* action;  // a menu action, or "Enter" / "DoubleClick" on the list
  const char* commandline;
  Lines tail;  // the arguments after -inipath
  bool counted;
  const char* stdinText = " \r\n";
  // Changes to the program folder after start-up.
  void (*prepare)(const fs::path& folder) = nullptr;
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class Starts : public MameLauncherTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(Starts, PassTheirArgumentsAndAreCountedWhenMameEnds) {
  const StartCase& c = GetParam();
  WriteFakeMame();
  Write("inp/pacman.inp", "recording");
  Start(ThreeGames());
  Form4->Edit("commandline")->setText(c.commandline);
  if (c.prepare != nullptr) c.prepare(folder_);
  Select("pacman");
  const std::string before = Line("pacman");

  if (c.action == std::string("Enter")) {
    EnterKey();
  } else if (c.action == std::string("DoubleClick")) {
    DoubleClick();
  } else {
    Trigger(c.action);
  }
  // Hidden while MAME runs, shown again when it has ended.
  EXPECT_FALSE(Form1->isVisible());
  EXPECT_TRUE(Form1->Launcher()->IsRunning());
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_TRUE(messages_.empty()) << messages_[0].text.toStdString();

  Lines expected = IniPath();
  expected.insert(expected.end(), c.tail.begin(), c.tail.end());
  EXPECT_EQ(Arguments(), expected);
  EXPECT_EQ(ReadFileBytes(Path("calls/cwd")), fs::canonical(folder_).string() + "\n");
  EXPECT_EQ(ReadFileBytes(Path("calls/stdin")), c.stdinText);
  EXPECT_EQ(ReadFileBytes(Path("calls/starts")), "started\n");
  // The fake plays for less than a second: a play adds one start and no whole second.
  EXPECT_EQ(Line("pacman"), c.counted ? GameLine("pacman", [](cat::Tgameinfo& g) { g.timesplayed = "1"; }) : before);
  EXPECT_EQ(Line("galaga"), GameLine("galaga"));
  // The list shows the line as it now is.
  GameListController* games = Form1->gameList();
  EXPECT_EQ(games->List().Record(games->View()->SelectedRow()).timesplayed, c.counted ? "1" : "0");
}

const Lines kPacman{"pacman"};

INSTANTIATE_TEST_SUITE_P(
    FakeMame, Starts,
    ::testing::Values(StartCase{"PlayFromTheMenu", "PlayGame2", "", kPacman, true},
                      StartCase{"PlayWithExtraOptions",
                                "PlayGame2",
                                " -video none  -rompath \"/my roms\"",
                                {"-video", "none", "-rompath", "/my roms", "pacman"},
                                true},
                      StartCase{"RecordPassesTheInpFileName",
                                "PlayandRecord1",
                                "-skip_gameinfo",
                                {"-skip_gameinfo", "pacman", "-rec", "pacman.inp"},
                                true},
                      StartCase{"PlaybackTakesNoExtraOptionsAndCountsNothing",
                                "PlaybackGamerecord1",
                                "-video none",
                                {"pacman", "-playback", "pacman.inp"},
                                false},
                      StartCase{"EnterOnTheList", "Enter", "", kPacman, true},
                      StartCase{"DoubleClickOnTheList", "DoubleClick", "", kPacman, true},
                      // MAME's output then goes to the terminal and its input is not ours to write.
                      StartCase{"ShowCommandlineLeavesTheInputAlone", "PlayGame2", "", kPacman, true, "",
                                [](const fs::path&) { Form4->CheckBox("showcommand")->setChecked(true); }},
                      // No option file, or no window option in it, is simply no window option.
                      StartCase{"WithoutMameIni", "PlayGame2", "", kPacman, true, " \r\n",
                                [](const fs::path& folder) { fs::remove(folder / "mame.ini"); }},
                      StartCase{"GameIniWithoutWindowLine", "PlayGame2", "", kPacman, true, " \r\n",
                                [](const fs::path& folder) {
                                  kestrune::test::WriteFileBytes(folder / "ini/pacman.ini",
                                                                 "windowed_x 1\r\nkeepaspect 1\r\n");
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MameLauncherTest, PlaysAccumulatePastOneHundredHoursAndSixteenBitsAndPlaybacksAddNothing) {
  WriteFakeMame("1.2");
  Write("inp/pacman.inp", "recording");
  Start(GameLine("pacman",
                 [](cat::Tgameinfo& g) {
                   g.timesplayed = "65535";
                   g.playtime = "123:59:59";
                 }) +
        "\r\n");
  Select("pacman");
  Trigger("PlayGame2");
  ASSERT_TRUE(WaitForEnd());
  const cat::Tgameinfo played = Record("pacman");
  EXPECT_EQ(played.timesplayed, "65536");
  const std::int64_t added = cat::ParsePlayTime(played.playtime) - cat::ParsePlayTime("123:59:59");
  EXPECT_GE(added, 1000) << played.playtime;
  EXPECT_LE(added, 9000) << played.playtime;

  Trigger("PlaybackGamerecord1");
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(cat::BuildCatalogueLine(Record("pacman")), cat::BuildCatalogueLine(played));
}

// With no video, MAME's own words are all a playback shows: they go to the terminal.
TEST_F(MameLauncherTest, APlaybackWithoutVideoShowsMamesOutput) {
  WriteFakeMame();
  Start(ThreeGames());
  Write("inp/pacman.inp", "recording");
  Write("mame.ini", "video                   none\r\n");
  Select("pacman");
  Trigger("PlaybackGamerecord1");
  ASSERT_TRUE(Form1->Launcher()->IsRunning());
  EXPECT_EQ(Form1->Launcher()->Runner().GetShowState(), kestrune::platform::ProcessRunner::ShowState::Normal);
  EXPECT_EQ(Form1->Launcher()->Runner().GetConsoleOptions(),
            kestrune::platform::ProcessRunner::ConsoleOptions::OwnerData);
  ASSERT_TRUE(WaitUntil([] { return !Form1->Launcher()->IsRunning(); }, 10000));
}

// Where MAME's words go: to the terminal for a game without video, a windowed game or "Show Commandline",
// for a play as for a playback; nowhere for a full-screen game. MAME without video keeps its input.
struct ShownCase {
  const char* name;
  const char* action;
  const char* file;  // an option file written after start-up, empty for none
  const char* bytes;
  bool shown;
  const char* stdinText;
  bool showCommand = false;
};

void PrintTo(const ShownCase& c, std::ostream* out) { *out << c.name; }

class ShownOutput : public MameLauncherTest, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(ShownOutput, GoesToTheTerminalOnlyWhenMameShowsNothingElseOrRunsInAWindow) {
  const ShownCase& c = GetParam();
  WriteScript("mame", "c='" + Path("calls").string() + "'\n" + kFakeMameNotes + "echo 'MAME says hello'\n");
  Start(ThreeGames());
  Write("inp/pacman.inp", "recording");
  if (*c.file != '\0') Write(c.file, c.bytes);
  Form4->CheckBox("showcommand")->setChecked(c.showCommand);
  Select("pacman");
  {
    kestrune::test::CapturedTerminal terminal(Path("terminal"));
    Trigger(c.action);
    ASSERT_TRUE(WaitForEnd());
  }
  EXPECT_TRUE(messages_.empty());
  const std::string terminal = ReadFileBytes(Path("terminal"));
  EXPECT_EQ(terminal.find("MAME says hello") != std::string::npos, c.shown) << terminal;
  EXPECT_EQ(ReadFileBytes(Path("calls/stdin")), c.stdinText);
}

INSTANTIATE_TEST_SUITE_P(
    FakeMame, ShownOutput,
    ::testing::Values(
        ShownCase{"PlayFullScreen", "PlayGame2", "", "", false, " \r\n"},
        ShownCase{"PlayWithoutVideo", "PlayGame2", "mame.ini", "video                   none\r\n", true, ""},
        ShownCase{"PlayWithoutVideoInTheGamesFile", "PlayGame2", "ini/pacman.ini", "video                   none\r\n",
                  true, ""},
        ShownCase{"PlayInAWindow", "PlayGame2", "ini/pacman.ini", "window                  1\r\n", true, " \r\n"},
        // Any file MAME reads for the game: pacman is a vertical raster game of pacman.c.
        ShownCase{"PlayInAWindowByTheScreenTypesFile", "PlayGame2", "ini/raster.ini", "  window 1\r\n", true, " \r\n"},
        ShownCase{"PlayWithoutVideoByTheSourceFile", "PlayGame2", "source/pacman.ini", "video none\r\n", true, ""},
        ShownCase{"PlayFullScreenWithShowCommandline", "PlayGame2", "", "", true, "", true},
        ShownCase{"PlaybackWithoutVideo", "PlaybackGamerecord1", "mame.ini", "video                   none\r\n", true,
                  ""},
        ShownCase{"PlaybackInAWindow", "PlaybackGamerecord1", "ini/pacman.ini", "window                  1\r\n", true,
                  " \r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MameLauncherTest, PlaybackWithoutItsRecordingStartsNothing) {
  WriteFakeMame();
  Start(ThreeGames());
  Select("pacman");
  Trigger("PlaybackGamerecord1");
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_FALSE(Form1->Launcher()->IsRunning());
  EXPECT_FALSE(Started());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(MameLauncherTest, WithoutMameExecutableNothingStarts) {
  Start(ThreeGames());
  ASSERT_EQ(Form1->MameFile(), "");
  Select("pacman");
  for (const char* action : {"PlayGame2", "PlayandRecord1"}) {
    messages_.clear();
    Trigger(action);
    ASSERT_EQ(messages_.size(), 1u) << action;
    EXPECT_EQ(messages_[0].icon, QMessageBox::Warning);
    EXPECT_EQ(messages_[0].text, "\rNo Mame binary selected !");
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_FALSE(Form1->Launcher()->RecordNext()) << action;
  }
  EXPECT_FALSE(Form1->Launcher()->IsRunning());
  EXPECT_EQ(Line("pacman"), GameLine("pacman"));
}

// A MAME that cannot be started after all: taken away, or no longer executable.
struct BrokenMame {
  const char* name;
  void (*damage)(const fs::path& mame);
};

void PrintTo(const BrokenMame& c, std::ostream* out) { *out << c.name; }

class FailedStart : public MameLauncherTest, public ::testing::WithParamInterface<BrokenMame> {};

TEST_P(FailedStart, ShowsTheWindowSaysWhyCountsNothingAndDisarmsTheRecording) {
  WriteFakeMame();
  Start(ThreeGames());
  ASSERT_EQ(Form1->MameFile(), "mame");
  GetParam().damage(Path("mame"));
  Select("pacman");
  Trigger("PlayandRecord1");
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_FALSE(Form1->Launcher()->IsRunning());
  EXPECT_FALSE(Started());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(messages_[0].text.startsWith("MAME could not be started:\nCannot start " +
                                           QString::fromStdString(folder_) + "mame: "))
      << messages_[0].text.toStdString();
  EXPECT_EQ(Line("pacman"), GameLine("pacman"));

  // The recording was armed for that start only: the next play is a plain one.
  fs::remove_all(Path("mame"));
  WriteFakeMame();
  Trigger("PlayGame2");
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(Arguments(), [&] {
    Lines expected = IniPath();
    expected.push_back("pacman");
    return expected;
  }());
  EXPECT_EQ(Record("pacman").timesplayed, "1");
}

INSTANTIATE_TEST_SUITE_P(
    Damages, FailedStart,
    ::testing::Values(BrokenMame{"Removed", [](const fs::path& mame) { fs::remove(mame); }},
                      BrokenMame{"NotExecutable", [](const fs::path& mame) { fs::permissions(mame, fs::perms(0644)); }},
                      BrokenMame{"Folder",
                                 [](const fs::path& mame) {
                                   fs::remove(mame);
                                   fs::create_directory(mame);
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MameLauncherTest, MameEndingOnAnErrorIsReportedAndThePlayStillCounted) {
  WriteFakeMame("0.3", 2);
  Start(ThreeGames());
  Select("pacman");
  Trigger("PlayGame2");
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(Form1->isVisible());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Warning);
  EXPECT_EQ(messages_[0].text, "MAME ended on \"pacman\" because files are missing (ROMs or disk images).");
  EXPECT_EQ(Record("pacman").timesplayed, "1");
}

TEST_F(MameLauncherTest, NamesThatAreNotMameSetNamesAreNeverStarted) {
  WriteFakeMame();
  const std::vector<std::string> names{"pac man", "-listxml", "../pacman", "pacman;rm"};
  std::string catalogue = GameLine("pacman") + "\r\n";
  for (const std::string& name : names) catalogue += GameLine(name) + "\r\n";
  Start(catalogue);
  for (const std::string& name : names) {
    Write("inp/" + name + ".inp", "recording");
    for (const char* action : {"PlayGame2", "PlaybackGamerecord1", "PlayandRecord1"}) {
      messages_.clear();
      Select(name.c_str());
      Trigger(action);
      ASSERT_EQ(messages_.size(), 1u) << name << " " << action;
      EXPECT_EQ(messages_[0].text, QStringLiteral("\"%1\" is not a set name MAME knows, so it cannot be started.")
                                       .arg(QString::fromStdString(name)));
    }
  }
  EXPECT_FALSE(Started());
  // The refused recording is not left waiting for the next game played.
  Select("pacman");
  Trigger("PlayGame2");
  ASSERT_TRUE(WaitForEnd());
  Lines expected = IniPath();
  expected.push_back("pacman");
  EXPECT_EQ(Arguments(), expected);
}

// ---- While MAME runs ----

// MAME's stand-in that plays until it is closed.
std::string EndlessFakeMame(const fs::path& calls) {
  return "c='" + calls.string() + "'\n" + kFakeMameNotes + "exec sleep 60\n";
}

std::string PlayedCatalogue(const cat::Tgameinfo& galaga) {
  return cat::BuildCatalogueLine(galaga) + "\r\n" + GameLine("pacman") + "\r\n" + GameLine("mspacman") + "\r\n";
}

// A counter that cannot be raised (one the catalogue cannot read, one at the top of its range) is saved
// as it stood; the fake plays for less than a second, so nothing else of the lines changes.
TEST_F(MameLauncherTest, ACounterThatCannotBeRaisedIsSavedAsItStood) {
  WriteFakeMame();
  const std::string catalogue =
      GameLine("galaga", [](cat::Tgameinfo& g) { g.timesplayed = "9223372036854775807"; }) + "\r\n" +
      GameLine("pacman", [](cat::Tgameinfo& g) { g.timesplayed = "99999999999999999999"; }) + "\r\n";
  Start(catalogue);
  for (const char* romname : {"pacman", "galaga"}) {
    Select(romname);
    Trigger("PlayGame2");
    ASSERT_TRUE(WaitForEnd()) << romname;
  }
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(ReadFileBytes(Path("ini/kestrune.dat")), catalogue);
}

// The window is shown again while MAME runs when the program is started a second time.
TEST_F(MameLauncherTest, WhileMameRunsEveryOtherStartIsRefusedAndOnlyTheRunningGameIsCounted) {
  WriteFakeMame("3");
  Write("inp/pacman.inp", "recording");
  Start(ThreeGames());
  Select("galaga");
  Trigger("PlayGame2");
  ASSERT_TRUE(Form1->Launcher()->IsRunning());
  Form1->ShowAndRaise();
  Select("pacman");
  for (const char* action : {"PlayGame2", "PlayandRecord1", "PlaybackGamerecord1"}) {
    messages_.clear();
    Trigger(action);
    ASSERT_EQ(messages_.size(), 1u) << action;
    EXPECT_EQ(messages_[0].icon, QMessageBox::Warning) << action;
    EXPECT_TRUE(messages_[0].text.contains("still running \"galaga\"")) << messages_[0].text.toStdString();
    EXPECT_FALSE(Form1->Launcher()->RecordNext()) << action;
  }
  EXPECT_EQ(Form1->gameList()->Model()->FileState(Form1->gameList()->View()->SelectedRow()),
            GameListModel::kNoFileState);

  ASSERT_TRUE(WaitForEnd(30000));
  EXPECT_EQ(ReadFileBytes(Path("calls/starts")), "started\n");
  EXPECT_EQ(Arguments().back(), "galaga");
  const cat::Tgameinfo galaga = Record("galaga");
  EXPECT_EQ(galaga.timesplayed, "1");
  EXPECT_GE(cat::ParsePlayTime(galaga.playtime), 1000) << galaga.playtime;
  ASSERT_TRUE(Form1->close());
  EXPECT_EQ(ReadFileBytes(Path("ini/kestrune.dat")), PlayedCatalogue(galaga));
}

TEST_F(MameLauncherTest, ARecordedPlayMarksItsRowAndKeepsTheGamesOwnIcon) {
  WriteFakeMame();
  QImage yellow(16, 16, QImage::Format_ARGB32);
  yellow.fill(Qt::yellow);
  fs::create_directories(Path("icons"));
  ASSERT_TRUE(yellow.save(QString::fromStdString(Path("icons/pacman.ico").string()), "PNG"));
  Start(ThreeGames());
  Select("pacman");
  GameListController* games = Form1->gameList();
  GameListModel* model = games->Model();
  const auto shownIcon = [&] {
    const QModelIndex cell = model->index(games->View()->SelectedRow(), 0);
    // An icon not resolved yet is read once the paint that asked for it is over.
    model->data(cell, Qt::DecorationRole);
    QCoreApplication::processEvents();
    return qvariant_cast<QIcon>(model->data(cell, Qt::DecorationRole)).pixmap(16, 16).toImage();
  };
  const QImage plain = shownIcon();
  const int icon = games->List().ImageIndex(games->View()->SelectedRow());
  ASSERT_GE(icon, GameListModel::kBuiltInImages);

  Trigger("PlayandRecord1");
  ASSERT_TRUE(Form1->Launcher()->IsRunning());
  EXPECT_EQ(games->List().ImageIndex(games->View()->SelectedRow()), icon);
  ASSERT_TRUE(WaitForEnd());
  const int row = games->View()->SelectedRow();
  ASSERT_EQ(games->List().Record(row).romname, "pacman");
  EXPECT_EQ(model->FileState(row), GameListModel::kRecordingState);
  // The game's own icon, with the sign of its recording in a corner.
  const QImage marked = shownIcon();
  EXPECT_NE(games->List().ImageIndex(row), GameListModel::kNoIconImage);
  EXPECT_EQ(marked.pixelColor(0, 0), QColor(Qt::yellow));
  EXPECT_NE(marked, plain);
  for (int other = 0; other < model->rowCount(); ++other) {
    if (other != row) {
      EXPECT_EQ(model->FileState(other), GameListModel::kNoFileState) << other;
    }
  }
}

TEST_F(MameLauncherTest, ClosingWhileMameRunsAsksAndGoingOnCountsThePlayAndClosesMame) {
  WriteScript("mame", EndlessFakeMame(Path("calls")));
  Start(ThreeGames());
  Select("galaga");
  Trigger("PlayGame2");
  ASSERT_TRUE(Form1->Launcher()->IsRunning());
  Form1->ShowAndRaise();

  answer_ = QMessageBox::No;
  EXPECT_FALSE(Form1->close());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Question);
  EXPECT_EQ(messages_[0].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(messages_[0].text.contains("\"galaga\"")) << messages_[0].text.toStdString();
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_TRUE(Form1->Launcher()->IsRunning());
  EXPECT_EQ(ReadFileBytes(Path("ini/kestrune.dat")), ThreeGames());

  answer_ = QMessageBox::Yes;
  EXPECT_TRUE(Form1->close());
  EXPECT_EQ(messages_.size(), 2u);
  EXPECT_FALSE(Form1->Launcher()->IsRunning());
  const cat::Tgameinfo galaga = Record("galaga");
  EXPECT_EQ(galaga.timesplayed, "1");
  EXPECT_EQ(ReadFileBytes(Path("ini/kestrune.dat")), PlayedCatalogue(galaga));
  EXPECT_TRUE(fs::exists(Path("ini/kestrune.ini")));
}

// A logout asks nothing: the play is counted up to then and MAME is closed.
TEST_F(MameLauncherTest, ATerminationWhileMameRunsCountsThePlayAndClosesMameWithoutAsking) {
  WriteScript("mame", EndlessFakeMame(Path("calls")));
  Start(ThreeGames());
  Select("galaga");
  Trigger("PlayGame2");
  ASSERT_TRUE(Form1->Launcher()->IsRunning());
  // The request comes while the application's loop runs, which it then ends.
  QTimer::singleShot(0, Form1, &TForm1::Terminate);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(Form1->Launcher()->IsRunning());
  const cat::Tgameinfo galaga = Record("galaga");
  EXPECT_EQ(galaga.timesplayed, "1");
  EXPECT_EQ(ReadFileBytes(Path("ini/kestrune.dat")), PlayedCatalogue(galaga));
  EXPECT_TRUE(fs::exists(Path("ini/kestrune.ini")));
}

// ---- Debian's MAME ----

// The installed MAME, run headless on pong (a machine without ROM files).
class DebianMame : public MameLauncherTest {
 protected:
  void SetUp() override {
    if (access("/usr/games/mame", X_OK) != 0) GTEST_SKIP() << "MAME is not installed";
    MameLauncherTest::SetUp();
    fs::create_symlink("/usr/games/mame", Path("mame"));
    Start(GameLine("pong", [](cat::Tgameinfo& g) { g.timesplayed = "4"; }) + "\r\n");
    ASSERT_EQ(Form1->MameFile(), "mame");
    ASSERT_TRUE(fs::exists(Path("mame.ini")));
    Select("pong");
  }
  void Play(const char* action) {
    Trigger(action);
    ASSERT_TRUE(Form1->Launcher()->IsRunning()) << action;
    ASSERT_TRUE(WaitForEnd(60000)) << action;
    for (const auto& message : messages_) ADD_FAILURE() << action << ": " << message.text.toStdString();
  }
};

TEST_F(DebianMame, PlayIsCountedAndTimed) {
  Form4->Edit("commandline")->setText("-video none -sound none -seconds_to_run 2");
  Play("PlayGame2");
  EXPECT_EQ(Record("pong").timesplayed, "5");
  EXPECT_GE(cat::ParsePlayTime(Record("pong").playtime), 1000) << Record("pong").playtime;
}

// The playback takes no extra options: it runs headless and ends only because MAME read the game's
// ini file that Kestrune wrote.
TEST_F(DebianMame, RecordingIsPlayedBackWithTheGameIni) {
  Form4->Edit("commandline")->setText("-video none -sound none -seconds_to_run 2");
  Play("PlayandRecord1");
  const fs::path recording = fs::path(Form1->GetFolders().inp) / "pong.inp";
  ASSERT_TRUE(fs::is_regular_file(recording)) << recording;

  set::MameOptions options;
  set::ResetMameOptions(options);
  ASSERT_TRUE(options.SetNumber(set::Option::render, set::kRenderNone));
  options.SetText(set::Option::frames, "3");
  set::MameFolders folders;
  folders.FrontDir = folder_;
  folders.IniDir = Form1->GetFolders().ini;
  std::string error;
  ASSERT_TRUE(set::WriteMameIni(set::OptionsMode::GameOptions, options, folders, "pong", &error)) << error;
  Play("PlaybackGamerecord1");
  EXPECT_EQ(Record("pong").timesplayed, "5");
}

}  // namespace
