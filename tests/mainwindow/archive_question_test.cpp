// The password question of an artwork or icon archive, while what the read uses is taken away under it:
// the program's end, a new catalogue. Built on its own under the sanitizers too (see tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <string>

#include "../catalogue/game_lines.h"
#include "catalogue/catalogue_file.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/game_list_view.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "settings/settings.h"
#include "support/program_folder_fixture.h"
#include "translation/program_strings_qt.h"
#include "zip/zip_archiver.h"
#include "zip/zip_prompter_qt.h"

namespace {

namespace cat = kestrune::catalogue;
namespace set = kestrune::settings;
namespace zip = kestrune::zip;

std::string PngOf(QColor colour) {
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

QInputDialog* OpenQuestion() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<QInputDialog*>(window); dialog != nullptr && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

// Tells whether a paint of the widget it watches is under way: it hands each paint on itself.
class PaintWatch : public QObject {
 public:
  bool Painting() const { return painting_; }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || painting_) return false;
    painting_ = true;
    QCoreApplication::sendEvent(watched, event);
    painting_ = false;
    return true;
  }

 private:
  bool painting_ = false;
};

// pacman with its clone puckman, and zaxxon (never the row selected at start); the program's dialogs installed as the program installs them.
class ArchiveQuestionTest : public kestrune::test::ProgramFolderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
    zip::InstallZipPrompter(&prompter_);
    Write("ini/kestrune.dat", Lines());
    set::Settings settings(folder_);
    settings.WriteDefaults(folder_, "mame", "");
    settings.WriteText(set::kUiSection, "tabselect", "0");
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
  }
  void TearDown() override {
    DestroyProgramWindows();
    zip::InstallZipPrompter(nullptr);
    ProgramFolderTest::TearDown();
  }

  static std::string Lines() {
    using kestrune::test::GameLine;
    return GameLine("pacman") + "\r\n" + GameLine("puckman", [](cat::Tgameinfo& g) { g.cloneof = "pacman"; }) +
           "\r\n" + GameLine("zaxxon") + "\r\n";
  }
  // An archive whose entries are all under the password "sesame".
  void WriteEncrypted(const std::string& name, const std::vector<std::string>& entries) const {
    std::filesystem::create_directories(Path(name).parent_path());
    zip::TZipArchiver writer;
    writer.FileName = zip::Utf8ToWide(Path(name).string());
    writer.Password = "sesame";
    writer.OpenZip(zip::kOpenCreate);
    for (const std::string& entry : entries) writer.AddFromBuffer(zip::Utf8ToWide(entry), PngOf(Qt::yellow));
  }
  // Runs `action` once, as soon as a password question is on screen.
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
  void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
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
  ASSERT_TRUE(WaitUntil([this] { return asked_; }));
  Settle();
  EXPECT_TRUE(Form1->Terminating());
  EXPECT_EQ(OpenQuestion(), nullptr);
  EXPECT_FALSE(Form1->Panes()->OpenArchives()[0]);
  // The end asked every event loop to end; the test's own runs on.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QApplication::exec();
}

// The list paints whole, without waiting on any question: the icons' password is asked for once the
// paint is over, and the icons it opens then take the place of the no-icon images (a clone's its parent's).
TEST_F(ArchiveQuestionTest, TheListPaintsWholeAndAsksForTheIconsPasswordAfterwards) {
  WriteEncrypted("icons/icons.zip", {"pacman.ico", "zaxxon.ico"});
  PaintWatch paints;
  bool askedInPaint = true;
  WhenAsked([&](QInputDialog& question) {
    askedInPaint = paints.Painting();
    question.setTextValue("sesame");
    question.accept();
  });
  CreateWindows();
  Form1->gameList()->View()->ReportView()->viewport()->installEventFilter(&paints);
  int paintWarnings = 0;
  const QtMessageHandler before = qInstallMessageHandler(nullptr);
  static int* warnings = nullptr;
  warnings = &paintWarnings;
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains(QLatin1String("paint"), Qt::CaseInsensitive)) ++*warnings;
  });
  ShowAndWait();
  ASSERT_TRUE(WaitUntil([this] { return asked_; }));
  Settle();
  qInstallMessageHandler(before);
  EXPECT_FALSE(askedInPaint);
  EXPECT_EQ(paintWarnings, 0);
  const cat::GameList& list = Form1->gameList()->List();
  for (const char* rom : {"pacman", "puckman", "zaxxon"}) {
    EXPECT_GE(list.ImageIndex(list.FindRomRow(rom)), GameListModel::kBuiltInImages) << rom;
  }
  EXPECT_EQ(OpenQuestion(), nullptr);
}

TEST_F(ArchiveQuestionTest, ANewCatalogueWhileAnIconsPasswordIsAskedForIsReadAfresh) {
  WriteEncrypted("icons/icons.zip", {"puckman.ico"});
  WhenAsked([](QInputDialog& question) {
    // What the end of Initialize Roms does: the new catalogue in place, the list built from it.
    cat::Catalogue fresh;
    fresh.Assign({kestrune::test::GameLine("dkong"), kestrune::test::GameLine("puckman", [](cat::Tgameinfo& g) {
                    g.cloneof = "pacman";
                  })});
    Form1->ReplaceCatalogue(std::move(fresh));
    Form1->gameList()->ClearIconIndexes();
    Form1->gameList()->BuildGameList();
    question.reject();
  });
  Start();
  ASSERT_TRUE(WaitUntil([this] { return asked_; }));
  Settle();
  const cat::GameList& list = Form1->gameList()->List();
  ASSERT_EQ(list.GameCount(), 2);
  // Cancelled: no icon, and no second question for the archive.
  EXPECT_EQ(list.ImageIndex(list.FindRomRow("puckman")), GameListModel::kNoIconImage);
  EXPECT_EQ(OpenQuestion(), nullptr);
}

}  // namespace
