// Times the game list on a full-size catalogue: building with no filter and with each filter, the
// quick search on every keystroke, and the sort by each column (with the rebuild that follows it).
// Prints `name: value unit` lines with the median of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/game_list.h"
#include "catalogue/game_sort.h"
#include "catalogue/list_filters.h"
#include "catalogue/quick_search.h"
#include "common/catalogue_generator.h"

namespace {

using namespace kestrune::catalogue;

constexpr int kGames = 45000;

double MedianMs(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Print(const std::string& name, double ms) { std::printf("%s: %.3f ms\n", name.c_str(), ms); }

void BenchBuild(GameList& list) {
  list.Index().Refresh();
  Print("build-no-filter", MedianMs(31, [&] { list.BuildGameList(); }));
  std::printf("build-no-filter-rows: %d games\n", list.GameCount());
  for (int i = 0; i < kFilterMenuCount; ++i) {
    const FilterMenuEntry& entry = kFilterMenu[static_cast<std::size_t>(i)];
    if (entry.IsSeparator()) {
      continue;
    }
    list.Filter() = FilterOfMenuEntry(i);
    Print("build-filter-" + std::string(entry.item), MedianMs(21, [&] { list.BuildGameList(); }));
  }
  list.Filter() = ListFilter();
}

void BenchSearch(GameList& list) {
  struct Typed {
    const char* name;
    std::string text;
    int field;
  };
  for (const Typed& typed :
       {Typed{"description", "street fighter", LineField::description}, Typed{"rom", "pacman", LineField::romname},
        Typed{"company", "capcom", LineField::company}}) {
    std::vector<double> perKey;
    for (std::size_t length = 1; length <= typed.text.size(); ++length) {
      const std::string text = typed.text.substr(0, length);
      perKey.push_back(MedianMs(11, [&] { QuickSearch(list, text, typed.field); }));
    }
    std::sort(perKey.begin(), perKey.end());
    Print(std::string("search-keystroke-") + typed.name, perKey[perKey.size() / 2]);
    Print(std::string("search-keystroke-") + typed.name + "-slowest", perKey.back());
  }
}

void BenchSort(Catalogue& catalogue, GameList& list) {
  SortState state;
  for (int column = 0; column < kListColumnCount; ++column) {
    const double ms = MedianMs(7, [&] {
      SortCatalogueByColumn(catalogue, list.Index(), column, state, true);
      list.BuildGameList();
    });
    Print("sort-column-" + std::to_string(column) + "-" +
              std::string(kListColumns[static_cast<std::size_t>(column)].caption),
          ms);
  }
}

}  // namespace

int main() {
  Catalogue catalogue;
  catalogue.Assign(kestrune::bench::GenerateGameCatalogue(kGames, 2024));
  std::printf("catalogue-lines: %d lines\n", catalogue.Count());
  GameList list(catalogue);
  Print("index-catalogue", MedianMs(5, [&] {
          catalogue.Replace(0, std::string(catalogue[0]));
          list.Index().Refresh();
        }));
  BenchBuild(list);
  BenchSearch(list);
  BenchSort(catalogue, list);
  return 0;
}
