#include "platform/recycle_qt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QTemporaryDir>

#include <string>

#include <gtest/gtest.h>

namespace {

// The trash lives under XDG_DATA_HOME; point it into the test's own folder.
class RecycleFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    oldDataHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QDir(folder_.path()).filePath("data").toLocal8Bit());
  }
  void TearDown() override {
    if (oldDataHome_.isEmpty()) {
      qunsetenv("XDG_DATA_HOME");
    } else {
      qputenv("XDG_DATA_HOME", oldDataHome_);
    }
  }

  QString Path(const QString& name) const { return QDir(folder_.path()).filePath(name); }
  void WriteFile(const QString& name, const QByteArray& bytes) const {
    QDir(folder_.path()).mkpath(QFileInfo(Path(name)).path());
    QFile out(Path(name));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
  }
  QByteArray ReadFile(const QString& name) const {
    QFile in(Path(name));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
  }

  QTemporaryDir folder_;
  QByteArray oldDataHome_;
};

TEST_F(RecycleFileTest, FileGoesToTheTrashAndMissingFileIsReported) {
  QDir(folder_.path()).mkpath("data");
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

// A new user has no trash folder yet: it is made where the desktop looks for it, never in the
// current folder, and its entry tells where the file came from.
TEST_F(RecycleFileTest, AMissingTrashIsCreatedWithAnEntryNamingTheFile) {
  WriteFile("program folder/ini/pac man.ini", "[pacman]\r\n");
  const QString oldCurrent = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Path("program folder")));
  const bool recycled = kestrune::platform::RecycleFile(Path("program folder/ini/pac man.ini").toStdString());
  QDir::setCurrent(oldCurrent);

  ASSERT_TRUE(recycled);
  EXPECT_EQ(ReadFile("data/Trash/files/pac man.ini"), "[pacman]\r\n");
  const QByteArray info = ReadFile("data/Trash/info/pac man.ini.trashinfo");
  EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(Path("program folder/ini/pac man.ini"), "/") +
                              "\nDeletionDate="))
      << info.toStdString();
  EXPECT_EQ(QDir(Path("program folder")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"ini"});
  EXPECT_TRUE(QDir(Path("program folder/ini")).isEmpty());
}

TEST_F(RecycleFileTest, ASecondFileOfTheSameNameKeepsTheFirst) {
  WriteFile("a/pacman.inp", "first");
  WriteFile("b/pacman.inp", "second");
  ASSERT_TRUE(kestrune::platform::RecycleFile(Path("a/pacman.inp").toStdString()));
  ASSERT_TRUE(kestrune::platform::RecycleFile(Path("b/pacman.inp").toStdString()));
  EXPECT_EQ(ReadFile("data/Trash/files/pacman.inp"), "first");
  EXPECT_EQ(ReadFile("data/Trash/files/pacman.2.inp"), "second");
  EXPECT_TRUE(ReadFile("data/Trash/info/pacman.2.inp.trashinfo").contains("/b/pacman.inp"));
}

// When the trash cannot be made (here a file stands where its folder would be) nothing is deleted.
TEST_F(RecycleFileTest, WithoutAUsableTrashTheFileStays) {
  WriteFile("blocker", "not a folder");
  qputenv("XDG_DATA_HOME", Path("blocker/data").toLocal8Bit());
  WriteFile("pacman.ini", "[pacman]\r\n");
  EXPECT_FALSE(kestrune::platform::RecycleFile(Path("pacman.ini").toStdString()));
  EXPECT_EQ(ReadFile("pacman.ini"), "[pacman]\r\n");
}

}  // namespace
