#include "catalogue/case_fold.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kestrune::catalogue {
namespace {

struct FoldRow {
  const char* name;
  std::string typed;
  std::string field;
  bool found;  // the typed text is somewhere in the field
};

void PrintTo(const FoldRow& row, std::ostream* out) {
  *out << row.name << ": \"" << row.typed << "\" in \"" << row.field << '"';
}

class CaseFoldedSearch : public ::testing::TestWithParam<FoldRow> {};

TEST_P(CaseFoldedSearch, FindsTheTextWhateverTheCaseOfEitherSide) {
  const FoldRow& row = GetParam();
  EXPECT_EQ(CaseFoldedText(row.typed).FoundIn(row.field), row.found);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CaseFoldedSearch,
    ::testing::Values(
        FoldRow{"AsciiCapitalsTyped", "PAC-m", "Ms. Pac-Man", true},
        FoldRow{"AsciiAtTheEnd", "man", "Ms. Pac-Man", true},
        FoldRow{"AsciiLongerThanTheField", "pac-man!", "Pac-Man", false},
        FoldRow{"AsciiSymbolsAreNotLetters", "@x", "`x", false}, FoldRow{"AsciiBracketIsNotBrace", "[", "{", false},
        FoldRow{"EmptyTextIsEverywhere", "", "", true}, FoldRow{"AccentedCapitalTyped", "ÉL", "Élan", true},
        FoldRow{"AccentedLowerTyped", "él", "ÉLAN Vital", true},
        FoldRow{"AccentedInsideAsciiTitle", "CAFÉ", "Le café", true},
        FoldRow{"AccentIsNotStripped", "el", "Élan", false}, FoldRow{"AccentedTextNotInAsciiField", "é", "Elan", false},
        FoldRow{"CyrillicCapitals", "тетрис", "ТЕТРИС", true}, FoldRow{"GreekFinalSigma", "οδυσσευς", "ΟΔΥΣΣΕΥΣ", true},
        FoldRow{"FullwidthLetters", "ａｂ", "ＡＢＣ", true}, FoldRow{"KelvinSignFoldsToK", "kel", "\u212Aelvin", true},
        FoldRow{"CapitalSharpS", "straße", "STRAẞE", true}, FoldRow{"SharpSDoesNotExpand", "strasse", "Straße", false},
        FoldRow{"SharpSIsNotDoubleS", "straße", "STRASSE", false},
        FoldRow{"BeyondBmpKeepsItsCase", "\U00010428", "\U00010400", false},
        FoldRow{"StrayByteMatchesItself", "\xC9L", "\xC9lan", true},
        FoldRow{"StrayByteIsNotTheLetter", "él", "\xC9lan", false},
        FoldRow{"StrayContinuationIsNotHalfALetter", "\xA9", "é", false},
        FoldRow{"CutSequenceIsNotHalfALetter", "\xC3", "é", false},
        FoldRow{"LetterAfterAStrayByte", "LAN", "\xC9lan", true}),
    [](const ::testing::TestParamInfo<FoldRow>& info) { return std::string(info.param.name); });

TEST(CaseFoldedText, BeginsComparesTheStartOnly) {
  EXPECT_TRUE(CaseFoldedText("PAC").Begins("Pac-Man"));
  EXPECT_TRUE(CaseFoldedText("ÉL").Begins("élan"));
  EXPECT_TRUE(CaseFoldedText("").Begins("élan"));
  EXPECT_FALSE(CaseFoldedText("lan").Begins("élan"));
  EXPECT_FALSE(CaseFoldedText("élan!").Begins("Élan"));
  EXPECT_FALSE(CaseFoldedText("\xC3").Begins("élan"));
}

TEST(FoldCase, FoldsEachCharacterToOne) {
  EXPECT_EQ(FoldCase("Ms. Pac-Man 2"), "ms. pac-man 2");
  EXPECT_EQ(FoldCase("ÉLAN ΣΑΣ ẞ"), "élan σασ ß");
  EXPECT_EQ(FoldCase("\xC9"), "\xED\xB3\x89");  // a stray byte keeps a mark of its own
}

}  // namespace
}  // namespace kestrune::catalogue
