// The program's message boxes, opened as the user opens them, in English and in Dutch: each box shows
// every line of its text whole and lies on the screen. message_box_x11_test.sh runs these tests again
// on a real X server, with and without a window manager, whose fonts and frames offscreen lacks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "../catalogue/game_lines.h"
#include "mainwindow/delete_rom_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_view.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/mame_launcher.h"
#include "mainwindow/message_box.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/setup_wizard_dialog.h"
#include "settings/settings.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace set = kestrune::settings;
using kestrune::test::GameLine;

// A box as it stood on the screen.
struct SeenBox {
  QString text;  // the label's text, broken into lines
  int widestLine = 0;
  QRect label;         // the room the label gives its text
  int textHeight = 0;  // the height the text needs in that room
  QRect frame;
  QRect screen;
};

QString WithoutBlanks(QString text) {
  text.remove(QRegularExpression(QStringLiteral("\\s")));
  return text;
}

SeenBox Measure(const QMessageBox& box) {
  SeenBox seen;
  const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (label == nullptr) return seen;
  const QFontMetrics metrics(label->font());
  seen.text = label->text();
  for (const QString& line : seen.text.split(QLatin1Char('\n'))) {
    seen.widestLine = std::max(seen.widestLine, metrics.horizontalAdvance(line));
  }
  seen.label = label->contentsRect();
  const int flags = label->alignment() | (label->wordWrap() ? Qt::TextWordWrap : 0);
  seen.textHeight = metrics.boundingRect(QRect(0, 0, seen.label.width(), 100000), flags, seen.text).height();
  seen.frame = box.frameGeometry();
  seen.screen = box.screen()->geometry();
  return seen;
}

// Measures every message box the program opens, once it stands still on the screen (under a window
// manager: in its frame), and closes it with its default button. KESTRUNE_BOX_SHOTS names a folder for
// a picture of the screen with each box (xwd, on an X server).
class BoxWatcher {
 public:
  BoxWatcher() {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(20);
  }
  const std::vector<SeenBox>& Seen() const { return seen_; }
  std::string shotName;

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    if (box != box_) {
      box_ = box;
      steady_ = 0;
      shown_.start();
    }
    const bool framed = qEnvironmentVariableIsEmpty("KESTRUNE_TEST_FRAMED") || box->frameGeometry() != box->geometry();
    const bool exposed = box->windowHandle() != nullptr && box->windowHandle()->isExposed() && framed;
    steady_ = exposed && box->frameGeometry() == frame_ ? steady_ + 1 : 0;
    frame_ = box->frameGeometry();
    // A box that never comes up whole is measured as it is after a while, and fails.
    if (steady_ < 5 && shown_.elapsed() < 20000) return;
    seen_.push_back(Measure(*box));
    TakeShot(*box);
    QAbstractButton* button = box->defaultButton();
    (button != nullptr ? button : box->buttons().constFirst())->click();
  }

  // The box's own window shows its text; the screen (where the box's content may not show) its place.
  void TakeShot(const QMessageBox& box) const {
    const QString folder = qEnvironmentVariable("KESTRUNE_BOX_SHOTS");
    if (folder.isEmpty() || QGuiApplication::platformName() != QStringLiteral("xcb")) return;
    const QString name = QStringLiteral("%1/%2-%3").arg(folder, QString::fromStdString(shotName)).arg(seen_.size());
    const QStringList window{QStringLiteral("-id"), QString::number(box.winId())};
    QProcess::execute(
        QStringLiteral("xwd"),
        QStringList{QStringLiteral("-silent"), QStringLiteral("-out"), name + QStringLiteral("-box.xwd")} + window);
    QProcess::execute(QStringLiteral("xwd"), {QStringLiteral("-silent"), QStringLiteral("-root"),
                                              QStringLiteral("-out"), name + QStringLiteral("-screen.xwd")});
  }

  QTimer poll_;
  QPointer<QMessageBox> box_;
  QRect frame_;
  int steady_ = 0;
  QElapsedTimer shown_;
  std::vector<SeenBox> seen_;
};

class MessageBoxOnScreen;

struct BoxCase {
  const char* name;
  // Before the start: the program folder as the user has it.
  std::function<void(MessageBoxOnScreen&)> arrange;
  // What the user does to get the box.
  std::function<void(MessageBoxOnScreen&)> act;
  const char* english;  // the message begins so
  const char* dutch;
};

