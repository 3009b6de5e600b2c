#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/catalogue_index.h"
#include "catalogue/game_list.h"

// Sorting the catalogue by a list column. The order lives only in the order of the catalogue lines,
// which is saved with the file.
namespace kestrune::catalogue {

// Each column keeps its own direction; none of it is saved.
struct SortState {
  int LastSortColumn = 0;
  std::array<bool, kListColumnCount> SortDescending{};
};

// Text order with the letters a to z taken as A to Z, other bytes by value, a text before any longer
// text it begins. Numbers are compared as text too: "10" sorts before "9".
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

// Compares the records' field of list column `column`; any other column compares equal.
int SortCompare(const Tgameinfo& a, const Tgameinfo& b, int column);

// Every game line of the catalogue in file order, unfiltered.
std::vector<int> ParseAllGames(CatalogueIndex& index);

// Sorts the lines of `games` by column: flips the column's direction when `same`, sorts, and makes the
// column the last one. Nothing at all happens when the list shows no rows. Equal keys end in the
// order the quicksort leaves them, always the same for the same input.
void SortGames(std::vector<int>& games, const CatalogueIndex& index, int column, bool same, SortState& state,
               bool listShowsRows);

// Replaces the catalogue's lines with the games' lines rebuilt in the given order (a year longer than
// four characters is cut); lines that are not games follow them in their old order, so nothing is lost.
void RewriteCatalogue(Catalogue& catalogue, const CatalogueIndex& index, const std::vector<int>& games);

// A click on a column header: every game sorted by the column and the catalogue rewritten in that order.
void SortCatalogueByColumn(Catalogue& catalogue, CatalogueIndex& index, int column, SortState& state,
                           bool listShowsRows);

}  // namespace kestrune::catalogue
