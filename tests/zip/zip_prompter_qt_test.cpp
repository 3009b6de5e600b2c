#include "zip/zip_prompter_qt.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDialogButtonBox>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
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

// The program's path: an artwork archive with encrypted pictures, read as the picture panes read it.
TEST_F(ZipPrompterQtTest, AnEncryptedPictureAsksForItsPasswordAndCancelSkipsItQuietly) {
  kestrune::test::TempDir dir;
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  image.save((buffer.open(QIODevice::WriteOnly), &buffer), "PNG");
  {
    TZipArchiver writer;
    writer.FileName = Utf8ToWide((dir / "snap.zip").string());
    writer.Password = "sesame";
    writer.OpenZip(kOpenCreate);
    writer.AddFromBuffer(u"pacman.png", png.toStdString());
    writer.AddFromBuffer(u"galaga.png", png.toStdString());
  }
  for (const std::string answer : {"OK", "Cancel"}) {
    SCOPED_TRACE(answer);
    catalogue::ArtworkSource snaps(dir.path(), "snap.zip");
    DialogAnswerer answers(QString::fromStdString(answer), "sesame");
    // The picture asked about, then the next one and a refresh: no error either way, and one question.
    for (const char* name : {"pacman.png", "galaga.png", "pacman.png"}) {
      std::string bytes;
      EXPECT_EQ(snaps.Read(name, bytes), answer == "OK");
      EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(bytes)).size(), answer == "OK" ? QSize(3, 2) : QSize(0, 0));
    }
    EXPECT_EQ(answers.shown, std::vector<std::string>{"Password for \"pacman.png\"|Enter password: |Cancel|OK"});
  }
}

}  // namespace
}  // namespace kestrune::zip
