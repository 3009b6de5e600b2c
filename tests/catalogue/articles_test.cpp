#include "catalogue/articles.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrune::catalogue {
namespace {

// A game line with the given description and company; the rest as the builder writes it.
std::string Line(const std::string& description, const std::string& company = "Konami") {
  return "0|" + description + "|" + company +
         "|Fighter|1991||Stereo|Raster|288x224|Horizontal (0°)|Joy8way|59.185606|Good|Good|Good|Good|Good|"
         ".37b5|simpsons.cpp|4P|0|00:00:00||simpsons|0";
}

TEST(Articles, TheMovesBehindTheDescriptionAndBack) {
  const std::string line = Line("The Simpsons (4 Players World, set 1)");
  const std::string suffixed = MoveTheToSuffix(line);
  EXPECT_EQ(suffixed, Line("Simpsons (4 Players World, set 1),The"));
  EXPECT_EQ(MoveTheToPrefix(suffixed), line);
}

TEST(Articles, SuffixNeedsTheArticleFollowedByABlank) {
  const char* unchanged[] = {"Theatre of Pain", "Thexder",       "The",          "The ", "the Simpsons",
                             "THE Simpsons",    " The Simpsons", "Simpsons,The", ""};
  for (const char* description : unchanged) {
    const std::string line = Line(description);
    EXPECT_EQ(MoveTheToSuffix(line), line) << description;
  }
}

TEST(Articles, PrefixNeedsTheDescriptionToEndInCommaThe) {
  const char* unchanged[] = {"Simpsons", "Simpsons, The", "Simpsons,the", ",The", "The Simpsons", ""};
  for (const char* description : unchanged) {
    const std::string line = Line(description);
    EXPECT_EQ(MoveTheToPrefix(line), line) << description;
  }
  // Only the description counts, not a ",The" ending another field.
  const std::string company = Line("Simpsons", "Company,The");
  EXPECT_EQ(MoveTheToPrefix(company), company);
}

TEST(Articles, ShortOrMalformedLinesAreLeftAlone) {
  std::string twentyThree = Line("The Simpsons");
  twentyThree.erase(twentyThree.rfind('|'));
  const std::string cases[] = {
      "",
      "0",
      "0|",
      "0|The Simpsons",
      "0|Simpsons,The|Konami",
      "The Simpsons|x",
      "00The Simpsons|x",
      twentyThree,
      "0" + Line("The Simpsons").substr(1).insert(0, "x"),
  };
  for (const std::string& line : cases) {
    EXPECT_EQ(MoveTheToSuffix(line), line) << line;
    EXPECT_EQ(MoveTheToPrefix(line), line) << line;
  }
}

TEST(Articles, AllLinesOfTheCatalogue) {
  Catalogue catalogue;
  catalogue.Add(Line("The Simpsons"));
  catalogue.Add(Line("Theatre of Pain"));
  catalogue.Add(Line("Simpsons,The"));          // already suffixed: left alone
  catalogue.Add(Line("The Game,The"));          // begins with "The ": moved all the same
  catalogue.Add(Line("Pac-Man", "Maker,The"));  // ",The|" outside the description
  catalogue.Add("0|The Simpsons");              // damaged
  const std::vector<std::string> before = catalogue.Lines();

  EXPECT_EQ(TheSuffixAll(catalogue), 2);
  EXPECT_EQ(catalogue[0], Line("Simpsons,The"));
  EXPECT_EQ(catalogue[1], before[1]);
  EXPECT_EQ(catalogue[2], before[2]);
  EXPECT_EQ(catalogue[3], Line("Game,The,The"));
  EXPECT_EQ(catalogue[4], before[4]);
  EXPECT_EQ(catalogue[5], before[5]);

  EXPECT_EQ(ThePrefixAll(catalogue), 3);
  EXPECT_EQ(catalogue[0], Line("The Simpsons"));
  EXPECT_EQ(catalogue[1], before[1]);
  EXPECT_EQ(catalogue[2], Line("The Simpsons"));
  EXPECT_EQ(catalogue[3], Line("The Game,The"));
  EXPECT_EQ(catalogue[4], before[4]);
  EXPECT_EQ(catalogue[5], before[5]);
}

}  // namespace
}  // namespace kestrune::catalogue
