#include "mainwindow/program_windows.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "mainwindow/main_window.h"
#include "settings/options_dialog.h"

namespace {

// The windows are created in the current folder, the program folder; keep it away from the build.
class ProgramWindows : public ::testing::Test {
protected:
  void SetUp() override {
    oldFolder_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(programFolder_.path()));
  }
  void TearDown() override { QDir::setCurrent(oldFolder_); }

  QTemporaryDir programFolder_;
  QString oldFolder_;
};

struct ExpectedWindow {
  const char* className;
  const char* objectName;
  QString caption;
};

TEST_F(ProgramWindows, FifteenWindowsInCreationOrderWithClassNamesAndCaptions) {
  const QList<ExpectedWindow> expected = {
      {"TForm1", "Form1", QStringLiteral("Kestrune ") + QStringLiteral(KESTRUNE_VERSION)},
      {"TForm2", "Form2", "MAME Default Options"},
      {"TForm3", "Form3", "Initialize Roms"},
      {"TForm4", "Form4", "Preferences"},
      {"TForm5", "Form5", "Setup - Kestrune "},
      {"TForm6", "Form6", "About"},
      {"TOKBottomDlg", "OKBottomDlg", "Warning !"},
      {"TOKBottomDlg1", "OKBottomDlg1", "Warning !"},
      {"TForm9", "Form9", "Bad Roms"},
      {"TFormcolumn", "Formcolumn", "Customize Columns"},
      {"TOKBottomDlg2", "OKBottomDlg2", "Delete Rom File"},
      {"TForm10", "Form10", "Game Driver Info"},
      {"TForm11", "Form11", "Loading Game..."},
      {"TForm12", "Form12", "Game Details"},
      {"TForm13", "Form13", "Customize Toolbar"},
  };

  const QList<QWidget*> windows = CreateProgramWindows();
  ASSERT_EQ(windows.size(), expected.size());
  for (qsizetype i = 0; i < windows.size(); ++i) {
    SCOPED_TRACE(expected[i].className);
    EXPECT_STREQ(windows[i]->metaObject()->className(), expected[i].className);
    EXPECT_EQ(windows[i]->objectName(), expected[i].objectName);
    EXPECT_EQ(windows[i]->windowTitle(), expected[i].caption);
    EXPECT_TRUE(windows[i]->isWindow());
    EXPECT_FALSE(windows[i]->isVisible()) << "nothing is shown before the event loop starts";
  }
  EXPECT_EQ(windows[0], static_cast<QWidget*>(Form1));
  EXPECT_EQ(Form1->FrontDir(), QDir::currentPath().toStdString() + "/");
  EXPECT_TRUE(QDir(programFolder_.path()).exists("ini")) << "the main window makes the ini folder";
  EXPECT_TRUE(Form1->settings().IsFirstRun());
  EXPECT_NE(qobject_cast<QMainWindow*>(windows[0]), nullptr);
  EXPECT_TRUE(windows[12]->windowFlags().testFlag(Qt::FramelessWindowHint)) << "the loading splash has no border";
  DestroyProgramWindows();
  EXPECT_EQ(Form1, nullptr);
  EXPECT_EQ(Form13, nullptr);
}

TEST_F(ProgramWindows, ClosingTheMainWindowEndsTheEventLoop) {
  CreateProgramWindows();
  Form1->show();
  Form2->show();  // another open window must not keep the program alive
  bool timedOut = false;
  QTimer::singleShot(0, Form1, [] { Form1->close(); });
  // A guard of this test only: a timer left behind would end a later test's event loop.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&timedOut] {
    timedOut = true;
    QApplication::exit(1);
  });
  guard.start(5000);
  const int result = QApplication::exec();
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(result, 0);
  DestroyProgramWindows();
}

}  // namespace
