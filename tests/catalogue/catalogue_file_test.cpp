#include "catalogue/catalogue_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::catalogue {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

const std::string kPuckman =
    "0|PuckMan (Japan set 1)|Namco|Maze|1980||Mono|Raster|288x224|Vertical (90°)|Joy4way|60.606061|Good|Good|Good|"
    "Good|Good|.37b16|pacman.c|1P|0|00:00:00||puckman|0";
const std::string kPacman =
    "1|Pac-Man (Midway)|Namco (Midway license)|Maze|1980||Mono|Raster|288x224|Vertical (90°)|Joy4way|60.606061|"
    "Good|Good|Good|Good|Good|.37b16|pacman.c|1P|2|00:05:00|puckman|pacman|2";
// A clone whose parent is pacman: "|pacman|" stands in it, but not as its romname.
const std::string kPacplus =
    "0|Pac-Man Plus|Namco (Midway license)|Maze|1982||Mono|Raster|288x224|Vertical (90°)|Joy4way|60.606061|Good|"
    "Good|Good|Good|Good|.37b16|pacman.c|1P|0|00:00:00|pacman|pacplus|0";

class CatalogueFileTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(dir_ / "ini"); }
  std::filesystem::path DatPath() const { return dir_ / "ini/kestrune.dat"; }
  std::string FrontDir() const { return dir_.folder(); }

  TempDir dir_;
};

TEST_F(CatalogueFileTest, CrLfFileRoundTripsByteForByte) {
  const std::string bytes = kPuckman + "\r\n" + kPacman + "\r\n" + "damaged|line\r\n" + "\r\n" + kPacplus + "\r\n";
  WriteFileBytes(DatPath(), bytes);
  Catalogue catalogue;
  ASSERT_EQ(LoadCatalogue(catalogue, FrontDir(), nullptr), CatalogueLoad::Loaded);
  EXPECT_EQ(catalogue.Count(), 5);
  EXPECT_EQ(catalogue[1], kPacman);
  std::string error;
  ASSERT_TRUE(SaveCatalogue(catalogue, FrontDir(), &error)) << error;
  EXPECT_EQ(ReadFileBytes(DatPath()), bytes);
}

TEST_F(CatalogueFileTest, AnyLineEndReadsAndIsWrittenBackAsCrLf) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"LF", kPuckman + "\n" + kPacman + "\n"},
      {"CR", kPuckman + "\r" + kPacman + "\r"},
      {"no final line end", kPuckman + "\r\n" + kPacman},
      {"mixed", kPuckman + "\r" + kPacman + "\n"},
  };
  for (const Case& c : cases) {
    WriteFileBytes(DatPath(), c.bytes);
    Catalogue catalogue;
    ASSERT_EQ(LoadCatalogue(catalogue, FrontDir(), nullptr), CatalogueLoad::Loaded) << c.name;
    EXPECT_EQ(catalogue.Lines(), (std::vector<std::string>{kPuckman, kPacman})) << c.name;
    ASSERT_TRUE(SaveCatalogue(catalogue, FrontDir(), nullptr)) << c.name;
    EXPECT_EQ(ReadFileBytes(DatPath()), kPuckman + "\r\n" + kPacman + "\r\n") << c.name;
  }
}

TEST_F(CatalogueFileTest, WindowsCodePageLinesAreConverted) {
  std::string windows = kPuckman;
  windows.replace(windows.find("°"), std::string("°").size(), "\xB0");
  WriteFileBytes(DatPath(), windows + "\r\n" + kPacman + "\r\n");
  Catalogue catalogue;
  ASSERT_EQ(LoadCatalogue(catalogue, FrontDir(), nullptr), CatalogueLoad::Loaded);
  EXPECT_EQ(catalogue.Lines(), (std::vector<std::string>{kPuckman, kPacman}));
}

TEST_F(CatalogueFileTest, MissingEmptyAndUnreadableFilesAreToldApart) {
  Catalogue catalogue;
  catalogue.Add(kPacman);
  EXPECT_EQ(LoadCatalogue(catalogue, FrontDir(), nullptr), CatalogueLoad::Missing);
  EXPECT_EQ(catalogue.Count(), 0);

  WriteFileBytes(DatPath(), "");
  catalogue.Add(kPacman);
  EXPECT_EQ(LoadCatalogue(catalogue, FrontDir(), nullptr), CatalogueLoad::Loaded);
  EXPECT_EQ(catalogue.Count(), 0);

  std::filesystem::remove(DatPath());
  std::filesystem::create_directory(DatPath());
  catalogue.Add(kPacman);
  std::string error;
  EXPECT_EQ(LoadCatalogue(catalogue, FrontDir(), &error), CatalogueLoad::Failed);
  EXPECT_NE(error.find("kestrune.dat"), std::string::npos) << error;
  EXPECT_EQ(catalogue.Lines(), std::vector<std::string>{kPacman});

  // A link to a catalogue on a drive that is not there now is the user's, not a missing file.
  std::filesystem::remove(DatPath());
  std::filesystem::create_symlink(dir_ / "unmounted/kestrune.dat", DatPath());
  error.clear();
  EXPECT_EQ(LoadCatalogue(catalogue, FrontDir(), &error), CatalogueLoad::Failed);
  EXPECT_NE(error.find("kestrune.dat"), std::string::npos) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(DatPath()));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "unmounted"));
}

