#include "catalogue/history_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/peak_memory.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::catalogue {
namespace {

using Lines = std::vector<std::string>;

// The lines as a file of the test's own folder, each ending in CR LF as the files' lines do.
std::filesystem::path WriteDat(const test::TempDir& dir, const char* name, const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  test::WriteFileBytes(dir / name, text);
  return dir / name;
}

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
  const test::TempDir dir;
  const HistoryIndex history(WriteDat(dir, "history.dat", kHistory));
  const MameInfoIndex mameinfo(WriteDat(dir, "mameinfo.dat", kMameInfo));
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
  const test::TempDir dir;
  const MameInfoIndex mameinfo(WriteDat(dir, "mameinfo.dat", kMameInfo));
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

std::string Repeat(std::string_view text, std::size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

std::string NumberedNames(std::size_t count) {
  std::string names;
  for (std::size_t i = 0; i < count; ++i) names += "n" + std::to_string(i) + ",";
  return names;
}

// "$info" lines of a damaged or hostile history.dat: every "=" or "," once started a name that ran to
// the next ",", so 60 KB of them took 1.8 GB.
struct InfoLineCase {
  const char* label;
  std::string line;
  const char* romname;
  bool found;
};

void PrintTo(const InfoLineCase& c, std::ostream* out) { *out << c.label; }

class HistoryInfoLineTest : public ::testing::TestWithParam<InfoLineCase> {};

TEST_P(HistoryInfoLineTest, IsIndexedInMemoryLinearInTheLine) {
  const InfoLineCase& c = GetParam();
  const test::TempDir dir;
  const std::filesystem::path file = WriteDat(dir, "history.dat", {"$info=first,", c.line, "$bio", "Body.", "$end"});
  std::unique_ptr<HistoryIndex> history;
  const std::uint64_t growth = test::PeakGrowth([&] { history = std::make_unique<HistoryIndex>(file); });
  EXPECT_EQ(history->FindEntry(c.romname), c.found ? std::int64_t{14} : -1);  // after "$info=first,\r\n"
  EXPECT_EQ(history->FindEntry("first"), 0);
  EXPECT_LT(growth, 64 * test::kMegabyte);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HistoryInfoLineTest,
    ::testing::Values(InfoLineCase{"EqualsSignsUpToOneComma", "$info" + Repeat("=a", 100000) + ",", "a", true},
                      InfoLineCase{"EqualsSignsWithoutAComma", "$info=" + Repeat("=a", 100000), "a", false},
                      InfoLineCase{"CommasAfterEqualsSigns", "$info" + Repeat("==b,", 100000), "b", true},
                      InfoLineCase{"ANameHoldingAnEqualsSignNamesNoEntry", "$info=x=y,", "x=y", false},
                      InfoLineCase{"ManyNames", "$info=" + NumberedNames(100000), "n99999", true},
                      InfoLineCase{"ANameNotListed", "$info=" + NumberedNames(100000), "n100000", false}),
    [](const ::testing::TestParamInfo<InfoLineCase>& info) { return std::string(info.param.label); });

TEST(HistoryIndex, KeepsNoMoreNamesThanItsBound) {
  constexpr std::size_t kPerLine = 1 << 16;
  Lines lines;
  for (std::size_t first = 0; first < kMaxHistoryNames; first += kPerLine) {
    std::string line = "$info=";
    for (std::size_t i = first; i < first + kPerLine; ++i) line += "n" + std::to_string(i) + ",";
    lines.push_back(line);
  }
  lines.insert(lines.end(), {"$info=past,", "$bio", "$end"});
  const test::TempDir dir;
  const HistoryIndex history(WriteDat(dir, "history.dat", lines));
  EXPECT_EQ(history.NameCount(), kMaxHistoryNames);
  EXPECT_EQ(history.FindEntry("n0"), 0);
  EXPECT_GT(history.FindEntry("n" + std::to_string(kMaxHistoryNames - 1)), 0);
  EXPECT_EQ(history.FindEntry("past"), -1);
}

// Entries whose "$end" line is missing, or that are far longer than any real one: a 240 MB entry took
// 4.5 GB and froze the History page. 20 MB stand for it here.
struct LongEntryCase {
  const char* label;
  std::string body;  // one line, repeated
  std::size_t times;
  bool cut;
};

void PrintTo(const LongEntryCase& c, std::ostream* out) { *out << c.label; }

class LongEntryTest : public ::testing::TestWithParam<LongEntryCase> {};

// The text a pane shows of an entry of this row: the entry's lines up to the bounds, then the note.
std::string Expected(const LongEntryCase& c) {
  const std::size_t shown = c.cut ? std::min(kMaxEntryLines, kMaxEntryBytes / (c.body.size() + 1)) : c.times;
  return Repeat(c.body + "\n", shown) + (c.cut ? std::string(kEntryCutText) + "\n" : "");
}

Lines Entry(Lines head, const LongEntryCase& c) {
  head.insert(head.end(), c.times, c.body);
  return head;
}

TEST_P(LongEntryTest, ShowsWhatOneEntryMayHold) {
  const LongEntryCase& c = GetParam();
  const test::TempDir dir;
  const HistoryIndex history(WriteDat(dir, "history.dat", Entry({"$info=big,", "$<a>", "$bio"}, c)));
  EXPECT_EQ(BuildHistoryText(&history, nullptr, "big", "").text, "\n\n" + Expected(c));
  const MameInfoIndex mameinfo(WriteDat(dir, "mameinfo.dat", Entry({"$info=big", "$mame"}, c)));
  EXPECT_EQ(BuildHistoryText(nullptr, &mameinfo, "big", "").text, "\n\n" + Expected(c));
  const MameInfoIndex drivers(WriteDat(dir, "drivers.dat", Entry({"$info=big.cpp", "$drv"}, c)));
  EXPECT_EQ(DriverInfoText(&drivers, "big.cpp"), "Driver : big.cpp\n\n" + Expected(c));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, LongEntryTest,
    ::testing::Values(LongEntryCase{"LongLinesWithoutEnd", std::string(100, 'x'), 200000, true},
                      LongEntryCase{"EmptyLinesWithoutEnd", "", 1000000, true},
                      LongEntryCase{"AsManyLinesAsMayBeShown", "", kMaxEntryLines, false},
                      LongEntryCase{"AsManyBytesAsMayBeShown", std::string(1023, 'x'), kMaxEntryBytes / 1024, false},
                      LongEntryCase{"OneLineTooLong", std::string(kMaxEntryBytes, 'x'), 1, true}),
    [](const ::testing::TestParamInfo<LongEntryCase>& info) { return std::string(info.param.label); });

// history.dat and mameinfo.dat of 250 MB each, every line a 37-byte "$info" line naming another set:
// held as lines they took 1.3 GB at start. Indexed, they cost the index's bound.
void WriteInfoLines(const std::filesystem::path& path, const char* format, std::size_t bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  char line[64];
  for (std::size_t written = 0, n = 0; written < bytes; ++n) {
    const int length = std::snprintf(line, sizeof line, format, n);
    ASSERT_EQ(length, 37);
    written += std::fwrite(line, 1, static_cast<std::size_t>(length), file);
  }
  ASSERT_EQ(std::fclose(file), 0);
}

TEST(HostileDatFiles, CostTheIndexBoundNotTheirSize) {
  constexpr std::size_t kBytes = std::size_t{250} << 20;
  const test::TempDir dir;
  WriteInfoLines(dir / "history.dat", "$info=h%028zu,\n", kBytes);
  WriteInfoLines(dir / "mameinfo.dat", "$info=m%029zu\n", kBytes);
  HistoryText shown;
  HistoryText past;
  const std::uint64_t growth = test::PeakGrowth([&] {
    const HistoryIndex history(dir / "history.dat");
    const MameInfoIndex mameinfo(dir / "mameinfo.dat");
    EXPECT_EQ(history.NameCount(), kMaxHistoryNames);
    EXPECT_EQ(mameinfo.NameCount(), kMaxHistoryNames);
    shown = BuildHistoryText(&history, &mameinfo, "h0000000000000000000000012345", "m00000000000000000000000012345");
    past = BuildHistoryText(&history, &mameinfo, "h0000000000000000000005000000", "m00000000000000000000005000000");
  });
  EXPECT_LT(growth, 300 * test::kMegabyte);
  // An entry without "$end" runs on through the next sets' lines up to the entry's bounds.
  EXPECT_TRUE(shown.text.starts_with("\n\n$info=h0000000000000000000000012348,\n")) << shown.text.substr(0, 100);
  EXPECT_NE(shown.text.find("\n\n$info=m00000000000000000000000012347\n"), std::string::npos);
  EXPECT_EQ(shown.text.size(), 2 * (2 + kMaxEntryLines * 37 + kEntryCutText.size() + 1));
  // Names past the index's bound are left out.
  EXPECT_EQ(past.text, "\n");
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
