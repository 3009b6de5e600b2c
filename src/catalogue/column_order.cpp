#include "catalogue/column_order.h"

#include <optional>

#include "settings/settings.h"

namespace kestrune::catalogue {
namespace {

std::optional<ColumnPlace> ParsePair(std::string_view pair) {
  const std::size_t equals = pair.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::optional<int> column = settings::ParseInt(pair.substr(0, equals));
  const std::optional<int> width = settings::ParseInt(pair.substr(equals + 1));
  if (!column || !width) return std::nullopt;
  return ColumnPlace{*column, *width};
}

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

}  // namespace kestrune::catalogue
