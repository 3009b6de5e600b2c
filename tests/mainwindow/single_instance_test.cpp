// Starts the real program several times in one program folder to prove that only one runs.
#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SingleInstance : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(programFolder_.isValid());
    ASSERT_TRUE(runtimeFolder_.isValid());
  }

  void TearDown() override {
    for (QProcess* process : started_) {
      if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
      }
      delete process;
    }
  }

  QProcess* Start() {
    auto* process = new QProcess;
    started_.append(process);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtimeFolder_.path());
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(programFolder_.path());
    process->start(QStringLiteral(KESTRUNE_EXE), {});
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
  }

  // The first instance is ready once it listens for later starts.
  bool WaitUntilListening() {
    QElapsedTimer timer;
    timer.start();
    const QString socket = runtimeFolder_.filePath("kestrune.socket");
    while (timer.elapsed() < 10000) {
      if (QFileInfo(socket).exists()) {
        return true;
      }
      QThread::msleep(50);
    }
    return false;
  }

  // Collects what the process wrote to stderr until text appears or time runs out.
  static bool WaitForStderr(QProcess* process, QByteArray& seen, const QByteArray& text) {
    QElapsedTimer timer;
    timer.start();
    while (!seen.contains(text) && timer.elapsed() < 10000) {
      process->waitForReadyRead(200);
      seen += process->readAllStandardError();
    }
    return seen.contains(text);
  }

  QTemporaryDir programFolder_;
  QTemporaryDir runtimeFolder_;
  QList<QProcess*> started_;
};

constexpr char kShowRequestLog[] = "another start asked for the main window";

TEST_F(SingleInstance, SecondStartRaisesTheFirstAndEndsWithExitCodeZero) {
  QProcess* first = Start();
  ASSERT_TRUE(WaitUntilListening());

  QProcess* second = Start();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_TRUE(second->readAllStandardError().contains(
      "Kestrune already runs; its window on display offscreen was brought to the front"));

  QByteArray firstLog;
  EXPECT_TRUE(WaitForStderr(first, firstLog, kShowRequestLog)) << firstLog.constData();
  EXPECT_EQ(first->state(), QProcess::Running);
}

// A start removes what saves cut off last time left behind, but only as the one instance: the running
// instance's save may be under way, its temporary file about to be renamed into place.
TEST_F(SingleInstance, SecondStartLeavesTheTemporaryFileOfTheFirstInstancesSaveAlone) {
  QProcess* first = Start();
  ASSERT_TRUE(WaitUntilListening());
  // Its own start-up is over once its first activation has made the game list's file.
  QElapsedTimer waited;
  waited.start();
  while (!QFileInfo::exists(programFolder_.filePath("ini/kestrune.dat")) && waited.elapsed() < 10000) QThread::msleep(50);
  ASSERT_TRUE(QFileInfo::exists(programFolder_.filePath("ini/kestrune.dat")));
  const QString saving = programFolder_.filePath("ini/.kestrune.ini.tmp-Ab12Cd");
  QFile file(saving);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  QProcess* second = Start();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_TRUE(QFileInfo::exists(saving));
  EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(SingleInstance, NewInstanceStartsAfterTheFirstCrashed) {
  QProcess* first = Start();
  ASSERT_TRUE(WaitUntilListening());
  ::kill(static_cast<pid_t>(first->processId()), SIGKILL);  // leaves its lock file and socket behind
  ASSERT_TRUE(first->waitForFinished(5000));

  QProcess* next = Start();
  QByteArray nextLog;
  // Proven to be the running instance: a later start is refused and asks it to show itself.
  QThread::msleep(300);
  ASSERT_EQ(next->state(), QProcess::Running);
  QProcess* later = Start();
  ASSERT_TRUE(later->waitForFinished(15000));
  EXPECT_EQ(later->exitCode(), 0);
  EXPECT_TRUE(WaitForStderr(next, nextLog, kShowRequestLog)) << nextLog.constData();
}

}  // namespace
