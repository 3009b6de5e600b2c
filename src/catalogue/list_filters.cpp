#include "catalogue/list_filters.h"

namespace kestrune::catalogue {

ListFilter FilterOfMenuEntry(int index) {
  ListFilter filter;
  if (index < 0 || index >= kFilterMenuCount) {
    return filter;
  }
  const FilterMenuEntry& entry = kFilterMenu[static_cast<std::size_t>(index)];
  filter.FilterExclude = entry.exclude;
  filter.FilterDriver1 = entry.driver1;
  filter.FilterDriver2 = entry.driver2;
  filter.FilterBios = entry.bios;
  filter.FilterBios2 = entry.bios2;
  filter.FilterByBios = !entry.bios.empty();
  filter.FilterByDriver = !entry.driver1.empty();
  return filter;
}

int FilterMenuIndexOrAll(int value) {
  if (value < 0 || value >= kFilterMenuCount || kFilterMenu[static_cast<std::size_t>(value)].IsSeparator()) {
    return kFilterAllGames;
  }
  return value;
}

}  // namespace kestrune::catalogue
