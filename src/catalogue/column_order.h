#pragma once

#include <string>
#include <string_view>
#include <vector>

// The game list's column layout as the settings keep it (`colorder`): "column=width" pairs joined by
// commas, in the order the columns stand on screen.
namespace kestrune::catalogue {

struct ColumnPlace {
  int column = 0;
  int width = 0;
  bool operator==(const ColumnPlace&) const = default;
};

// The pairs of the text in their order. A pair that is not two whole numbers, a column outside
// 0..columnCount-1, a negative width or a column named twice is left out, so a damaged key never
// moves a column off the list.
std::vector<ColumnPlace> ParseColumnOrder(std::string_view text, int columnCount);
std::string FormatColumnOrder(const std::vector<ColumnPlace>& places);

// The first-run layout of the settings key `colorder`, every column in its place.
std::vector<ColumnPlace> DefaultColumnOrder(int columnCount);

// The layout of a stored or reported text when it places every one of the columns; a damaged or
// short text would leave columns nowhere, so it gives the default layout instead.
std::vector<ColumnPlace> CompleteColumnOrder(std::string_view text, int columnCount);

// The columns the column dialog lists, each in the order of the layout: shown (width above 0) and
// hidden (width 0).
struct ColumnChoice {
  std::vector<int> shown;
  std::vector<int> hidden;
  bool operator==(const ColumnChoice&) const = default;
};
ColumnChoice ChoiceOfLayout(const std::vector<ColumnPlace>& places);

// The width a column takes when the column dialog shows it; Category and Version Added come from
// catver.ini and take no room without it.
int ChosenColumnWidth(int column, bool catverPresent);

// The layout the column dialog's OK gives: the shown columns in their order with their widths, then
// the hidden ones with width 0.
std::vector<ColumnPlace> LayoutOfChoice(const ColumnChoice& choice, bool catverPresent);

}  // namespace kestrune::catalogue
