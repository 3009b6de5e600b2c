#include "platform/instance_guard_qt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kestrune::platform::InstanceGuard;

// Lets queued socket traffic reach the first guard.
bool WaitFor(const bool& flag, int ms = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!flag && timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return flag;
}

// A first guard in the folder, then a second one: the second is refused and the first is asked to show.
void ExpectSecondStartRaisesTheFirst(const QString& folder) {
  InstanceGuard first(folder);
  ASSERT_TRUE(first.TryBecomeFirst());
  bool asked = false;
  QObject::connect(&first, &InstanceGuard::ShowRequested, [&asked] { asked = true; });

  InstanceGuard second(folder);
  EXPECT_FALSE(second.TryBecomeFirst());
  EXPECT_TRUE(WaitFor(asked));
}

TEST(InstanceGuard, SecondGuardAsksTheFirstToShowAndIsRefused) {
  QTemporaryDir folder;
  ExpectSecondStartRaisesTheFirst(folder.path());
}

TEST(InstanceGuard, FreedAfterTheFirstEnds) {
  QTemporaryDir folder;
  {
    InstanceGuard first(folder.path());
    ASSERT_TRUE(first.TryBecomeFirst());
  }
  EXPECT_FALSE(QFile::exists(folder.filePath("kestrune.lock")));
  InstanceGuard next(folder.path());
  EXPECT_TRUE(next.TryBecomeFirst());
}

TEST(InstanceGuard, LeftoverSocketFileDoesNotStopANewFirstInstance) {
  QTemporaryDir folder;
  QFile leftover(folder.filePath("kestrune.socket"));
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.close();
  ExpectSecondStartRaisesTheFirst(folder.path());
}

TEST(InstanceGuard, LockOfAVanishedProcessIsTakenOver) {
  QTemporaryDir folder;
  // The lock file format of QLockFile: pid, application name, host name. Pid 2^22+7 is beyond any
  // pid the kernel hands out by default, so the owner is surely gone.
  QFile stale(folder.filePath("kestrune.lock"));
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write("4194311\nkestrune\n\n");
  stale.close();

  InstanceGuard guard(folder.path());
  EXPECT_TRUE(guard.TryBecomeFirst());
}

}  // namespace
