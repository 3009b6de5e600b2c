// An archive's password question while what a read uses goes away: the program's end, a new catalogue;
// and the list's paint, which no question may interrupt. Also built alone under the sanitizers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QEvent>
#include <QImage>
#include <QInputDialog>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <string>

#include "../catalogue/game_lines.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "support/program_folder_fixture.h"
#include "translation/program_strings_qt.h"
#include "zip/zip_prompter_qt.h"

namespace {

namespace cat = kestrune::catalogue;
namespace zip = kestrune::zip;
using kestrune::test::GameLine;

QInputDialog* OpenQuestion() { return qobject_cast<QInputDialog*>(QApplication::activeModalWidget()); }

// Tells whether a paint of the widget it watches is under way: it hands each paint on itself.
class PaintWatch : public QObject {
 public:
  bool painting = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || painting) return false;
    painting = true;
    QCoreApplication::sendEvent(watched, event);
    painting = false;
    return true;
  }
};

// pacman, its clone puckman and zaxxon (not selected at start), with the program's dialogs installed.
class ArchiveQuestionTest : public kestrune::test::ProgramFolderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
    zip::InstallZipPrompter(&prompter_);
    Write("ini/kestrune.dat", GameLine("pacman") + "\r\n" + Clone("puckman") + "\r\n" + GameLine("zaxxon") + "\r\n");
  }
  void TearDown() override {
    DestroyProgramWindows();
    zip::InstallZipPrompter(nullptr);
    ProgramFolderTest::TearDown();
  }
  static std::string Clone(const std::string& rom) {
    return GameLine(rom, [](cat::Tgameinfo& g) { g.cloneof = "pacman"; });
  }
  // An archive of yellow pictures under the password "sesame".
  void WriteEncrypted(const std::string& name, const std::vector<std::string>& entries) const {
    std::filesystem::create_directories(Path(name).parent_path());
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    QByteArray png;
    QBuffer buffer(&png);
    image.save((buffer.open(QIODevice::WriteOnly), &buffer), "PNG");
    zip::TZipArchiver writer;
    writer.FileName = zip::Utf8ToWide(Path(name).string());
    writer.Password = "sesame";
    writer.OpenZip(zip::kOpenCreate);
    for (const std::string& entry : entries) writer.AddFromBuffer(zip::Utf8ToWide(entry), png.toStdString());
  }
  // Runs `action` once, as soon as a password question is on screen, and waits for it.
  void WhenAsked(std::function<void(QInputDialog&)> action) {
    QObject::connect(&watch_, &QTimer::timeout, [this, action = std::move(action)] {
      if (QInputDialog* question = OpenQuestion()) {
        watch_.stop();
        asked_ = true;
        action(*question);
      }
    });
    watch_.start(5);
  }
  void WaitForQuestion() {
    ASSERT_TRUE(WaitUntil([this] { return asked_; }));
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(OpenQuestion(), nullptr);
  }
  int IconOf(const char* rom) const {
    const cat::GameList& list = Form1->gameList()->List();
    return list.ImageIndex(list.FindRomRow(rom));
  }

  zip::TZipPrompterQt prompter_{&ProgramQTextOf};
  QTimer watch_;
  bool asked_ = false;
};

TEST_F(ArchiveQuestionTest, TheProgramEndingWhileASnapshotsPasswordIsAskedForFreesNothingInUse) {
  WriteEncrypted("snap/snap.zip", {"zaxxon.png"});
  Start();
  WhenAsked([](QInputDialog&) { Form1->Terminate(); });
  Form1->gameList()->View()->SelectRow(Form1->gameList()->List().FindRomRow("zaxxon"));
  Form1->Panes()->RefreshNow();
  ASSERT_NO_FATAL_FAILURE(WaitForQuestion());
  EXPECT_TRUE(Form1->Terminating());
  EXPECT_FALSE(Form1->Panes()->OpenArchives()[0]);
  // The end asked every event loop to end; the test's own runs on.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QApplication::exec();
}

// The question comes after the paint, which showed every row; the icons the password opens then take
// the place of the no-icon images (a clone's, its parent's).
TEST_F(ArchiveQuestionTest, TheListPaintsWholeAndAsksForTheIconsPasswordAfterwards) {
  WriteEncrypted("icons/icons.zip", {"pacman.ico", "zaxxon.ico"});
  PaintWatch paints;
  bool askedInPaint = true;
  WhenAsked([&](QInputDialog& question) {
    askedInPaint = paints.painting;
    question.setTextValue("sesame");
    question.accept();
  });
  CreateWindows();
  Form1->gameList()->View()->ReportView()->viewport()->installEventFilter(&paints);
  static int paintWarnings = 0;  // "Recursive repaint detected", "endPaint() called with active painter"
  const QtMessageHandler before = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains(QLatin1String("paint"), Qt::CaseInsensitive)) ++paintWarnings;
  });
  ShowAndWait();
  WaitForQuestion();
  qInstallMessageHandler(before);
  EXPECT_FALSE(askedInPaint);
  EXPECT_EQ(paintWarnings, 0);
  for (const char* rom : {"pacman", "puckman", "zaxxon"}) EXPECT_GE(IconOf(rom), GameListModel::kBuiltInImages) << rom;
}

TEST_F(ArchiveQuestionTest, ANewCatalogueWhileAnIconsPasswordIsAskedForIsReadAfresh) {
  WriteEncrypted("icons/icons.zip", {"puckman.ico"});
  WhenAsked([](QInputDialog& question) {
    // What the end of Initialize Roms does: the new catalogue in place, the list built from it.
    cat::Catalogue fresh;
    fresh.Assign({GameLine("dkong"), Clone("puckman")});
    Form1->ReplaceCatalogue(std::move(fresh));
    Form1->gameList()->ClearIconIndexes();
    Form1->gameList()->BuildGameList();
    question.reject();
  });
  Start();
  WaitForQuestion();
  ASSERT_EQ(Form1->gameList()->List().GameCount(), 2);
  EXPECT_EQ(IconOf("puckman"), GameListModel::kNoIconImage);
}

}  // namespace
