#include "zip/zip_prompter_qt.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/artwork_source.h"
#include "support/temp_dir.h"
#include "translation/program_strings_qt.h"

namespace kestrune::zip {
namespace {

// While it lives, answers every dialog that comes up by typing `typed` into an input box and clicking
// the button captioned `click` (none such: rejecting it), having noted what it showed: its text, or its
// caption and label, then its buttons in sorted order. So a test never waits on a dialog.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(QString click_, QString typed_ = {}) : click(std::move(click_)), typed(std::move(typed_)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) Answer(*dialog);
    });
    timer_.start(5);
  }
  QString click, typed;
  std::vector<std::string> shown;

 private:
  void Answer(QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    auto* input = qobject_cast<QInputDialog*>(&dialog);
    std::string seen =
        box ? box->text().toStdString() : dialog.windowTitle().toStdString() + "|" + input->labelText().toStdString();
    if (input) input->findChild<QLineEdit*>()->setText(typed);
    QList<QAbstractButton*> buttons = dialog.findChild<QDialogButtonBox*>()->buttons();
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->text() < b->text(); });
    for (QAbstractButton* button : buttons) seen += "|" + button->text().toStdString();
    shown.push_back(seen);
    const auto found = std::find_if(buttons.begin(), buttons.end(), [this](auto* b) { return b->text() == click; });
    found != buttons.end() ? (*found)->click() : dialog.reject();
  }

  QTimer timer_;
};

class ZipPrompterQtTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallZipPrompter(&prompter_); }
  void TearDown() override { InstallZipPrompter(nullptr); }

  TZipPrompterQt prompter_{&ProgramQTextOf};
  TZipArchiver zip_;
};

bool Overwrites(TZipBaseArchiver& zip) {
  WideString destination = u"/games/snap/pacman.png";
  bool confirm = false;
  zip.DoOnConfirmOverwrite(u"snap/pacman.png", destination, confirm);
  return confirm;
}

TZipAction FailureAction(TZipBaseArchiver& zip, int code, const char16_t* message) {
  TZipAction action = TZipAction::fxaAbort;
  zip.DoOnProcessFileFailure(u"a.png", TZipProcessOperation::poExtract, code, code, message, action);
  return action;
}

TEST_F(ZipPrompterQtTest, QuestionsShowTheirTextAndButtonsAndGiveTheAnswerClicked) {
  const std::string overwrite =
      "Overwrite file \"/games/snap/pacman.png\" with \"snap/pacman.png\"|&No|&Yes|N&o to All|Yes to &All";
  DialogAnswerer answers("N&o to All");
  EXPECT_FALSE(Overwrites(zip_));
  EXPECT_EQ(zip_.Options.OverwriteMode, TZipOverwriteMode::omNever);
  answers.click = "Yes to &All";
  EXPECT_TRUE(Overwrites(zip_));
  EXPECT_EQ(zip_.Options.OverwriteMode, TZipOverwriteMode::omAlways);
  answers.click = "&Retry";
  EXPECT_EQ(FailureAction(zip_, 46, u"Write to stream error"), TZipAction::fxaRetry);
  EXPECT_EQ(FailureAction(zip_, 61, u"File name is too long"), TZipAction::fxaAbort);  // it has no Retry: closed
  answers.click = "&Ignore";
  EXPECT_EQ(FailureAction(zip_, 61, u"File name is too long"), TZipAction::fxaIgnore);
  EXPECT_EQ(answers.shown,
            (std::vector<std::string>{
                overwrite, overwrite,
                "Write to stream error. File processing error, possibly disk is full|&Abort|&Ignore|&Retry",
                "File name is too long|&Abort|&Ignore", "File name is too long|&Abort|&Ignore"}));
}

