#include "catalogue/artwork_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace kestrune::catalogue {
namespace {

namespace fs = std::filesystem;

std::string ReadOr(ArtworkSource& source, const std::string& name, const std::string& missing = "-") {
  std::string bytes;
  return source.Read(name, bytes) ? bytes : missing;
}

TEST(ArtworkSource, AFolderFindsNamesExactlyThenInAnyCase) {
  test::TempDir dir;
  fs::create_directories(dir / "PacMan");
  test::WriteFileBytes(dir / "PacMan" / "0000.PNG", "numbered");
  test::WriteFileBytes(dir / "galaga.png", "exact");
  test::WriteFileBytes(dir / "Galaga.png", "other case");
  ArtworkSource source(dir.path(), "snap.zip");
  EXPECT_FALSE(source.FromArchive());
  EXPECT_EQ(ReadOr(source, "pacman/0000.png"), "numbered");
  EXPECT_EQ(ReadOr(source, "galaga.png"), "exact");
  EXPECT_NE(ReadOr(source, "GALAGA.png"), "-");  // either of the two, the first in listing order
  EXPECT_TRUE(source.Exists("PACMAN/0000.png"));
  EXPECT_FALSE(source.Exists("pacman/0001.png"));
  EXPECT_FALSE(source.Exists("pacman"));  // a folder is no picture
}

TEST(ArtworkSource, AFolderSeesFilesAddedLater) {
  test::TempDir dir;
  ArtworkSource source(dir.path(), "");
  EXPECT_FALSE(source.Exists("dkong.png"));
  test::WriteFileBytes(dir / "DKong.png", "late");
  EXPECT_EQ(ReadOr(source, "dkong.png"), "late");
}

TEST(ArtworkSource, NamesThatLeaveTheFolderAreRefused) {
  test::TempDir dir;
  fs::create_directories(dir / "snap");
  test::WriteFileBytes(dir / "secret.png", "outside");
  ArtworkSource source(dir / "snap", "snap.zip");
  for (const char* name : {"../secret.png", "./../secret.png", "/secret.png", "a//b.png", "", "..\\secret.png"}) {
    EXPECT_FALSE(source.Exists(name)) << name;
  }
}

TEST(ArtworkSource, AnOpenArchiveIsTheOnlySource) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "snap.zip", test::StoredZip({{"pacman.png", "zipped", std::nullopt},
                                                          {"Snap\\DKONG.PNG", "backslashed", std::nullopt},
                                                          {"broken.png", "data", 0x12345678u}}));
  test::WriteFileBytes(dir / "pacman.png", "from the folder");
  test::WriteFileBytes(dir / "galaga.png", "only in the folder");
  ArtworkSource source(dir.path(), "snap.zip");
  ASSERT_TRUE(source.FromArchive());
  EXPECT_EQ(ReadOr(source, "PacMan.png"), "zipped");
  EXPECT_EQ(ReadOr(source, "snap/dkong.png"), "backslashed");
  EXPECT_EQ(ReadOr(source, "galaga.png"), "-");
  EXPECT_TRUE(source.FindFile("galaga.png").empty());
  EXPECT_EQ(ReadOr(source, "broken.png"), "-");  // data that fails its CRC-32
  source.Close();
  EXPECT_FALSE(source.Exists("pacman.png"));
}

TEST(ArtworkSource, ADamagedDirectoryIsRebuiltAndAnUnreadableArchiveLeavesTheFolder) {
  test::TempDir dir;
  fs::create_directories(dir / "good");
  fs::create_directories(dir / "bad");
  // Bytes after the end record: the directory is read again from the local headers.
  test::WriteFileBytes(dir / "good" / "titles.zip", test::StoredZip({{"pacman.png", "rebuilt", std::nullopt}}) + "\n");
  test::WriteFileBytes(dir / "bad" / "titles.zip", "not an archive");
  test::WriteFileBytes(dir / "bad" / "pacman.png", "folder");
  ArtworkSource rebuilt(dir / "good", "titles.zip");
  EXPECT_TRUE(rebuilt.FromArchive());
  EXPECT_EQ(ReadOr(rebuilt, "pacman.png"), "rebuilt");
  ArtworkSource damaged(dir / "bad", "titles.zip");
  EXPECT_FALSE(damaged.FromArchive());
  EXPECT_NE(damaged.OpenError().find("titles.zip"), std::string::npos);
  EXPECT_EQ(ReadOr(damaged, "pacman.png"), "folder");
}

TEST(ArtworkSource, AFileTooLargeForArtworkIsNotRead) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "huge.png", "");
  fs::resize_file(dir / "huge.png", kMaxArtworkBytes + 1);  // sparse: no disk space taken
  ArtworkSource source(dir.path(), "");
  EXPECT_TRUE(source.Exists("huge.png"));
  EXPECT_EQ(ReadOr(source, "huge.png"), "-");
}

}  // namespace
}  // namespace kestrune::catalogue
