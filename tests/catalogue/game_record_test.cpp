#include "catalogue/game_record.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrune::catalogue {
namespace {

// Pac-Man's line as the catalogue builder writes it.
const std::string kPacman =
    "0|Pac-Man (Midway)|Namco (Midway license)|Maze|1980||Mono|Raster|288x224|Vertical (90°)|Joy4way|60.606061|"
    "Good|Good|Good|Good|Imperfect|.37b16|pacman.c|1P|0|00:00:00|puckman|pacman|0";

// A line whose field n holds "f<n>", so that every field lands somewhere recognisable.
std::string NumberedLine() {
  std::string line = "0";
  for (int n = 1; n < kLineFieldCount; ++n) {
    line += "|f" + std::to_string(n);
  }
  return line;
}

TEST(GameRecord, SplitPutsEveryLineFieldIntoItsRecordMember) {
  const std::optional<Tgameinfo> record = ParseGameRecord(NumberedLine());
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->availflag, "0");
  EXPECT_EQ(record->description, "f1");
  EXPECT_EQ(record->company, "f2");
  EXPECT_EQ(record->category, "f3");
  EXPECT_EQ(record->year, "f4");
  EXPECT_EQ(record->bios, "f5");
  EXPECT_EQ(record->sound, "f6");
  EXPECT_EQ(record->video, "f7");
  EXPECT_EQ(record->resolution, "f8");
  EXPECT_EQ(record->orientation, "f9");
  EXPECT_EQ(record->controls, "f10");
  EXPECT_EQ(record->frequency, "f11");
  EXPECT_EQ(record->driverstatus, "f12");
  EXPECT_EQ(record->emulationstatus, "f13");
  EXPECT_EQ(record->colorstatus, "f14");
  EXPECT_EQ(record->graphicstatus, "f15");
  EXPECT_EQ(record->soundstatus, "f16");
  EXPECT_EQ(record->veradded, "f17");
  EXPECT_EQ(record->driver, "f18");
  EXPECT_EQ(record->players, "f19");
  EXPECT_EQ(record->timesplayed, "f20");
  EXPECT_EQ(record->playtime, "f21");
  EXPECT_EQ(record->cloneof, "f22");
  EXPECT_EQ(record->romname, "f23");
  EXPECT_EQ(record->romstatus, "f24");
  EXPECT_EQ(record->imageindex, 0);
}

TEST(GameRecord, RebuiltLineEqualsTheLineItCameFrom) {
  for (const std::string& line : {kPacman, NumberedLine(), std::string(24, '|').insert(0, "1")}) {
    const std::optional<Tgameinfo> record = ParseGameRecord(line);
    ASSERT_TRUE(record.has_value()) << line;
    EXPECT_EQ(BuildCatalogueLine(*record), line);
  }
}

TEST(GameRecord, YearIsCutToFourCharactersAndTheRebuiltLineCarriesTheCut) {
  struct Case {
    std::string year;
    std::string shown;
  };
  const Case cases[] = {
      {"19845", "1984"}, {"1984", "1984"}, {"198?", "198?"}, {"", ""}, {"19°45", "19°4"}, {"°°°°°", "°°°°"},
  };
  for (const Case& c : cases) {
    std::string line = kPacman;
    line.replace(line.find("|1980|") + 1, 4, c.year);
    const std::optional<Tgameinfo> record = ParseGameRecord(line);
    ASSERT_TRUE(record.has_value()) << c.year;
    EXPECT_EQ(record->year, c.shown);
    EXPECT_EQ(GetLineField(BuildCatalogueLine(*record), LineField::year), c.shown);
  }
}

TEST(GameRecord, ExtraSeparatorsStayInRomstatus) {
  const std::string line = kPacman + "|extra";
  const std::optional<Tgameinfo> record = ParseGameRecord(line);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->romname, "pacman");
  EXPECT_EQ(record->romstatus, "0|extra");
  EXPECT_EQ(BuildCatalogueLine(*record), line);
}

TEST(GameRecord, ReusedRecordTakesNothingFromTheLineBefore) {
  Tgameinfo record;
  ASSERT_TRUE(ParseGameRecord(kPacman, record));
  record.imageindex = 7;
  std::string parent = kPacman;
  parent.replace(parent.find("|puckman|"), 9, "||");
  ASSERT_TRUE(ParseGameRecord(parent, record));
  EXPECT_EQ(record.cloneof, "");
  EXPECT_EQ(record.imageindex, 0);
}