// Events run until done() is true, for `ms` at most.
template <typename Done>
bool Settle(Done done, int ms = 5000) {
  QElapsedTimer waited;
  waited.start();
  while (!done() && waited.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

void WriteEncrypted(const std::filesystem::path& archive, const std::vector<std::string>& names,
                    const QByteArray& data) {
  TZipArchiver writer;
  writer.FileName = Utf8ToWide(archive.string());
  writer.Password = "sesame";
  writer.OpenZip(kOpenCreate);
  for (const std::string& name : names) writer.AddFromBuffer(Utf8ToWide(name), data.toStdString());
}

// The program's path: an artwork archive with encrypted pictures, read as the picture panes read it. The
// question comes after the read, one for the archive, and a password given has the reader read again.
TEST_F(ZipPrompterQtTest, AnEncryptedPictureAsksForItsPasswordAfterTheReadAndCancelSkipsItQuietly) {
  kestrune::test::TempDir dir;
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  image.save((buffer.open(QIODevice::WriteOnly), &buffer), "PNG");
  WriteEncrypted(dir / "snap.zip", {"pacman.png", "galaga.png"}, png);
  for (const std::string answer : {"OK", "Cancel"}) {
    SCOPED_TRACE(answer);
    catalogue::ArtworkSource snaps(dir.path(), "snap.zip");
    int given = 0;
    snaps.SetPasswordGiven([&given] { ++given; });
    DialogAnswerer answers(QString::fromStdString(answer), "sesame");
    std::string bytes;
    // Neither read waits: the first asks for later, the second is skipped while that question waits.
    EXPECT_FALSE(snaps.Read("pacman.png", bytes));
    EXPECT_FALSE(snaps.Read("galaga.png", bytes));
    EXPECT_TRUE(answers.shown.empty());
    Settle([&answers] { return !answers.shown.empty(); });
    EXPECT_EQ(given, answer == "OK" ? 1 : 0);
    for (const char* name : {"pacman.png", "galaga.png"}) {
      EXPECT_EQ(snaps.Read(name, bytes), answer == "OK");
      EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(bytes)).size(), answer == "OK" ? QSize(3, 2) : QSize(0, 0));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(answers.shown, std::vector<std::string>{"Password for \"pacman.png\"|Enter password: |Cancel|OK"});
  }
}

// A question whose archive is closed before its turn is not shown, and one answered after its archive
// was closed reaches nothing; while one waits, another archive is not asked.
TEST_F(ZipPrompterQtTest, APasswordQuestionOutlivesNoArchiveAndComesOneAtATime) {
  kestrune::test::TempDir dir;
  for (const char* name : {"a.zip", "b.zip"}) WriteEncrypted(dir / name, {"x.png"}, "bytes");
  const auto openBox = [] {
    Settle([] { return QApplication::activeModalWidget() != nullptr; }, 200);
    return qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
  };
  std::string bytes;
  {
    catalogue::ArtworkSource first(dir.path(), "a.zip");
    catalogue::ArtworkSource second(dir.path(), "b.zip");
    EXPECT_FALSE(first.Read("x.png", bytes));
    EXPECT_FALSE(second.Read("x.png", bytes));
  }
  EXPECT_EQ(openBox(), nullptr);
  for (const bool accept : {true, false}) {
    auto source = std::make_unique<catalogue::ArtworkSource>(dir.path(), accept ? "b.zip" : "a.zip");
    EXPECT_FALSE(source->Read("x.png", bytes));
    QInputDialog* box = openBox();
    ASSERT_NE(box, nullptr);
    source.reset();
    box->setTextValue("sesame");
    accept ? box->accept() : box->reject();
    EXPECT_EQ(openBox(), nullptr);
  }
  // A box left open when its archive closes goes by itself, unanswered.
  auto source = std::make_unique<catalogue::ArtworkSource>(dir.path(), "a.zip");
  EXPECT_FALSE(source->Read("x.png", bytes));
  ASSERT_NE(openBox(), nullptr);
  source.reset();
  EXPECT_TRUE(Settle([] { return QApplication::activeModalWidget() == nullptr; }));
}

}  // namespace
}  // namespace kestrune::zip
