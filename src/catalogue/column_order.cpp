#include "catalogue/column_order.h"

#include <algorithm>
#include <array>
#include <optional>

#include "settings/settings.h"
#include "settings/settings_schema.h"

namespace kestrune::catalogue {
namespace {

std::optional<ColumnPlace> ParsePair(std::string_view pair) {
  const std::size_t equals = pair.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::optional<int> column = settings::ParseInt(pair.substr(0, equals));
  const std::optional<int> width = settings::ParseInt(pair.substr(equals + 1));
  if (!column || !width) return std::nullopt;
  return ColumnPlace{*column, std::min(*width, settings::kMaxCoordinate)};
}

// The widths of shown columns after the column dialog, by column index; -1 marks the two columns
// that only catver.ini fills.
constexpr std::array<int, 19> kChosenWidths = {270, 50, 197, -1, 50, 48, 69, 69, 70, 78,
                                               68,  -1, 78,  53, 66, 69, 74, 74, 134};
constexpr int kCategoryWidth = 160;
constexpr int kVersionAddedWidth = 91;

}  // namespace

std::vector<ColumnPlace> ParseColumnOrder(std::string_view text, int columnCount) {
  std::vector<ColumnPlace> places;
  std::vector<bool> seen(static_cast<std::size_t>(columnCount > 0 ? columnCount : 0), false);
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::optional<ColumnPlace> place = ParsePair(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (!place || place->column < 0 || place->column >= columnCount || place->width < 0) continue;
    if (seen[static_cast<std::size_t>(place->column)]) continue;
    seen[static_cast<std::size_t>(place->column)] = true;
    places.push_back(*place);
  }
  return places;
}

std::string FormatColumnOrder(const std::vector<ColumnPlace>& places) {
  std::string text;
  for (const ColumnPlace& place : places) {
    if (!text.empty()) text += ',';
    text += std::to_string(place.column) + '=' + std::to_string(place.width);
  }
  return text;
}

std::vector<ColumnPlace> DefaultColumnOrder(int columnCount) {
  const settings::SettingKey* key = settings::FindSettingKey(settings::kUiSection, "colorder");
  return key == nullptr ? std::vector<ColumnPlace>() : ParseColumnOrder(key->text, columnCount);
}

std::vector<ColumnPlace> CompleteColumnOrder(std::string_view text, int columnCount) {
  std::vector<ColumnPlace> places = ParseColumnOrder(text, columnCount);
  if (static_cast<int>(places.size()) != columnCount) return DefaultColumnOrder(columnCount);
  return places;
}

ColumnChoice ChoiceOfLayout(const std::vector<ColumnPlace>& places) {
  ColumnChoice choice;
  for (const ColumnPlace& place : places) (place.width > 0 ? choice.shown : choice.hidden).push_back(place.column);
  return choice;
}

int ChosenColumnWidth(int column, bool catverPresent) {
  if (column < 0 || column >= static_cast<int>(kChosenWidths.size())) return 0;
  if (column == 3) return catverPresent ? kCategoryWidth : 0;
  if (column == 11) return catverPresent ? kVersionAddedWidth : 0;
  return kChosenWidths[static_cast<std::size_t>(column)];
}

std::vector<ColumnPlace> LayoutOfChoice(const ColumnChoice& choice, bool catverPresent) {
  std::vector<ColumnPlace> places;
  for (const int column : choice.shown) places.push_back({column, ChosenColumnWidth(column, catverPresent)});
  for (const int column : choice.hidden) places.push_back({column, 0});
  return places;
}

}  // namespace kestrune::catalogue
