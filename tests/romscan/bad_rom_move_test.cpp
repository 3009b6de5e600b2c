#include "romscan/bad_rom_move.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace rs = kestrune::romscan;
using Lines = std::vector<std::string>;
using kestrune::test::ReadFileBytes;
using kestrune::test::WriteFileBytes;

TEST(BadRomsList, CountsTheArchivesWithoutAddingToThem) {
  EXPECT_EQ(rs::BadRomsListLines({}), Lines{"No bad Roms found."});
  const Lines bad = {"galaga.zip", "mslug.zip"};
  EXPECT_EQ(rs::BadRomsListLines(bad), (Lines{"galaga.zip", "mslug.zip", "", "Bad roms found : 2"}));
  EXPECT_EQ(rs::BadRomsListLines(bad), rs::BadRomsListLines(bad)) << "showing twice shows the same list";
}

class BadRomMove : public ::testing::Test {
 protected:
  std::string Front() const { return dir_.path().string() + "/"; }
  void Put(const std::string& name, const std::string& bytes) const {
    fs::create_directories((dir_.path() / name).parent_path());
    WriteFileBytes(dir_.path() / name, bytes);
  }
  bool Has(const std::string& name) const { return fs::exists(dir_.path() / name); }

  kestrune::test::TempDir dir_;
};

TEST_F(BadRomMove, TakesEachCopyOutOfTheRomPathsFoldersAndNamesTheMergedOnes) {
  // The same key rule as the scan: the first line starting "rom", relative folders under the program folder.
  Put("mame.ini", "# rompath elsewhere\nrompath                   \"a;" + Front() + "b\"\n");
  Put("a/pacman.zip", "a-pacman");
  Put("b/pacman.zip", "b-pacman");
  Put("b/galaga.zip", "b-galaga");
  Put("badroms/galaga.zip", "kept");

  EXPECT_EQ(rs::MoveBadRoms(Front(), {"galaga.zip", "pacmanf.zip", "pacman.zip"}),
            (Lines{"galaga.zip Moved as galaga (2).zip.", "pacmanf.zip is a merged rom file. Not Moved!",
                   "pacman.zip Moved.", "pacman.zip Moved as pacman (2).zip.", "", "Done."}));
  EXPECT_EQ(ReadFileBytes(dir_.path() / "badroms/galaga.zip"), "kept") << "an archive already there is never replaced";
  EXPECT_EQ(ReadFileBytes(dir_.path() / "badroms/galaga (2).zip"), "b-galaga");
  EXPECT_EQ(ReadFileBytes(dir_.path() / "badroms/pacman.zip"), "a-pacman");
  EXPECT_EQ(ReadFileBytes(dir_.path() / "badroms/pacman (2).zip"), "b-pacman");
  EXPECT_FALSE(Has("a/pacman.zip") || Has("b/pacman.zip") || Has("b/galaga.zip"));
}

TEST_F(BadRomMove, WithoutARomPathUsesRoms) {
  for (const char* ini : {"", "inipath .\nrompath\n"}) {
    if (*ini != '\0') Put("mame.ini", ini);
    Put("roms/mslug.zip", "x");
    EXPECT_EQ(rs::MoveBadRoms(Front(), {"mslug.zip"}), (Lines{"mslug.zip Moved.", "", "Done."})) << ini;
    fs::remove_all(dir_.path() / "badroms");
  }
  EXPECT_FALSE(Has("Error"));
}

TEST_F(BadRomMove, AFolderThatCannotBeMadeMovesNothingAndSaysSo) {
  Put("roms/mslug.zip", "x");
  Put("badroms", "a file, not a folder");
  const Lines lines = rs::MoveBadRoms(Front(), {"mslug.zip"});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("Nothing was moved: the folder ", 0), 0u) << lines[0];
  EXPECT_TRUE(Has("roms/mslug.zip"));
}

}  // namespace
