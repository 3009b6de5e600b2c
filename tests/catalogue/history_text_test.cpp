#include "catalogue/history_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace kestrune::catalogue {
namespace {

using Lines = std::vector<std::string>;

const Lines kHistory = {
    "$info=sf2,sf2ua,",
    R"($<a href="http://www.arcade-history.com/?n=street-fighter-ii&page=detail&id=2612" target="_blank">link</a>)",
    "$bio",
    "Street Fighter II (c) 1991 Capcom.",
    "",
    "Eight world warriors.",
    "$end",
    "$info=sf2ub,",
    "$bio",
    "No link line here.",
    "$end",
    "$info=pacman,puckman,",
    "$<a href=\"javascript:alert(1)\" target=\"_blank\">x</a>",
    "$bio",
    "Pac-Man, see www.example.com.",
    "$end",
    "$info=unended,",
    "$<a>",
    "$bio",
    "Runs to the end of the file.",
    "$info=lastline,",
};

const Lines kMameInfo = {
    "$info=sf2",
    "$mame",
    "Parent's notes.",
    "$end",
    "$info=SF2UA",
    "$mame",
    "Clone's own notes.",
    "$end",
    "$info=capcom/cps1.cpp",
    "$drv",
    "Old CPS-1 driver notes.",
    "$end",
    "$info=pacman",
    "$mame",
    "Pac notes.",
    "$end",
    "$info=cps1.cpp",
    "$drv",
    "CPS-1 driver notes.",
    "$end",
    "$info=pacman.cpp",
    "$drv",
    "Pac-Man driver.",
    "$end",
    "$info=cps1.cpp",
    "$drv",
    "Newest CPS-1 notes.",
    "$end",
    "$info=lastline",
};

struct HistoryCase {
  const char* label;
  const char* romname;
  const char* cloneof;
  bool history;
  bool mameinfo;
  std::string text;
  std::string link;
};

void PrintTo(const HistoryCase& c, std::ostream* out) { *out << c.label; }

class HistoryTextTest : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(HistoryTextTest, ShowsTheGamesEntries) {
  const HistoryCase& c = GetParam();
  const HistoryIndex history(kHistory);
  const MameInfoIndex mameinfo(kMameInfo);
  const HistoryText text =
      BuildHistoryText(c.history ? &history : nullptr, c.mameinfo ? &mameinfo : nullptr, c.romname, c.cloneof);
  EXPECT_EQ(text.text, c.text);
  EXPECT_EQ(text.link, c.link);
}

const std::string kSf2Link = "http://www.arcade-history.com/?n=street-fighter-ii&page=detail&id=2612";
const std::string kSf2History =
    "\nEdit this entry at www.arcade-history.com\n\nStreet Fighter II (c) 1991 Capcom.\n\nEight world warriors.\n";

INSTANTIATE_TEST_SUITE_P(
    Entries, HistoryTextTest,
    ::testing::Values(
        HistoryCase{"FirstNameOfTheList", "sf2", "", true, false, kSf2History, kSf2Link},
        HistoryCase{"NameAfterAComma", "sf2ua", "sf2", true, false, kSf2History, kSf2Link},
        HistoryCase{"ALongerNameDoesNotMatchAShorterOne", "sf2u", "", true, false, "", ""},
        HistoryCase{"NoLinkLineShowsAnEmptyLine", "sf2ub", "", true, false, "\n\n", ""},
        HistoryCase{"OnlyWebAndMailAddressesAreLinks", "puckman", "", true, false,
                    "\n\nPac-Man, see www.example.com.\n", ""},
        HistoryCase{"AnEntryWithoutEndRunsToTheEndOfTheFile", "unended", "", true, false,
                    "\n\nRuns to the end of the file.\n$info=lastline,\n", ""},
        HistoryCase{"AnEntryOnTheLastLineStopsThere", "lastline", "", true, false, "\n\n", ""},
        HistoryCase{"NoEntryNoText", "dkong", "", true, false, "", ""},
        HistoryCase{"AnEmptyNameFindsNothing", "", "", true, true, "\n", ""},
        HistoryCase{"BothEntriesWithAnEmptyLineBetween", "sf2", "", true, true, kSf2History + "\n\nParent's notes.\n",
                    kSf2Link},
        HistoryCase{"AClonesMameinfoIsItsParents", "sf2ua", "sf2", false, true, "\n\nParent's notes.\n", ""},
        HistoryCase{"AParentsMameinfoInAnyLetterCase", "SF2", "", false, true, "\n\nParent's notes.\n", ""},
        HistoryCase{"MameinfoOnTheLastLineStopsThere", "lastline", "", false, true, "\n\n", ""},
        HistoryCase{"NeitherFileLoaded", "sf2", "", false, false, "", ""}),
    [](const ::testing::TestParamInfo<HistoryCase>& info) { return std::string(info.param.label); });

struct DriverCase {
  const char* label;
  const char* driver;
  std::string text;
};

void PrintTo(const DriverCase& c, std::ostream* out) { *out << c.label; }

class DriverInfoTest : public ::testing::TestWithParam<DriverCase> {};

TEST_P(DriverInfoTest, ShowsTheDriversEntry) {
  const MameInfoIndex mameinfo(kMameInfo);
  EXPECT_EQ(DriverInfoText(&mameinfo, GetParam().driver), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, DriverInfoTest,
    ::testing::Values(
        DriverCase{"TheEntryNearestTheEnd", "cps1.cpp", "Driver : cps1.cpp\n\nNewest CPS-1 notes.\n"},
        DriverCase{"ADriverInItsFolder", "namco/pacman.cpp", "Driver : namco/pacman.cpp\n\nPac-Man driver.\n"},
        DriverCase{"AFolderNamedInTheFile", "capcom/cps1.cpp", "Driver : capcom/cps1.cpp\n\nOld CPS-1 driver notes.\n"},
        DriverCase{"AnEmptyDriverNamesNoEntry", "", "Driver : \n"},
        DriverCase{"AnUnknownDriver", "galaxian.cpp", "Driver : galaxian.cpp\n"},
        DriverCase{"AnEntryOnTheLastLineStopsThere", "lastline", "Driver : lastline\n\n"}),
    [](const ::testing::TestParamInfo<DriverCase>& info) { return std::string(info.param.label); });

TEST(DriverInfoText, WithoutMameinfoOnlyTheDriver) {
  EXPECT_EQ(DriverInfoText(nullptr, "cps1.cpp"), "Driver : cps1.cpp\n");
}

TEST(HistoryLinkAddress, TakesTheAnchorsAddress) {
  EXPECT_EQ(HistoryLinkAddress(R"($<a href="https://a.example/x?y=1" target="_blank">)"), "https://a.example/x?y=1");
  EXPECT_EQ(HistoryLinkAddress(R"(<a  class="k" href="mailto:me@example.org">)"), "mailto:me@example.org");
  EXPECT_EQ(HistoryLinkAddress(R"($<a href="http://unclosed)"), "");
  EXPECT_EQ(HistoryLinkAddress(R"($<a href="file:///etc/passwd">)"), "");
  EXPECT_EQ(LinkHost("https://a.example:8080/x"), "a.example");
  EXPECT_EQ(LinkHost("mailto:me@example.org"), "example.org");
}

}  // namespace
}  // namespace kestrune::catalogue
