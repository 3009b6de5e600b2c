#include "catalogue/game_sort.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "game_lines.h"

namespace kestrune::catalogue {
namespace {

using test::GameLine;

// The list's quicksort exactly as it is described, recursing on both parts, over whole records.
void ReferenceSort(std::vector<Tgameinfo>& games, int left, int right, int column, int direction) {
  const Tgameinfo pivot = games[static_cast<std::size_t>((left + right) / 2)];
  int i = left;
  int j = right;
  do {
    while (SortCompare(games[static_cast<std::size_t>(i)], pivot, column) * direction < 0) {
      ++i;
    }
    while (SortCompare(games[static_cast<std::size_t>(j)], pivot, column) * direction > 0) {
      --j;
    }
    if (i <= j) {
      std::swap(games[static_cast<std::size_t>(i)], games[static_cast<std::size_t>(j)]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (left < j) {
    ReferenceSort(games, left, j, column, direction);
  }
  if (i < right) {
    ReferenceSort(games, i, right, column, direction);
  }
}

std::vector<std::string> RomOrder(const Catalogue& catalogue) {
  std::vector<std::string> roms;
  for (const std::string& line : catalogue.Lines()) {
    const std::optional<Tgameinfo> game = ParseGameRecord(line);
    roms.push_back(game ? game->romname : "<" + line + ">");
  }
  return roms;
}

// Many equal keys, so that the order among equals shows.
Catalogue TiedCatalogue(int count, unsigned seed) {
  std::mt19937 random(seed);
  const std::vector<std::string> companies = {"Namco", "namco", "Sega", "Capcom", "", "Taito", "SEGA", "Atari_"};
  Catalogue catalogue;
  for (int i = 0; i < count; ++i) {
    catalogue.Add(GameLine("set" + std::to_string(i), [&](Tgameinfo& g) {
      g.company = companies[random() % companies.size()];
      g.timesplayed = std::to_string(random() % 12);
      g.year = std::to_string(1978 + random() % 5);
      g.description = "Game " + std::to_string(random() % 9);
    }));
  }
  return catalogue;
}

TEST(SortCompare, TextOrderWithLettersFoldedAndNumbersAsText) {
  EXPECT_EQ(CompareTextIgnoreCase("pacman", "PACMAN"), 0);
  EXPECT_LT(CompareTextIgnoreCase("10", "9"), 0);
  EXPECT_LT(CompareTextIgnoreCase("Pac", "pac-man"), 0);
  EXPECT_GT(CompareTextIgnoreCase("b", "A"), 0);
  EXPECT_LT(CompareTextIgnoreCase("", "a"), 0);
  EXPECT_LT(CompareTextIgnoreCase("a", "_"), 0);         // letters compare as capitals, which stand before "_"
  EXPECT_LT(CompareTextIgnoreCase("z", "\xC3\xA9"), 0);  // other bytes by value
  Tgameinfo a;
  Tgameinfo b;
  a.romstatus = "2";
  b.romstatus = "10";
  EXPECT_GT(SortCompare(a, b, kStatusColumn), 0);
  EXPECT_EQ(SortCompare(a, b, 19), 0);
}

TEST(SortGames, GivesTheQuicksortsOrderAmongEqualKeys) {
  for (const int column : {0, 1, 2, 14}) {
    for (const bool descending : {false, true}) {
      Catalogue catalogue = TiedCatalogue(500, static_cast<unsigned>(column * 2 + descending));
      std::vector<Tgameinfo> expected;
      for (const std::string& line : catalogue.Lines()) {
        expected.push_back(*ParseGameRecord(line));
      }
      ReferenceSort(expected, 0, static_cast<int>(expected.size()) - 1, column, descending ? -1 : 1);

      CatalogueIndex index(catalogue);
      SortState state;
      state.SortDescending[static_cast<std::size_t>(column)] = descending;
      state.LastSortColumn = column == 0 ? 1 : 0;  // not the same column: no flip
      SortCatalogueByColumn(catalogue, index, column, state, true);
      std::vector<std::string> roms;
      for (const Tgameinfo& game : expected) {
        roms.push_back(game.romname);
      }
      EXPECT_EQ(RomOrder(catalogue), roms) << "column " << column << (descending ? " descending" : "");
    }
  }
}

TEST(SortGames, EachColumnKeepsItsDirectionAndGameNameStartsDescending) {
  Catalogue catalogue;
  for (const char* name : {"b", "c", "a"}) {
    catalogue.Add(GameLine(name, [name](Tgameinfo& g) {
      g.description = name;
      g.timesplayed = std::string(name) == "a" ? "10" : std::string(name) == "b" ? "9" : "2";
    }));
  }
  CatalogueIndex index(catalogue);
  SortState state;
  using Order = std::vector<std::string>;
  SortCatalogueByColumn(catalogue, index, 0, state, true);
  EXPECT_EQ(RomOrder(catalogue), (Order{"c", "b", "a"}));  // first click on Game Name
  SortCatalogueByColumn(catalogue, index, 14, state, true);
  EXPECT_EQ(RomOrder(catalogue), (Order{"a", "c", "b"}));  // Played ascending as text: 10, 2, 9
  SortCatalogueByColumn(catalogue, index, 14, state, true);
  EXPECT_EQ(RomOrder(catalogue), (Order{"b", "c", "a"}));  // and descending
  SortCatalogueByColumn(catalogue, index, 0, state, true);
  EXPECT_EQ(RomOrder(catalogue), (Order{"c", "b", "a"}));  // Game Name keeps its descending direction
  SortCatalogueByColumn(catalogue, index, 0, state, true);
  EXPECT_EQ(RomOrder(catalogue), (Order{"a", "b", "c"}));
  EXPECT_EQ(state.LastSortColumn, 0);
}

TEST(SortGames, WithNoListedRowsOnlyRebuildsTheLines) {
  Catalogue catalogue;
  catalogue.Add(GameLine("b", [](Tgameinfo& g) { g.description = "B"; }));
  catalogue.Add("damaged line");
  catalogue.Add(GameLine("a", [](Tgameinfo& g) {
    g.description = "A";
    g.year = "19xx?";
  }));
  CatalogueIndex index(catalogue);
  SortState state;
  state.LastSortColumn = 3;
  SortCatalogueByColumn(catalogue, index, 0, state, false);
  EXPECT_EQ(RomOrder(catalogue), (std::vector<std::string>{"b", "a", "<damaged line>"}));
  EXPECT_EQ(ParseGameRecord(catalogue[1])->year, "19xx");
  EXPECT_EQ(catalogue[1].find("19xx?"), std::string::npos);
  EXPECT_EQ(state.LastSortColumn, 3);
  EXPECT_FALSE(state.SortDescending[0]);
}

TEST(SortGames, RewritesTheCatalogueInSortedOrderKeepingEveryLine) {
  Catalogue catalogue;
  catalogue.Add(GameLine("zaxxon", [](Tgameinfo& g) { g.company = "Sega"; }));
  catalogue.Add("");
  catalogue.Add(GameLine("pacman", [](Tgameinfo& g) { g.company = "Namco"; }));
  catalogue.Add(GameLine("astdelux", [](Tgameinfo& g) { g.company = "atari"; }));
  const std::string pacmanLine = catalogue[2];
  CatalogueIndex index(catalogue);
  SortState state;
  SortCatalogueByColumn(catalogue, index, 2, state, true);
  ASSERT_EQ(catalogue.Count(), 4);
  EXPECT_EQ(RomOrder(catalogue), (std::vector<std::string>{"astdelux", "pacman", "zaxxon", "<>"}));
  EXPECT_EQ(catalogue[1], pacmanLine);
}

}  // namespace
}  // namespace kestrune::catalogue
