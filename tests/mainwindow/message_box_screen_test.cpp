// The program's message boxes, opened from their commands in English and in Dutch, show every line of
// their text whole and lie on the screen. message_box_x11_test.sh runs these tests on a real X server
// too, with and without a window manager, whose fonts and frames offscreen lacks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <string>
#include <tuple>

#include "../catalogue/game_lines.h"
#include "mainwindow/delete_rom_dialog.h"
#include "mainwindow/game_details_dialog.h"
#include "mainwindow/game_list_controller.h"
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

// What a box showed: the label's room and what its text needs, the box's frame and the screen.
struct SeenBox {
  std::string text;
  QSize room;
  QSize needed;
  QRect frame;
  QRect screen;
};

SeenBox Measure(const QMessageBox& box) {
  const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  const QFontMetrics metrics(label->font());
  const QSize room = label->contentsRect().size();
  int widest = 0;
  for (const QString& line : label->text().split('\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
  const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
  const int height = metrics.boundingRect(QRect(0, 0, room.width(), 100000), flags, label->text()).height();
  return {label->text().toStdString(), room, {widest, height}, box.frameGeometry(), box.screen()->geometry()};
}

// Measures each box the program opens once it stands still on the screen (with KESTRUNE_TEST_FRAMED,
// in the window manager's frame), and closes it.
class BoxWatcher {
 public:
  BoxWatcher() {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(20);
  }
  std::vector<SeenBox> seen;

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    if (box != box_) {
      box_ = box;
      shown_.start();
    }
    const bool framed = qEnvironmentVariableIsEmpty("KESTRUNE_TEST_FRAMED") || box->frameGeometry() != box->geometry();
    const bool up = box->windowHandle()->isExposed() && framed && box->frameGeometry() == frame_;
    steady_ = up ? steady_ + 1 : 0;
    frame_ = box->frameGeometry();
    // A box that never comes up whole is measured as it is after a while, and fails.
    if (steady_ < 5 && shown_.elapsed() < 20000) return;
    seen.push_back(Measure(*box));
    box->buttons().constFirst()->click();
  }

  QTimer poll_;
  QPointer<QMessageBox> box_;
  QElapsedTimer shown_;
  QRect frame_;
  int steady_ = 0;
};

void Select(const char* romname) { Form1->gameList()->SelectGameByRom(romname); }
void Trigger(const char* action) { Form1->Menus()->Action(action)->trigger(); }
void Click(QWidget* window, const char* button) { window->findChild<QPushButton*>(button)->click(); }
void ChooseInSetup(const std::string& file) {
  kestrune::test::WriteFileBytes(file, "#!/bin/sh\n");
  fs::permissions(file, fs::perms(0755));
  Form5->SetFileChooser([file](const QString&) { return QString::fromStdString(file); });
  Click(Form5, "Button1");
}

struct BoxCase {
  const char* name;
  bool games;  // else the setup is left unfinished
  bool mame;
  void (*act)(const std::string& folder);
  const char* english;  // how the message begins
  const char* dutch;
};

void PrintTo(const BoxCase& box, std::ostream* out) { *out << box.name; }

const BoxCase kBoxes[] = {
    {"PlayWithoutMame", true, false, [](const std::string&) { Select("galaga"), Trigger("PlayGame2"); },
     "No Mame binary selected !", "Geen MAME-programma gekozen !"},
    {"PlayFromGameDetailsWithoutMame", true, false,
     [](const std::string&) { Select("pacman"), Trigger("Show1"), Click(Form12, "Button3"); },
     "No Mame binary selected !", "Geen MAME-programma gekozen !"},
    {"SetupGivenAMameOfAnotherFolder", false, false,
     [](const std::string& folder) { fs::create_directory(folder + "other"), ChooseInSetup(folder + "other/mame"); },
     "The mame file must be in the same folder as Kestrune !",
     "Het MAME-programma moet in dezelfde map staan als Kestrune !"},
    {"SetupGivenMame32", false, false, [](const std::string& folder) { ChooseInSetup(folder + "mame32"); },
     "Kestrune does not support Mame32 binaries", "Kestrune ondersteunt geen Mame32-programma's"},
    {"DeleteRomFileOfAMergedClone", true, true,
     [](const std::string&) { Select("mspacman"), Trigger("MoveRomFileTo3"), Click(OKBottomDlg2, "OKBtn"); },
     "This Rom File is merged within another Rom zipfile and cannot be deleted.",
     "Dit rombestand zit samengevoegd in een ander romzipbestand en kan niet verwijderd worden."},
    {"PlayWhileMameRuns", true, true,
     [](const std::string&) {
       Select("galaga"), Trigger("PlayGame2"), Form1->ShowAndRaise();
       Select("pacman"), Trigger("PlayGame2");
     },
     "MAME is still running \"galaga\". Close it before you start another game.",
     "MAME draait nog met \"galaga\". Sluit het voordat u een ander spel start."},
    {"PlayWithAMameThatCannotRun", true, true,
     [](const std::string& folder) {
       fs::permissions(folder + "mame", fs::perms(0644));
       Select("galaga"), Trigger("PlayGame2");
     },
     "MAME could not be started:", "MAME kon niet gestart worden:"},
    {"HomePageWithoutADesktopProgram", true, true,
     [](const std::string&) {
       Form1->SetUrlOpener([](const QUrl&) { return false; });
       Trigger("OfficialMameHomepage1");
     },
     "No program of the desktop opens https://www.mamedev.org/.",
     "Geen programma van het bureaublad opent https://www.mamedev.org/."},
    // The one box whose word is cut: it is wider than the screen.
    {"AddressWiderThanTheScreenWithoutADesktopProgram", true, true,
     [](const std::string&) {
       Form1->SetUrlOpener([](const QUrl&) { return false; });
       Form1->OpenUrl(QStringLiteral("https://www.example.org/") + QString(400, 'w'));
     },
     "No program of the desktop opens https://www.example.org/www", "Geen programma van het bureaublad opent https"},
};

QString WithoutBlanks(QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); }