struct BoxRun {
  BoxCase box;
  const char* language;
};

void PrintTo(const BoxRun& run, std::ostream* out) { *out << run.box.name << " in " << run.language; }

class MessageBoxOnScreen : public kestrune::test::ProgramFolderTest, public ::testing::WithParamInterface<BoxRun> {
 public:
  using ProgramFolderTest::Path;
  using ProgramFolderTest::Write;
  using ProgramFolderTest::WriteProgram;
  void WriteSettings(const std::string& mameFile) const {
    fs::create_directories(Path("lang"));
    for (const char* file : {"english.lng", "dutch.lng"}) {
      fs::copy_file(kestrune::test::TestDataDir() / ".." / ".." / "lang" / file, Path("lang") / file);
    }
    set::Settings settings(folder_);
    settings.WriteDefaults(folder_, mameFile, "");
    settings.WriteText(set::kUiSection, "mamefile", mameFile);
    settings.WriteText(set::kUiSection, "language", GetParam().language == std::string("dutch") ? "1" : "0");
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
  }
  void WriteGames() const {
    Write("ini/kestrune.dat", GameLine("galaga") + "\r\n" + GameLine("pacman") + "\r\n" +
                                  GameLine("mspacman", [](auto& game) { game.cloneof = "pacman"; }) + "\r\n");
  }
  void WriteSleepingMame() const { WriteScript("mame", "[ \"$1\" = -showconfig ] && exit 0\nexec sleep 60\n"); }
  void Select(const char* romname) const { Form1->gameList()->SelectGameByRom(romname); }
  static void Trigger(const char* action) { Form1->Menus()->Action(action)->trigger(); }
  static void Click(QWidget* window, const char* button) { window->findChild<QPushButton*>(button)->click(); }
  void ChooseInWizard(const std::string& file) const {
    const QString chosen = QString::fromStdString(folder_ + file);
    Form5->SetFileChooser([chosen](const QString&) { return chosen; });
    Click(Form5, "Button1");
  }
};

TEST_P(MessageBoxOnScreen, ShowsEveryLineWholeOnTheScreen) {
  const BoxRun& run = GetParam();
  BoxWatcher watcher;
  watcher.shotName = std::string(run.box.name) + "-" + run.language;
  ASSERT_NO_FATAL_FAILURE(run.box.arrange(*this));
  CreateWindows();
  // The program's own boxes, not the fixture's record of them.
  Form1->SetMessenger([](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
    return AskWithBox(Form1, icon, text, buttons);
  });
  Form1->SetDialogRunner([](QDialog& dialog) {
    dialog.open();
    return 0;
  });
  ShowAndWait();
  const std::size_t before = watcher.Seen().size();
  run.box.act(*this);
  ASSERT_EQ(watcher.Seen().size(), before + 1) << "the command showed no box, or more than one";

  const QString expected = WithoutBlanks(run.language == std::string("dutch") ? run.box.dutch : run.box.english);
  EXPECT_TRUE(WithoutBlanks(watcher.Seen().back().text).startsWith(expected))
      << watcher.Seen().back().text.toStdString();
  for (const SeenBox& box : watcher.Seen()) {
    const std::string text = box.text.toStdString();
    EXPECT_GE(box.label.width(), box.widestLine) << text;
    EXPECT_GE(box.label.height(), box.textHeight) << text;
    EXPECT_TRUE(box.screen.contains(box.frame)) << text << " " << box.frame.x() << "," << box.frame.y() << " "
                                                << box.frame.width() << "x" << box.frame.height();
  }
  if (Form1->Launcher()->IsRunning()) Form1->Launcher()->EndRunningPlay();
}

