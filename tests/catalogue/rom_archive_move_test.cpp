#include "catalogue/rom_archive_move.h"

#include <gtest/gtest.h>

#include "catalogue/game_lines.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

namespace cat = kestrune::catalogue;
namespace fs = std::filesystem;
using kestrune::test::ReadFileBytes;
using kestrune::test::WriteFileBytes;

class RomArchiveMoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "roms1");
    fs::create_directories(dir_ / "roms2");
  }
  std::vector<std::string> Folders() const { return {(dir_ / "roms1").string(), (dir_ / "roms2").string() + "/"}; }
  fs::path BadRoms() const { return dir_ / "badroms"; }

  kestrune::test::TempDir dir_;
};

TEST_F(RomArchiveMoveTest, EveryFolderGivesUpItsCopyAndNothingIsReplaced) {
  WriteFileBytes(dir_ / "roms1/pacman.zip", "first");
  WriteFileBytes(dir_ / "roms2/pacman.zip", "second");
  WriteFileBytes(dir_ / "roms2/mspacman.zip", "other");
  fs::create_directories(BadRoms());
  WriteFileBytes(BadRoms() / "pacman.zip", "moved before");

  const cat::ArchiveMoveResult result = cat::MoveRomArchive(Folders(), "pacman", BadRoms());

  EXPECT_TRUE(result.failures.empty());
  ASSERT_EQ(result.moved.size(), 2u);
  EXPECT_EQ(result.moved[0], BadRoms() / "pacman (2).zip");
  EXPECT_EQ(result.moved[1], BadRoms() / "pacman (3).zip");
  EXPECT_EQ(ReadFileBytes(BadRoms() / "pacman.zip"), "moved before");
  EXPECT_EQ(ReadFileBytes(BadRoms() / "pacman (2).zip"), "first");
  EXPECT_EQ(ReadFileBytes(BadRoms() / "pacman (3).zip"), "second");
  EXPECT_FALSE(fs::exists(dir_ / "roms1/pacman.zip"));
  EXPECT_FALSE(fs::exists(dir_ / "roms2/pacman.zip"));
  EXPECT_TRUE(fs::exists(dir_ / "roms2/mspacman.zip"));
}

TEST_F(RomArchiveMoveTest, AMergedSetMovesNothingAndCreatesTheBadRomsFolder) {
  WriteFileBytes(dir_ / "roms1/puckman.zip", "parent");
  const cat::ArchiveMoveResult result = cat::MoveRomArchive(Folders(), "pacman", BadRoms());
  EXPECT_TRUE(result.moved.empty());
  EXPECT_TRUE(result.failures.empty());
  EXPECT_TRUE(fs::is_directory(BadRoms()));
  EXPECT_TRUE(cat::MoveRomArchive({}, "pacman", BadRoms()).moved.empty());
}

TEST_F(RomArchiveMoveTest, ABadRomsFolderThatCannotBeMadeMovesNothingAndSaysWhy) {
  WriteFileBytes(dir_ / "roms1/pacman.zip", "first");
  WriteFileBytes(BadRoms(), "a file in the folder's place");
  const cat::ArchiveMoveResult result = cat::MoveRomArchive(Folders(), "pacman", BadRoms());
  EXPECT_TRUE(result.moved.empty());
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_NE(result.failures[0].find("Cannot create the folder " + BadRoms().string()), std::string::npos);
  EXPECT_TRUE(fs::exists(dir_ / "roms1/pacman.zip"));
}

TEST(FlagRomNotFound, RewritesOnlyTheGamesFlagAndStatus) {
  using kestrune::test::GameLine;
  cat::Catalogue catalogue;
  catalogue.Add("broken|pacman|");
  catalogue.Add(GameLine("mspacman"));
  catalogue.Add(GameLine("pacman", [](cat::Tgameinfo& g) { g.romstatus = "3"; }));
  catalogue.Add(GameLine("pacman"));
  const std::string untouched = catalogue[1];

  ASSERT_TRUE(cat::FlagRomNotFound(catalogue, "pacman"));
  EXPECT_EQ(catalogue[0], "broken|pacman|");
  EXPECT_EQ(catalogue[1], untouched);
  EXPECT_EQ(catalogue[2], GameLine("pacman", [](cat::Tgameinfo& g) {
              g.availflag = "1";
              g.romstatus = "2";
            }));
  EXPECT_EQ(catalogue[3], GameLine("pacman"));
  EXPECT_FALSE(cat::FlagRomNotFound(catalogue, "galaga"));
  EXPECT_FALSE(cat::FlagRomNotFound(catalogue, "pac"));
}

}  // namespace