class MessageBoxOnScreen : public kestrune::test::ProgramFolderTest,
                           public ::testing::WithParamInterface<std::tuple<BoxCase, std::string>> {
 protected:
  void Arrange(const BoxCase& box, const std::string& language) const {
    for (const char* file : {"english.lng", "dutch.lng"}) {
      Write(std::string("lang/") + file,
            kestrune::test::ReadFileBytes(kestrune::test::TestDataDir() / "../../lang" / file));
    }
    if (box.mame) WriteScript("mame", "[ \"$1\" = -showconfig ] || exec sleep 60\n");
    if (box.games) {
      Write("ini/kestrune.dat", GameLine("galaga") + "\r\n" + GameLine("pacman") + "\r\n" +
                                    GameLine("mspacman", [](auto& game) { game.cloneof = "pacman"; }) + "\r\n");
    }
    Write("roms/pacman.zip", "parent");
    set::Settings settings(folder_);
    settings.WriteDefaults(folder_, box.mame ? "mame" : "", "");
    settings.WriteText(set::kUiSection, "language", language == "Dutch" ? "1" : "0");
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
  }
};

TEST_P(MessageBoxOnScreen, ShowsEveryLineWholeOnTheScreen) {
  const auto& [box, language] = GetParam();
  ASSERT_NO_FATAL_FAILURE(Arrange(box, language));
  BoxWatcher watcher;
  CreateWindows();
  // The program's own boxes, not the fixture's record of them.
  Form1->SetMessenger([](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
    return AskWithBox(Form1, icon, text, buttons);
  });
  Form1->SetDialogRunner([](QDialog& dialog) { return dialog.open(), 0; });
  ShowAndWait();
  const std::size_t before = watcher.seen.size();
  box.act(folder_);
  ASSERT_EQ(watcher.seen.size(), before + 1) << "the command showed no box, or more than one";
  const QString expected = WithoutBlanks(language == "Dutch" ? box.dutch : box.english);
  EXPECT_TRUE(WithoutBlanks(QString::fromStdString(watcher.seen.back().text)).startsWith(expected))
      << watcher.seen.back().text;
  for (const SeenBox& seen : watcher.seen) {
    EXPECT_GE(seen.room.width(), seen.needed.width()) << seen.text;
    EXPECT_GE(seen.room.height(), seen.needed.height()) << seen.text;
    EXPECT_TRUE(seen.screen.contains(seen.frame))
        << seen.text << " in " << seen.frame.width() << "x" << seen.frame.height() << " at " << seen.frame.x() << ","
        << seen.frame.y();
  }
  if (Form1->Launcher()->IsRunning()) Form1->Launcher()->EndRunningPlay();
}

INSTANTIATE_TEST_SUITE_P(Boxes, MessageBoxOnScreen,
                         ::testing::Combine(::testing::ValuesIn(kBoxes),
                                            ::testing::Values(std::string("English"), std::string("Dutch"))),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "In" + std::get<1>(info.param);
                         });

}  // namespace
