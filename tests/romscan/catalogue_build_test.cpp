#include "romscan/catalogue_build.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::romscan {
namespace {

using Lines = std::vector<std::string>;

ListXmlData ReadList(const std::string& bytes) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "roms.dat", bytes);
  ListXmlData list;
  std::string error;
  EXPECT_TRUE(ReadListXml(dir / "roms.dat", list, &error)) << error;
  return list;
}

settings::IniFile Ini(const std::string& text) {
  settings::IniFile ini;
  ini.LoadFromText(text);
  return ini;
}

// The verdicts given to the games of both lists; asteroid has none and so counts as "Rom not found".
const std::string kSetsDat =
    "[roms]\r\nneogeo=0\r\nmslug=0\r\nmslugb=3\r\ngalaga=1\r\npong=0\r\nblank=5\r\nturned=0\r\nmslugc=4\r\n";

const std::string kOldForm = R"xml(<?xml version="1.0"?>
<mame build="0.106 (May 16 2006)">
	<game name="neogeo" isbios="yes">
		<description>Neo-Geo</description>
	</game>
	<game name="mslug" sourcefile="neogeo.c" romof="neogeo">
		<description>Metal Slug</description>
		<year>1996</year>
		<manufacturer>Nazca</manufacturer>
		<display type="raster" rotate="0" width="304" height="224" refresh="59.185606"/>
		<sound channels="2"/>
		<input players="2" buttons="4" coins="2">
			<control type="joy8way"/>
		</input>
		<driver status="good" emulation="good" color="good" sound="imperfect" graphic="good" savestate="supported"/>
	</game>
	<game name="mslugc" sourcefile="neogeo.c" cloneof="mslug" romof="mslug">
		<description>Metal Slug (clone)</description>
		<year>1996</year>
		<manufacturer>Nazca</manufacturer>
		<display type="raster" rotate="270" width="304" height="224" refresh="59.185606"/>
		<input players="1" coins="2">
			<control type="JOY4WAY"/>
		</input>
		<driver status="preliminary" emulation="imperfect" color="imperfect" sound="good" graphic="preliminary"/>
	</game>
</mame>
)xml";

struct BuildCase {
  const char* name;
  std::string list;  // the text, or the name of a file of tests/data/romscan/listxml
  bool support;      // with catver.ini and nplayers.ini
  Lines lines;
  Lines badRoms;
  std::string roms;
};

void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.name; }

class CatalogueLines : public ::testing::TestWithParam<BuildCase> {};

TEST_P(CatalogueLines, AreBuiltByteForByteFromTheListAndTheVerdicts) {
  const BuildCase& c = GetParam();
  SupportFiles support;
  if (c.support) {
    support.catver = Ini("[Category]\r\nmslug=Platform / Run Gun\r\n[VerAdded]\r\nmslug=.30\r\n");
    support.nplayers = Ini("[NPlayers]\r\nmslug=2P sim\r\n");
  }
  const std::string list =
      c.list.starts_with("<") ? c.list : test::ReadFileBytes(test::TestDataDir() / "romscan/listxml" / c.list);
  const CatalogueBuild build = BuildGameDatabase(ReadList(list), Ini(kSetsDat), support);
  EXPECT_EQ(build.lines, c.lines);
  EXPECT_EQ(build.badRoms, c.badRoms);
  EXPECT_EQ(build.RomsText(), c.roms);
}

// Each field in turn: the clone's bios is its parent's, "|" in a text becomes "/", a vector screen has
// no resolution, channels 0 is "No Sound", no sound line leaves the field empty, today's <feature> lines
// give the colour, graphics and sound status, and BIOS sets, devices and unrunnable sets get no line.
const Lines kMachineLines = {
    "0|Metal Slug - Super Vehicle-001|Nazca||1996|Neogeo|Stereo|Raster|320x224|Horizontal (0\u00B0)|Joy|59.185606|"
    "Good|Good|good|good|good||neogeo/neogeo.cpp|2|0|00:00:00||mslug|0",
    "1|Metal Slug & Co / bootleg|bootleg||1996?|Neogeo|Stereo|Raster|320x224|Horizontal (0\u00B0)|Joy|59.185606|"
    "Imperfect|Good|good|imperfect|good||neogeo/neogeo.cpp|2|0|00:00:00|mslug|mslugb|3",
    "0|Galaga (Namco rev. B)|Namco||1981||Mono|Raster|288x224|Vertical (90\u00B0)|Joy|60.606061|"
    "Good|Good|good|good|imperfect||namco/galaga.cpp|2|0|00:00:00||galaga|1",
    "1|Asteroids (rev 4)|Atari||1979||Mono|Vector||Horizontal (0\u00B0)|Only_buttons|61.523438|"
    "Good|Good|good|good|good||atari/asteroid.cpp|2|0|00:00:00||asteroid|2",
    "0|Pong (Rev E) external [TTL]|Atari||1972||No Sound|Raster|256x256|Vertical (270\u00B0)|Paddle|60.000000|"
    "Good|Good|unemulated|good|good||atari/pong.cpp|2|0|00:00:00||pong|0",
    "1|A machine without screen or sound|<unknown>||19??||||||||Preliminary|Preliminary|good|good|good||"
    "misc/blank.cpp||0|00:00:00||blank|5",
    "0|The Upside Down|Nobody||1985|||Lcd|160x144|Horizontal (180\u00B0)||59.732155|Good|Good|good|good|good||"
    "misc/turned.cpp||0|00:00:00||turned|0",
};

