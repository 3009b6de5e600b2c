#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QString>
#include <QThread>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace kestrune::test {

// A message box the program asked the user to see.
struct Message {
  QMessageBox::Icon icon;
  QString text;
  QMessageBox::StandardButtons buttons;
};

// A program folder of its own, the current folder while the program's windows live in it. The
// windows' message boxes are recorded instead of shown; a question with a Yes button gets answer_.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path Path(const std::string& name) const { return std::filesystem::path(folder_) / name; }
  void Write(const std::string& name, std::string_view bytes) const;
  // An executable shell script with this body.
  void WriteScript(const std::string& name, const std::string& body) const;
  // A program that does nothing, executable or not.
  void WriteProgram(const std::string& name, bool executable = true) const;

  // Creates the windows with the recording messenger; the test may hook into them before ShowAndWait.
  void CreateWindows();
  // Shows the main window and lets its first show and first activation run.
  void ShowAndWait();
  void Start() {
    CreateWindows();
    ShowAndWait();
  }
  std::vector<QString> MessageTexts() const;
  // Under tests/app/read_only_folder_test.sh, which shows the temporary folders read-only elsewhere:
  // makes the read-only view of the program folder, as the test has filled it, the program folder and
  // the current folder. False when the tests do not run there.
  bool UseReadOnlyView();

  template <typename Done>
  static bool WaitUntil(Done done, int milliseconds = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < milliseconds) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(5);
    }
    return done();
  }

  TempDir dir_;
  QString oldFolder_;
  std::string folder_;
  std::vector<Message> messages_;
  QMessageBox::StandardButton answer_ = QMessageBox::Ok;
};

}  // namespace kestrune::test

// A failing comparison of texts shows the texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