const BoxCase kBoxes[] = {
    {"PlayWithoutMame",
     [](MessageBoxOnScreen& t) {
       t.WriteSettings("mame");
       t.WriteGames();
     },
     [](MessageBoxOnScreen& t) {
       t.Select("galaga");
       t.Trigger("PlayGame2");
     },
     "No Mame binary selected !", "Geen MAME-programma gekozen !"},
    {"PlayFromGameDetailsWithoutMame",
     [](MessageBoxOnScreen& t) {
       t.WriteSettings("mame");
       t.WriteGames();
     },
     [](MessageBoxOnScreen& t) {
       t.Select("pacman");
       t.Trigger("Show1");
       t.Click(Form12, "Button3");
     },
     "No Mame binary selected !", "Geen MAME-programma gekozen !"},
    {"SetupGivenAMameOfAnotherFolder", [](MessageBoxOnScreen& t) { t.WriteSettings(""); },
     [](MessageBoxOnScreen& t) {
       t.WriteProgram("other/mame0251");
       t.ChooseInWizard("other/mame0251");
     },
     "The mame file must be in the same folder as Kestrune !",
     "Het MAME-programma moet in dezelfde map staan als Kestrune !"},
    {"SetupGivenMame32", [](MessageBoxOnScreen& t) { t.WriteSettings(""); },
     [](MessageBoxOnScreen& t) {
       t.WriteProgram("mame32");
       t.ChooseInWizard("mame32");
     },
     "Kestrune does not support Mame32 binaries", "Kestrune ondersteunt geen Mame32-programma's"},
    {"DeleteRomFileOfAMergedClone",
     [](MessageBoxOnScreen& t) {
       t.WriteSettings("mame");
       t.WriteGames();
       t.WriteProgram("mame");
       t.Write("roms/pacman.zip", "parent");
     },
     [](MessageBoxOnScreen& t) {
       t.Select("mspacman");
       t.Trigger("MoveRomFileTo3");
       t.Click(OKBottomDlg2, "OKBtn");
     },
     "This Rom File is merged within another Rom zipfile and cannot be deleted.",
     "Dit rombestand zit samengevoegd in een ander romzipbestand en kan niet verwijderd worden."},
    {"PlayWhileMameRuns",
     [](MessageBoxOnScreen& t) {
       t.WriteSettings("mame");
       t.WriteGames();
       t.WriteSleepingMame();
     },
     [](MessageBoxOnScreen& t) {
       t.Select("galaga");
       t.Trigger("PlayGame2");
       Form1->ShowAndRaise();
       t.Select("pacman");
       t.Trigger("PlayGame2");
     },
     "MAME is still running \"galaga\". Close it before you start another game.",
     "MAME draait nog met \"galaga\". Sluit het voordat u een ander spel start."},
    {"PlayWithAMameThatCannotRun",
     [](MessageBoxOnScreen& t) {
       t.WriteSettings("mame");
       t.WriteGames();
       t.WriteProgram("mame");
     },
     [](MessageBoxOnScreen& t) {
       fs::permissions(t.Path("mame"), fs::perms(0644));
       t.Select("galaga");
       t.Trigger("PlayGame2");
     },
     "MAME could not be started:", "MAME kon niet gestart worden:"},
    {"HomePageWithoutADesktopProgram",
     [](MessageBoxOnScreen& t) {
       t.WriteSettings("mame");
       t.WriteGames();
       t.WriteProgram("mame");
     },
     [](MessageBoxOnScreen&) {
       Form1->SetUrlOpener([](const QUrl&) { return false; });
       MessageBoxOnScreen::Trigger("OfficialMameHomepage1");
     },
     "No program of the desktop opens https://www.mamedev.org/.",
     "Geen programma van het bureaublad opent https://www.mamedev.org/."},
    // The one case where a word is cut: it is wider than the screen.
    {"AddressWiderThanTheScreenWithoutADesktopProgram",
     [](MessageBoxOnScreen& t) {
       t.WriteSettings("mame");
       t.WriteGames();
       t.WriteProgram("mame");
     },
     [](MessageBoxOnScreen&) {
       Form1->SetUrlOpener([](const QUrl&) { return false; });
       Form1->OpenUrl(QStringLiteral("https://www.example.org/") + QString(400, QLatin1Char('w')));
     },
     "No program of the desktop opens https://www.example.org/wwww",
     "Geen programma van het bureaublad opent https://www.example.org/wwww"},
};

std::vector<BoxRun> AllRuns() {
  std::vector<BoxRun> runs;
  for (const char* language : {"english", "dutch"}) {
    for (const BoxCase& box : kBoxes) runs.push_back({box, language});
  }
  return runs;
}

INSTANTIATE_TEST_SUITE_P(Boxes, MessageBoxOnScreen, ::testing::ValuesIn(AllRuns()),
                         [](const ::testing::TestParamInfo<BoxRun>& info) {
                           return std::string(info.param.box.name) + "In" +
                                  (info.param.language == std::string("dutch") ? "Dutch" : "English");
                         });

}  // namespace