Lines WithSupport(Lines lines) {
  lines[0] =
      "0|Metal Slug - Super Vehicle-001|Nazca|Platform / Run Gun|1996|Neogeo|Stereo|Raster|320x224|"
      "Horizontal (0\u00B0)|Joy|59.185606|Good|Good|good|good|good|.30|neogeo/neogeo.cpp|2P sim|0|00:00:00||"
      "mslug|0";
  // With nplayers.ini the players come from it alone.
  for (std::size_t i = 1; i < 5; ++i) {
    const std::size_t at = lines[i].find("|2|0|00:00:00|");
    lines[i].replace(at, 3, "||");
  }
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CatalogueLines,
    ::testing::Values(
        BuildCase{"MachineForm", "catalogue.xml", false, kMachineLines, {"mslugb.zip"}, "4/7"},
        BuildCase{"MachineFormWithCatverAndNPlayers",
                  "catalogue.xml",
                  true,
                  WithSupport(kMachineLines),
                  {"mslugb.zip"},
                  "4/7"},
        // The old form gives the colour, sound and graphics status on the driver line, as written.
        BuildCase{"GameForm",
                  kOldForm,
                  false,
                  {"0|Metal Slug|Nazca||1996|Neogeo|Stereo|Raster|304x224|Horizontal (0\u00B0)|Joy8way|59.185606|"
                   "Good|Good|good|good|imperfect||neogeo.c|2|0|00:00:00||mslug|0",
                   "1|Metal Slug (clone)|Nazca||1996|Neogeo||Raster|304x224|Vertical (270\u00B0)|Joy4way|59.185606|"
                   "Preliminary|Imperfect|imperfect|preliminary|good||neogeo.c|1|0|00:00:00|mslug|mslugc|4"},
                  {},
                  "1/2"}),
    [](const ::testing::TestParamInfo<BuildCase>& info) { return std::string(info.param.name); });

// A line as the catalogue holds it after play, with the old scan's flag, title and verdict.
std::string Played(const std::string& rom, const std::string& times, const std::string& time) {
  return "1|Old title|Old company||1980||||||||||||||old.c||" + times + "|" + time + "||" + rom + "|2";
}

TEST(CarryCountersOver, KeepsOnlyTheCountersOfPlayedGamesAndEverythingElseNew) {
  Lines lines = kMachineLines;
  const Lines old = {Played("galaga", "3", "01:02:03"), Played("mslug", "0", "00:00:00"),
                     Played("gone", "9", "09:00:00"), "not a game line",
                     // A game listed twice in the old catalogue: the later line is the one kept.
                     Played("pong", "5", "00:05:00"), Played("pong", "7", "123:00:00")};
  const Lines played = CollectPlayedLines(old);
  EXPECT_EQ(played, (Lines{old[0], old[2], old[4], old[5]}));
  EXPECT_EQ(CarryCountersOver(played, lines), 3);
  Lines expected = kMachineLines;
  expected[2].replace(expected[2].find("|0|00:00:00|"), 12, "|3|01:02:03|");
  expected[4].replace(expected[4].find("|0|00:00:00|"), 12, "|7|123:00:00|");
  EXPECT_EQ(lines, expected);
}

TEST(CarryCountersOver, WalksEveryLineOfAFullList) {
  constexpr int kGames = 45'000;  // past any 16-bit count
  Lines lines;
  Lines played;
  for (int i = 0; i < kGames; ++i) {
    const std::string rom = "set" + std::to_string(i);
    lines.push_back("0|Game|Maker||1990||||||||||||||x.c||0|00:00:00||" + rom + "|0");
    played.push_back(Played(rom, std::to_string(i + 1), "00:00:01"));
  }
  EXPECT_EQ(CarryCountersOver(played, lines), kGames);
  EXPECT_EQ(CounterFields(lines.back()), "|45000|00:00:01|");
}

}  // namespace
}  // namespace kestrune::romscan

namespace kestrune::romscan {
namespace {

// A catver.ini or nplayers.ini without the sections it is read for is some other file under that name:
// taken as it stands it would blank every game's players (or category), so it counts as absent.
struct SupportCase {
  const char* name;
  const char* file;
  std::string text;
  bool present;
};

void PrintTo(const SupportCase& c, std::ostream* os) { *os << c.name; }

class SupportFilesTest : public ::testing::TestWithParam<SupportCase> {};

TEST_P(SupportFilesTest, CountOnlyWithTheirSections) {
  const SupportCase& c = GetParam();
  test::TempDir dir;
  test::WriteFileBytes(dir / c.file, c.text);
  const SupportFiles support = LoadSupportFiles(dir.folder());
  const std::optional<settings::IniFile>& file =
      std::string_view(c.file) == "nplayers.ini" ? support.nplayers : support.catver;
  EXPECT_EQ(file.has_value(), c.present);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SupportFilesTest,
    ::testing::Values(SupportCase{"NPlayersWithItsSection", "nplayers.ini", "[NPlayers]\r\nmslug=2P sim\r\n", true},
                      SupportCase{"NPlayersWithoutSections", "nplayers.ini", "mslug=2P sim\r\npacman=1P\r\n", false},
                      SupportCase{"NPlayersWithAnotherSection", "nplayers.ini", "[Category]\r\nmslug=Shooter\r\n",
                                  false},
                      SupportCase{"AnEmptyNPlayers", "nplayers.ini", "", false},
                      SupportCase{"CatverWithCategoryOnly", "catver.ini", "[Category]\r\nmslug=Shooter\r\n", true},
                      SupportCase{"CatverWithVerAddedOnly", "catver.ini", "[VerAdded]\r\nmslug=.30\r\n", true},
                      SupportCase{"CatverWithoutSections", "catver.ini", "mslug=Shooter\r\n", false}),
    [](const ::testing::TestParamInfo<SupportCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrune::romscan
