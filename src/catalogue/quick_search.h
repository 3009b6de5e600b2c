#pragma once

#include <array>
#include <string_view>

#include "catalogue/game_list.h"

// The quick search: the games whose chosen field contains the typed text.
namespace kestrune::catalogue {

// One entry of the search-field menu `searchmenu`.
struct SearchMenuEntry {
  std::string_view item;  // the menu item's component name
  std::string_view caption;
  int field;  // the line field searched (`SearchField`)
};

inline constexpr std::array<SearchMenuEntry, 7> kSearchMenu{{
    {"Description", "Game Name", LineField::description},
    {"Year1", "Year", LineField::year},
    {"Company1", "Company", LineField::company},
    {"Category1", "Category", LineField::category},
    {"RomName1", "Rom", LineField::romname},
    {"CloneName1", "Clone of", LineField::cloneof},
    {"Bios1", "Driver", LineField::driver},
}};

// A field the search can read (1 to 23). A stored `searchmenu` outside this range falls back to the
// key's first-run default.
bool IsSearchField(int field);
// The search menu entry of a field, or -1 when no entry searches it.
int SearchMenuIndexOfField(int field);

enum class SearchOutcome {
  Unchanged,     // empty text: the list stays as it is
  PlainList,     // one character: the plain list of the current list mode, rebuilt
  SearchResult,  // two or more: the search result, and the filter is cleared
};

// Lists the search result for `text` in field `searchField`, or the plain list again. The filter in
// force applies to this search once and is cleared afterwards; the list-mode switches stay, so a
// search in the favourites mode finds only favourites.
SearchOutcome QuickSearch(GameList& list, std::string_view text, int searchField);

}  // namespace kestrune::catalogue