TEST(GameRecord, MalformedLinesAreNotGames) {
  std::string twentyThree = kPacman.substr(0, kPacman.rfind('|'));
  std::string noFlagSeparator = kPacman;
  noFlagSeparator.insert(1, "0");
  std::string emptyFlag = kPacman.substr(1);
  const std::string cases[] = {
      "", "0", "0|", "|", "0|The Simpsons", twentyThree, noFlagSeparator, emptyFlag, std::string(23, '|'),
  };
  for (const std::string& line : cases) {
    Tgameinfo record;
    record.romname = "kept";
    EXPECT_FALSE(ParseGameRecord(line, record)) << line;
    EXPECT_EQ(record.romname, "kept") << line;
    EXPECT_FALSE(ParseGameRecord(line).has_value()) << line;
  }
}

TEST(GameRecord, GetLineFieldAgreesWithTheSplit) {
  LineFields fields;
  ASSERT_TRUE(SplitCatalogueLine(kPacman, fields));
  for (int n = 1; n <= LineField::romname; ++n) {
    EXPECT_EQ(GetLineField(kPacman, n), fields[static_cast<std::size_t>(n)]) << n;
  }
  EXPECT_EQ(GetLineField(kPacman, LineField::year), "1980");
  EXPECT_EQ(GetLineField(kPacman, LineField::orientation), "Vertical (90°)");
}

// The split scans lines in blocks; field and line lengths around the block edges must not matter.
TEST(GameRecord, SplitOfLinesOfEveryLengthAgreesWithGetLineField) {
  for (std::size_t width = 0; width < 200; ++width) {
    for (const bool longRomstatus : {false, true}) {
      std::string line = NumberedLine();
      line.insert(line.find("|f2|"), std::string(width, 'x'));
      if (longRomstatus) {
        line += std::string(width, 'y') + "|z";
      }
      LineFields fields;
      ASSERT_TRUE(SplitCatalogueLine(line, fields)) << line;
      EXPECT_EQ(fields[LineField::availflag], "0");
      for (int n = 1; n <= LineField::romname; ++n) {
        ASSERT_EQ(fields[static_cast<std::size_t>(n)], GetLineField(line, n)) << line << " field " << n;
      }
      EXPECT_EQ(fields[LineField::romstatus], longRomstatus ? "f24" + std::string(width, 'y') + "|z" : "f24");

      if (!longRomstatus) {
        line.erase(line.rfind("|f24"), 1);  // one separator short
        EXPECT_FALSE(SplitCatalogueLine(line, fields)) << line;
      }
    }
  }
}

TEST(GameRecord, GetLineFieldOutOfRangeOrBeyondTheLineIsEmpty) {
  struct Case {
    std::string line;
    int n;
    std::string field;
  };
  const Case cases[] = {
      {kPacman, 0, ""}, {kPacman, -1, ""}, {kPacman, 24, ""}, {kPacman, 25, ""}, {"", 1, ""},      {"0", 1, ""},
      {"0|abc", 1, ""}, {"0|a|b", 1, "a"}, {"0|a|b", 2, ""},  {"0|a||", 2, ""},  {"||a|", 1, "a"}, {"0|a|b|c", 3, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetLineField(c.line, c.n), c.field) << c.line << " field " << c.n;
  }
}

TEST(GameRecord, GetRomTokenIsTheTextBetweenTheLastTwoSeparators) {
  struct Case {
    std::string line;
    std::string token;
  };
  const Case cases[] = {
      {kPacman, "|pacman|"},
      {"x|pacman|0", "|pacman|"},
      {"|pacman|", "|pacman|"},
      {"||", "||"},
      {"", ""},
      {"pacman", ""},
      {"a|b", ""},
      {"|", ""},
      {"x|", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetRomToken(c.line), c.token) << c.line;
  }
}

TEST(GameRecord, RomStatusTextOnlyForKnownCodes) {
  EXPECT_EQ(RomStatusTextOf("0"), "OK");
  EXPECT_EQ(RomStatusTextOf("3"), "Bad rom");
  EXPECT_EQ(RomStatusTextOf("6"), "Bad CHD");
  for (const char* code : {"", "7", "-1", "10", "a"}) {
    EXPECT_EQ(RomStatusTextOf(code), "") << code;
  }
}

}  // namespace
}  // namespace kestrune::catalogue
