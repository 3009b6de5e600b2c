#include "catalogue/quick_search.h"

namespace kestrune::catalogue {
namespace {

// Characters, not bytes: "é" typed alone is one character.
std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++count;
    }
  }
  return count;
}

}  // namespace

bool IsSearchField(int field) { return field >= LineField::description && field <= LineField::romname; }

int SearchMenuIndexOfField(int field) {
  for (std::size_t i = 0; i < kSearchMenu.size(); ++i) {
    if (kSearchMenu[i].field == field) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

SearchOutcome QuickSearch(GameList& list, std::string_view text, int searchField) {
  if (text.empty()) {
    return SearchOutcome::Unchanged;
  }
  if (CharacterCount(text) == 1) {
    list.BuildGameList();
    return SearchOutcome::PlainList;
  }
  list.BuildSearchResult(text, searchField);
  list.Filter() = ListFilter();
  return SearchOutcome::SearchResult;
}

}  // namespace kestrune::catalogue
