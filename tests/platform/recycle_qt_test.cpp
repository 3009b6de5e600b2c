#include "platform/recycle_qt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The trash lives under XDG_DATA_HOME; point it into the test's own folder.
class RecycleFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    oldDataHome_ = qgetenv("XDG_DATA_HOME");
    QDir(folder_.path()).mkpath("data");
    qputenv("XDG_DATA_HOME", QDir(folder_.path()).filePath("data").toLocal8Bit());
  }
  void TearDown() override {
    if (oldDataHome_.isEmpty()) {
      qunsetenv("XDG_DATA_HOME");
    } else {
      qputenv("XDG_DATA_HOME", oldDataHome_);
    }
  }

  QTemporaryDir folder_;
  QByteArray oldDataHome_;
};

TEST_F(RecycleFileTest, FileGoesToTheTrashAndMissingFileIsReported) {
  const QString file = QDir(folder_.path()).filePath("pacman.ini");
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write("[pacman]\r\n");
  out.close();

  EXPECT_TRUE(kestrune::platform::RecycleFile(file.toStdString()));
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_TRUE(QFile::exists(QDir(folder_.path()).filePath("data/Trash/files/pacman.ini")));

  EXPECT_FALSE(kestrune::platform::RecycleFile(file.toStdString()));
}

}  // namespace
