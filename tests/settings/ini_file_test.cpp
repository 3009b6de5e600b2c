#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/peak_memory.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using Strings = std::vector<std::string>;

IniFile FromText(std::string_view text) {
  IniFile ini;
  ini.LoadFromText(text);
  return ini;
}

// A file read and written straight back: what each kind of line becomes.
struct RoundTripCase {
  const char* name;
  std::string input;
  std::string output;
};

class IniRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(IniRoundTrip, WritesTheNormalisedFile) { EXPECT_EQ(FromText(GetParam().input).ToText(), GetParam().output); }

INSTANTIATE_TEST_SUITE_P(
    Lines, IniRoundTrip,
    testing::Values(
        RoundTripCase{"EmptyFile", "", ""}, RoundTripCase{"OnlyComments", "; nothing\r\n;else\r\n", ""},
        RoundTripCase{"SectionsKeepOrderWithOneEmptyLineAfterEach", "[b]\nx=1\n[a]\n[c]\ny=2\n",
                      "[b]\r\nx=1\r\n\r\n[a]\r\n\r\n[c]\r\ny=2\r\n\r\n"},
        RoundTripCase{"LinesBeforeTheFirstSectionDropped", "stray=1\nloose line\n[s]\nk=v\n", "[s]\r\nk=v\r\n\r\n"},
        RoundTripCase{"CommentsAndEmptyLinesDropped", "[s]\n; comment\n\n   \n  ;indented comment\nk=v\n",
                      "[s]\r\nk=v\r\n\r\n"},
        RoundTripCase{"BlanksAroundKeyEqualsAndValueTrimmed", "[kestruneui]\n  winmax  =  1  \n\t[x]\t\n",
                      "[kestruneui]\r\nwinmax=1\r\n\r\n[x]\r\n\r\n"},
        RoundTripCase{"SplitAtTheFirstEquals", "[s]\ncolorder=0=270,1=50\n", "[s]\r\ncolorder=0=270,1=50\r\n\r\n"},
        RoundTripCase{"EmptyValueKept", "[s]\nkeyword=\nkeyword2 = \n", "[s]\r\nkeyword=\r\nkeyword2=\r\n\r\n"},
        RoundTripCase{"LineWithoutEqualsKeptTrimmed", "[s]\na=1\n  just text  \nb=2\n",
                      "[s]\r\na=1\r\njust text\r\nb=2\r\n\r\n"},
        RoundTripCase{"UnclosedBracketIsAPlainLine", "[s]\n[open\n", "[s]\r\n[open\r\n\r\n"},
        RoundTripCase{"BracketedLineWithEqualsIsASection", "[a=b]\nk=v\n", "[a=b]\r\nk=v\r\n\r\n"},
        RoundTripCase{"SectionNameNotTrimmedInsideBrackets", "[ s ]\n", "[ s ]\r\n\r\n"},
        RoundTripCase{"AnyLineEnd", "[s]\ra=1\r\nb=2\nc=3", "[s]\r\na=1\r\nb=2\r\nc=3\r\n\r\n"},
        RoundTripCase{"RepeatedSectionContinuesTheFirst", "[a]\nx=1\n[b]\ny=2\n[A]\nz=3\n",
                      "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n\r\n"},
        RoundTripCase{"RepeatedKeyLaterValueWinsInPlace", "[s]\nk=1\nm=2\nK=3\n", "[s]\r\nk=3\r\nm=2\r\n\r\n"},
        RoundTripCase{"ByteOrderMarkIgnored", "\xEF\xBB\xBF[s]\nk=v\n", "[s]\r\nk=v\r\n\r\n"},
        RoundTripCase{"Windows1252LineReadAsUtf8", "[s]\nname=Caf\xE9 \x80\n",
                      "[s]\r\nname=Caf\xC3\xA9 \xE2\x82\xAC\r\n\r\n"}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

TEST(IniFile, LooksUpSectionsAndKeysIgnoringCaseAndKeepsTheFirstSpelling) {
  IniFile ini = FromText("[kestruneui]\nWinMax=1\n[favorites]\npacman=1\n");
  EXPECT_EQ(ini.ReadString("KESTRUNEUI", "winmax", "x"), "1");
  EXPECT_TRUE(ini.KeyExists("Favorites", "PACMAN"));
  EXPECT_TRUE(ini.SectionExists("FAVORITES"));

  ASSERT_TRUE(ini.WriteString("Favorites", "galaga", "1"));
  ASSERT_TRUE(ini.WriteString("KestruneUI", "WINMAX", "0"));
  ASSERT_TRUE(ini.WriteString("Mame", "SnapDir", "/x/snap"));
  EXPECT_EQ(ini.Sections(), (Strings{"kestruneui", "favorites", "Mame"}));
  EXPECT_EQ(ini.Keys("kestruneui"), (Strings{"WinMax"}));
  EXPECT_EQ(
      ini.ToText(),
      "[kestruneui]\r\nWinMax=0\r\n\r\n[favorites]\r\npacman=1\r\ngalaga=1\r\n\r\n[Mame]\r\nSnapDir=/x/snap\r\n\r\n");
}

TEST(IniFile, CaseFoldingIsAsciiOnly) {
  IniFile ini = FromText("[s]\n\xC3\xA9t\xC3\xA9=summer\n");
  EXPECT_TRUE(ini.KeyExists("S", "\xC3\xA9T\xC3\xA9"));
  EXPECT_FALSE(ini.KeyExists("s", "\xC3\x89t\xC3\xA9"));  // "Été": not folded
}

TEST(IniFile, WritesReplaceInPlaceAppendToTheSectionAndAddSectionsAtTheEnd) {
  IniFile ini = FromText("[a]\nx=1\nnote\ny=2\n[b]\nz=3\n");
  ASSERT_TRUE(ini.WriteString("a", "x", "10"));  // in place
  ASSERT_TRUE(ini.WriteString("a", "w", "4"));   // end of its section, after the plain line
  ASSERT_TRUE(ini.WriteString("c", "v", "5"));   // new section at the end
  EXPECT_EQ(ini.ToText(), "[a]\r\nx=10\r\nnote\r\ny=2\r\nw=4\r\n\r\n[b]\r\nz=3\r\n\r\n[c]\r\nv=5\r\n\r\n");
  EXPECT_EQ(ini.Keys("a"), (Strings{"x", "y", "w"}));
  EXPECT_EQ(ini.KeyCount("a"), 3u);
}

TEST(IniFile, ReadsDefaultsForWhatIsMissingAndPlainLinesAreNotKeys) {
  IniFile ini = FromText("[s]\nnote\nempty=\n");
  EXPECT_EQ(ini.ReadString("s", "missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("nosection", "k", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("s", "empty", "dflt"), "");
  EXPECT_FALSE(ini.KeyExists("s", "note"));
  EXPECT_EQ(ini.FindValue("s", "note"), nullptr);
  EXPECT_TRUE(ini.Keys("nosection").empty());
}

TEST(IniFile, DeletesKeysAndErasesSections) {
  IniFile ini = FromText("[a]\nk1=1\nk2=2\nk3=3\n[b]\nx=1\n[c]\ny=2\n");
  EXPECT_TRUE(ini.DeleteKey("A", "K2"));
  EXPECT_FALSE(ini.DeleteKey("a", "k2"));
  EXPECT_FALSE(ini.DeleteKey("none", "k1"));
  // Keys behind the removed one are still found and still replaced in place.
  EXPECT_EQ(ini.ReadString("a", "k3", ""), "3");
  ASSERT_TRUE(ini.WriteString("a", "k3", "33"));

  EXPECT_TRUE(ini.EraseSection("B"));
  EXPECT_FALSE(ini.EraseSection("b"));
  EXPECT_FALSE(ini.SectionExists("b"));
  ASSERT_TRUE(ini.WriteString("c", "z", "3"));
  EXPECT_EQ(ini.ToText(), "[a]\r\nk1=1\r\nk3=33\r\n\r\n[c]\r\ny=2\r\nz=3\r\n\r\n");
}

// Names and values that would not read back as written are refused and change nothing.
TEST(IniFile, RefusesWhatTheFormatCannotHold) {
  struct Row {
    const char* section;
    const char* key;
    const char* value;
  };
  const Row rows[] = {
      {"s", "", "v"},         {"s", "a=b", "v"},   {"s", "a\nb", "v"}, {"s", "a\rb", "v"},
      {"s", " a", "v"},       {"s", "a\t", "v"},   {"s", ";a", "v"},   {"s", "[a", "v]"},
      {"s", "k", "one\ntwo"}, {"s", "k", "one\r"}, {"s\n", "k", "v"},
  };
  for (const Row& row : rows) {
    IniFile ini = FromText("[s]\nk=old\n");
    EXPECT_FALSE(ini.WriteString(row.section, row.key, row.value)) << row.key << "=" << row.value;
    EXPECT_EQ(ini.ToText(), "[s]\r\nk=old\r\n\r\n") << row.key << "=" << row.value;
  }
  IniFile ini;
  EXPECT_TRUE(ini.WriteString("s", "a;b[c]", "=x= ]"));
  IniFile reread = FromText(ini.ToText());
  EXPECT_EQ(reread.ReadString("s", "a;b[c]", ""), "=x= ]");
}

TEST(IniFile, HoldsThousandsOfKeysInOneSection) {
  IniFile ini;
  constexpr int kKeys = 20000;
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_TRUE(ini.WriteString("favorites", "set" + std::to_string(i), "1"));
  }
  ASSERT_TRUE(ini.WriteString("after", "k", "v"));
  // Enough removals that the section is renumbered on the way; order and look-ups must survive it.
  for (int i = 0; i < kKeys; ++i) {
    if (i % 4 != 3) {
      ASSERT_TRUE(ini.DeleteKey("favorites", "set" + std::to_string(i)));
    }
  }
  EXPECT_EQ(ini.KeyCount("favorites"), static_cast<std::size_t>(kKeys / 4));
  ASSERT_TRUE(ini.WriteString("favorites", "set3", "replaced"));
  ASSERT_TRUE(ini.WriteString("favorites", "new", "1"));

  std::string expected = "[favorites]\r\n";
  for (int i = 3; i < kKeys; i += 4) {
    expected += "set" + std::to_string(i) + (i == 3 ? "=replaced\r\n" : "=1\r\n");
  }
  expected += "new=1\r\n\r\n[after]\r\nk=v\r\n\r\n";
  EXPECT_EQ(ini.ToText(), expected);

  IniFile reread = FromText(expected);
  for (int i = 0; i < kKeys; ++i) {
    ASSERT_EQ(reread.KeyExists("FAVORITES", "SET" + std::to_string(i)), i % 4 == 3) << i;
  }
}

TEST(IniFile, LoadFromFileTellsAMissingFileFromAnUnreadableOne) {
  TempDir dir;
  IniFile ini = FromText("[old]\nk=v\n");
  std::string error;
  EXPECT_EQ(ini.LoadFromFile(dir / "none.ini", &error), LoadResult::kMissing);
  EXPECT_TRUE(ini.Sections().empty());

  ini.WriteString("old", "k", "v");
  EXPECT_EQ(ini.LoadFromFile(dir.path(), &error), LoadResult::kFailed);  // a folder
  EXPECT_TRUE(ini.Sections().empty());
  EXPECT_NE(error.find(dir.path().string()), std::string::npos) << error;

  WriteFileBytes(dir / "s.ini", "junk\r\n[s]\r\nname=Caf\xE9\r\n");
  EXPECT_EQ(ini.LoadFromFile(dir / "s.ini", &error), LoadResult::kLoaded);
  EXPECT_EQ(ini.ReadString("s", "name", ""), "Caf\xC3\xA9");
}

// Files of the settings, catver.ini or mame.ini padded with empty lines: each line read took some 48
// bytes besides its text. 4 MB of them stand for the 250 MB that took 12 GB.
struct PaddedFileCase {
  const char* name;
  std::string text;
  LoadResult result;
  const char* message;  // after the file's name
};

void PrintTo(const PaddedFileCase& row, std::ostream* out) { *out << row.name; }

class IniPaddedFile : public testing::TestWithParam<PaddedFileCase> {};

TEST_P(IniPaddedFile, IsReadOrRefusedWithinAFewTimesItsSize) {
  const PaddedFileCase& row = GetParam();
  TempDir dir;
  const auto path = dir / "kestrune.ini";
  WriteFileBytes(path, row.text);
  IniFile ini;
  std::string error;
  LoadResult result = LoadResult::kMissing;
  const std::uint64_t growth = test::PeakGrowth([&] { result = ini.LoadFromFile(path, &error); });
  EXPECT_EQ(result, row.result);
  if (result == LoadResult::kLoaded) {
    EXPECT_EQ(ini.ReadString("kestruneui", "list", ""), "2");
  } else {
    EXPECT_EQ(error, "Cannot read \"" + path.string() + "\": " + row.message);
    EXPECT_TRUE(ini.Sections().empty());
  }
  EXPECT_LT(growth, 4 * row.text.size() + 16 * test::kMegabyte);
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniPaddedFile,
    testing::Values(PaddedFileCase{"EmptyLines", std::string(4 << 20, '\n'), LoadResult::kFailed,
                                   "the file has too many lines for its size (4194304 lines in 4 MB)"},
                    PaddedFileCase{"EmptyLinesAfterASection", "[kestruneui]\r\nlist=2\r\n" + std::string(4 << 20, '\r'),
                                   LoadResult::kFailed,
                                   "the file has too many lines for its size (4194306 lines in 4194326 bytes)"},
                    PaddedFileCase{"BlanksAndCommentsOfAFairLength",
                                   "[kestruneui]\r\n" +
                                       [] {
                                         std::string padding;
                                         for (int i = 0; i < 100000; ++i)
                                           padding += ";" + std::string(40, ' ') + "\r\n";
                                         return padding;
                                       }() +
                                       "list=2\r\n",
                                   LoadResult::kLoaded, ""}),
    [](const testing::TestParamInfo<PaddedFileCase>& info) { return std::string(info.param.name); });

TEST(IniFile, SavesTheExactTextAndAFailedSaveKeepsTheOldFile) {
  TempDir dir;
  const auto path = dir / "s.ini";
  IniFile ini = FromText("[s]\nk=v\n");
  std::string error;
  ASSERT_TRUE(ini.SaveToFile(path, &error)) << error;
  EXPECT_EQ(ReadFileBytes(path), "[s]\r\nk=v\r\n\r\n");

  const std::string before = ReadFileBytes(path);
  ini.WriteString("s", "big", std::string(64 * 1024, 'x'));
  {
    test::ScopedFileSizeLimit limit(4096);
    EXPECT_FALSE(ini.SaveToFile(path, &error));
  }
  EXPECT_NE(error.find("s.ini"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(path), before);
}

}  // namespace
}  // namespace kestrune::settings
