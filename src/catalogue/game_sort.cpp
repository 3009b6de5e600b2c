#include "catalogue/game_sort.h"

#include <string>
#include <utility>

namespace kestrune::catalogue {
namespace {

unsigned char FoldUpper(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

// The quicksort of the list, over positions of `order`. Which equal keys end where depends on every
// detail here (middle pivot, both scans stopping on equal keys, exchange then step), so the same input
// always gives the same order. The smaller part is sorted first by recursion and the larger one by the
// loop; the parts do not overlap, so this only bounds the stack depth and gives the same result.
template <typename Compare>
void QuickSort(std::vector<int>& order, int left, int right, const Compare& compare, int direction) {
  while (left < right) {
    const int pivot = order[static_cast<std::size_t>((left + right) / 2)];
    int i = left;
    int j = right;
    do {
      while (compare(order[static_cast<std::size_t>(i)], pivot) * direction < 0) {
        ++i;
      }
      while (compare(order[static_cast<std::size_t>(j)], pivot) * direction > 0) {
        --j;
      }
      if (i <= j) {
        std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - left < right - i) {
      QuickSort(order, left, j, compare, direction);
      left = i;
    } else {
      QuickSort(order, i, right, compare, direction);
      right = j;
    }
  }
}

}  // namespace

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = FoldUpper(a[i]);
    const unsigned char y = FoldUpper(b[i]);
    if (x != y) {
      return x < y ? -1 : 1;
    }
  }
  if (a.size() == b.size()) {
    return 0;
  }
  return a.size() < b.size() ? -1 : 1;
}

int SortCompare(const Tgameinfo& a, const Tgameinfo& b, int column) {
  if (column < 0 || column >= kListColumnCount) {
    return 0;
  }
  const int field = kListColumns[static_cast<std::size_t>(column)].field;
  return CompareTextIgnoreCase(RecordField(a, field), RecordField(b, field));
}

std::vector<int> ParseAllGames(CatalogueIndex& index) {
  index.Refresh();
  std::vector<int> games;
  games.reserve(static_cast<std::size_t>(index.Count()));
  for (int line = 0; line < index.Count(); ++line) {
    if (index.IsGame(line)) {
      games.push_back(line);
    }
  }
  return games;
}

void SortGames(std::vector<int>& games, const CatalogueIndex& index, int column, bool same, SortState& state,
               bool listShowsRows) {
  if (!listShowsRows || column < 0 || column >= kListColumnCount) {
    return;
  }
  bool& descending = state.SortDescending[static_cast<std::size_t>(column)];
  if (same) {
    descending = !descending;
  }
  // The keys are taken out once, so each comparison is a plain text compare.
  const int field = kListColumns[static_cast<std::size_t>(column)].field;
  std::vector<std::string_view> keys(static_cast<std::size_t>(index.Count()));
  for (const int line : games) {
    keys[static_cast<std::size_t>(line)] = index.ShownField(line, field);
  }
  const auto compare = [&keys](int a, int b) {
    return CompareTextIgnoreCase(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
  };
  QuickSort(games, 0, static_cast<int>(games.size()) - 1, compare, descending ? -1 : 1);
  state.LastSortColumn = column;
}

void RewriteCatalogue(Catalogue& catalogue, const CatalogueIndex& index, const std::vector<int>& games) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(index.Count()));
  for (const int line : games) {
    lines.push_back(index.RebuiltLine(line));
  }
  for (int line = 0; line < index.Count(); ++line) {
    if (!index.IsGame(line)) {
      lines.push_back(index.RebuiltLine(line));
    }
  }
  catalogue.Assign(std::move(lines));
}

void SortCatalogueByColumn(Catalogue& catalogue, CatalogueIndex& index, int column, SortState& state,
                           bool listShowsRows) {
  std::vector<int> games = ParseAllGames(index);
  SortGames(games, index, column, column == state.LastSortColumn, state, listShowsRows);
  RewriteCatalogue(catalogue, index, games);
}

}  // namespace kestrune::catalogue
