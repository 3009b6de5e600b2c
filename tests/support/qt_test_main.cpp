// Entry point of the Qt test suites: one QApplication for the whole run, offscreen unless told
// otherwise (test discovery runs the suites without CTest's environment). The suites run as one
// process, so each test must leave the application as it found it: a listener checks that after every
// test and fails the run when it does not.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A QCoreApplication::exit() outside the application's own loop makes every later event loop (a
// modal dialog's, a wait's) end at once; this tells whether one still runs.
bool EventLoopsRun() {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, [&loop] { loop.exit(7); });
  return loop.exec() == 7;
}

class ApplicationStateCheck : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override { folder_ = QDir::currentPath(); }

  void OnTestEnd(const ::testing::TestInfo& test) override {
    const std::string name = std::string(test.test_suite_name()) + "." + test.name();
    if (!EventLoopsRun()) {
      Complain(name, "ended the application's event loops");
      // The application's own loop clears the request when it starts and when it ends.
      QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
      QApplication::exec();
    }
    if (QDir::currentPath() != folder_) {
      Complain(name, "changed the current folder");
      QDir::setCurrent(folder_);
    }
    if (QApplication::overrideCursor() != nullptr) {
      Complain(name, "left an override cursor");
      while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    }
    if (QApplication::activeModalWidget() != nullptr) {
      Complain(name, "left a modal window open");
    }
  }

  bool Failed() const { return failed_; }

 private:
  void Complain(const std::string& test, const char* what) {
    std::fprintf(stderr, "[  STATE   ] %s %s\n", test.c_str(), what);
    failed_ = true;
  }

  QString folder_;
  bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  auto* check = new ApplicationStateCheck;  // the listener list owns it
  ::testing::UnitTest::GetInstance()->listeners().Append(check);
  const int result = RUN_ALL_TESTS();
  return result != 0 || check->Failed() ? 1 : result;
}