TEST_F(CatalogueFileTest, FailedSaveKeepsTheOldFileAndSaysSo) {
  const std::string old = kPuckman + "\r\n";
  WriteFileBytes(DatPath(), old);
  Catalogue catalogue;
  for (int i = 0; i < 100; ++i) {
    catalogue.Add(kPacman);
  }
  std::string error;
  {
    test::ScopedFileSizeLimit limit(static_cast<long long>(old.size()) + 100);
    EXPECT_FALSE(SaveCatalogue(catalogue, FrontDir(), &error));
  }
  EXPECT_NE(error.find("kestrune.dat"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(DatPath()), old);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_ / "ini")) {
    ++files;
  }
  EXPECT_EQ(files, 1) << "a temporary file was left behind";
}

TEST_F(CatalogueFileTest, SaveWithoutTheIniFolderFails) {
  std::filesystem::remove(dir_ / "ini");
  Catalogue catalogue;
  catalogue.Add(kPacman);
  std::string error;
  EXPECT_FALSE(SaveCatalogue(catalogue, FrontDir(), &error));
  EXPECT_FALSE(error.empty());
}

// A pacman line after a game: played once more, 100 hours in all.
std::string Played(std::string line) {
  line.replace(line.find("|2|00:05:00|"), 12, "|3|100:05:00|");
  return line;
}

// One catalogue per row; pacman's record, played, must land in line `own` (-1: in none) and nowhere else.
struct WriteBackCase {
  const char* name;
  std::vector<std::string> lines;
  int own;
};

void PrintTo(const WriteBackCase& row, std::ostream* out) { *out << row.name; }

class WriteBackGameRecordTest : public ::testing::TestWithParam<WriteBackCase> {};

TEST_P(WriteBackGameRecordTest, ReplacesTheGameLineOfThatRomnameOnly) {
  const WriteBackCase& row = GetParam();
  const auto own = static_cast<std::size_t>(row.own);
  Catalogue catalogue;
  catalogue.Assign(row.lines);
  std::optional<Tgameinfo> record = ParseGameRecord(row.own >= 0 ? row.lines[own] : kPacman);
  ASSERT_TRUE(record.has_value());
  record->availflag = "0";  // the line's own flag is kept
  record->timesplayed = "3";
  record->playtime = "100:05:00";
  record->imageindex = 5;

  EXPECT_EQ(WriteBackGameRecord(catalogue, *record), row.own >= 0);
  std::vector<std::string> expected = row.lines;
  if (row.own >= 0) {
    expected[own] = Played(expected[own]);
  }
  EXPECT_EQ(catalogue.Lines(), expected);
}

// kPacman with its romstatus field replaced.
std::string PacmanWithRomStatus(const std::string& romstatus) {
  return kPacman.substr(0, kPacman.size() - 1) + romstatus;
}

// kPacman without its category: 23 separators, still ending in "|pacman|2".
std::string PacmanWithoutCategory() {
  std::string line = kPacman;
  return line.erase(line.find("|Maze"), 5);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogues, WriteBackGameRecordTest,
    ::testing::Values(WriteBackCase{"CloneAndDamagedLineBefore", {kPacplus, "damaged", kPuckman, kPacman}, 3},
                      WriteBackCase{"RomStatusHoldsASeparator", {kPuckman, PacmanWithRomStatus("2|x"), kPacplus}, 1},
                      WriteBackCase{"NoGameLineEndingInTheRomname", {"damaged|pacman|0", kPuckman, kPacman}, 2},
                      WriteBackCase{"LineOneFieldShort", {PacmanWithoutCategory(), kPacman}, 1},
                      WriteBackCase{"OtherGameWhoseRomStatusEndsInTheRomname", {kPuckman + "|pacman|0", kPacman}, 1},
                      WriteBackCase{"OnlyANonGameLineEndingInTheRomname", {"x|pacman|0", kPuckman}, -1}),
    [](const ::testing::TestParamInfo<WriteBackCase>& info) { return std::string(info.param.name); });

TEST(WriteBackGameRecord, WritesNothingWhenTheRomIsNotInTheCatalogue) {
  Catalogue catalogue;
  catalogue.Add(kPuckman);
  catalogue.Add(kPacplus);
  std::optional<Tgameinfo> record = ParseGameRecord(kPacman);
  ASSERT_TRUE(record.has_value());
  record->timesplayed = "9";
  EXPECT_FALSE(WriteBackGameRecord(catalogue, *record));
  EXPECT_EQ(catalogue.Lines(), (std::vector<std::string>{kPuckman, kPacplus}));
  Catalogue empty;
  EXPECT_FALSE(WriteBackGameRecord(empty, *record));
}

}  // namespace
}  // namespace kestrune::catalogue
