#include "catalogue/quick_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/favorites.h"
#include "game_lines.h"

namespace kestrune::catalogue {
namespace {

using test::GameLine;

class QuickSearchTest : public ::testing::Test {
 protected:
  QuickSearchTest() {
    catalogue_.Add(GameLine("pacman", [](Tgameinfo& g) { g.description = "Pac-Man"; }));
    catalogue_.Add(GameLine("mspacman", [](Tgameinfo& g) {
      g.description = "Ms. Pac-Man";
      g.cloneof = "pacman";
      g.orientation = "Horizontal (0°)";
    }));
    catalogue_.Add(GameLine("asteroid", [](Tgameinfo& g) {
      g.description = "Asteroids";
      g.company = "Atari";
      g.category = "Shooter";
      g.video = "Vector";
      g.driver = "asteroid.c";
      g.year = "1979";
    }));
    catalogue_.Add(GameLine("puckman", [](Tgameinfo& g) {
      g.description = "PuckMan (Japan)";
      g.cloneof = "pacman";
      g.availflag = "1";
    }));
  }

  std::vector<std::string> Listed() const {
    std::vector<std::string> roms;
    for (int row = 0; row < list_.GameCount(); ++row) {
      roms.emplace_back(list_.Field(row, LineField::romname));
    }
    return roms;
  }

  Catalogue catalogue_;
  GameList list_{catalogue_};
};

TEST_F(QuickSearchTest, EmptyTextLeavesTheListAsItIs) {
  list_.Flags().ShowUnavailable = false;
  list_.BuildGameList();
  list_.Filter() = FilterOfMenuEntry(1);
  EXPECT_EQ(QuickSearch(list_, "", LineField::description), SearchOutcome::Unchanged);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"pacman", "mspacman", "asteroid"}));
  EXPECT_EQ(list_.Filter(), FilterOfMenuEntry(1));
}

TEST_F(QuickSearchTest, OneCharacterListsThePlainModeWithItsFilter) {
  list_.Filter() = FilterOfMenuEntry(2);  // Vector Games
  ASSERT_EQ(QuickSearch(list_, "pa", LineField::description), SearchOutcome::SearchResult);
  list_.Filter() = FilterOfMenuEntry(2);
  EXPECT_EQ(QuickSearch(list_, "p", LineField::description), SearchOutcome::PlainList);
  EXPECT_EQ(Listed(), std::vector<std::string>{"asteroid"});
  EXPECT_EQ(list_.Filter(), FilterOfMenuEntry(2));
  EXPECT_EQ(QuickSearch(list_, "é", LineField::description), SearchOutcome::PlainList);
}

TEST_F(QuickSearchTest, TwoOrMoreCharactersSearchTheChosenFieldIgnoringCase) {
  struct Case {
    const char* text;
    int field;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"pac", LineField::romname, {"pacman", "mspacman"}},
      {"PAC-man", LineField::description, {"pacman", "mspacman"}},
      {"atari", LineField::company, {"asteroid"}},
      {"197", LineField::year, {"asteroid"}},
      {"pacman", LineField::cloneof, {"mspacman", "puckman"}},
      {"asteroid.c", LineField::driver, {"asteroid"}},
      {"maze", LineField::category, {"pacman", "mspacman", "puckman"}},
      {"zz", LineField::description, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuickSearch(list_, c.text, c.field), SearchOutcome::SearchResult);
    EXPECT_EQ(Listed(), c.expected) << c.text;
  }
}

TEST_F(QuickSearchTest, LettersOutsideAsciiAreFoundTypedInEitherCase) {
  catalogue_.Add(GameLine("elan", [](Tgameinfo& g) {
    g.description = "Élan Vital";
    g.company = "Société ÉLECTRONIQUE";
  }));
  QuickSearch(list_, "él", LineField::description);
  EXPECT_EQ(Listed(), std::vector<std::string>{"elan"});
  QuickSearch(list_, "ÉL", LineField::description);
  EXPECT_EQ(Listed(), std::vector<std::string>{"elan"});
  QuickSearch(list_, "été", LineField::company);
  EXPECT_EQ(Listed(), std::vector<std::string>{"elan"});
  QuickSearch(list_, "el", LineField::description);
  EXPECT_TRUE(Listed().empty());
}

TEST_F(QuickSearchTest, AFieldTheSearchCannotReadFindsNothing) {
  for (const int field : {0, 24, 99, -1}) {
    QuickSearch(list_, "pa", field);
    EXPECT_EQ(list_.GameCount(), 0) << field;
  }
  EXPECT_TRUE(IsSearchField(1));
  EXPECT_TRUE(IsSearchField(23));
  EXPECT_FALSE(IsSearchField(24));
  EXPECT_EQ(SearchMenuIndexOfField(23), 4);
  EXPECT_EQ(SearchMenuIndexOfField(5), -1);
}

TEST_F(QuickSearchTest, TheFilterAppliesOnceAndIsThenCleared) {
  list_.Filter() = FilterOfMenuEntry(1);  // Raster Games
  QuickSearch(list_, "as", LineField::description);
  EXPECT_TRUE(Listed().empty());
  EXPECT_EQ(list_.Filter(), ListFilter());
  QuickSearch(list_, "as", LineField::description);
  EXPECT_EQ(Listed(), std::vector<std::string>{"asteroid"});
}

TEST_F(QuickSearchTest, NoOrientationTestDuringASearch) {
  list_.Filter() = FilterOfMenuEntry(4);  // Vertical Games
  QuickSearch(list_, "ms.", LineField::description);
  EXPECT_EQ(Listed(), std::vector<std::string>{"mspacman"});
}

TEST_F(QuickSearchTest, KeepsTheListModeSwitches) {
  settings::IniFile ini;
  AddFavorite(ini, "puckman");
  list_.SetFavorites(&ini);
  list_.Flags().FavoritesOnly = true;
  QuickSearch(list_, "man", LineField::description);
  EXPECT_EQ(Listed(), std::vector<std::string>{"puckman"});

  list_.Flags().FavoritesOnly = false;
  list_.Flags().ShowUnavailable = false;
  list_.Flags().ShowClones = false;
  QuickSearch(list_, "man", LineField::description);
  EXPECT_EQ(Listed(), std::vector<std::string>{"pacman"});
}

}  // namespace
}  // namespace kestrune::catalogue
