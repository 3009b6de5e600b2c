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

}  // namespace kestrune::catalogue
