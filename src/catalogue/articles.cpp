#include "catalogue/articles.h"

#include <algorithm>
#include <optional>

namespace kestrune::catalogue {
namespace {

constexpr std::string_view kPrefix = "The ";
constexpr std::string_view kSuffix = ",The";
constexpr std::size_t kDescriptionStart = 2;  // after the flag and its separator

// The description of a game line, or nothing for a line that is not one: moving text in a damaged
// line could only damage it further.
std::optional<std::string_view> Description(std::string_view line) {
  if (line.size() < kDescriptionStart || line[1] != kFieldSeparator ||
      std::count(line.begin(), line.end(), kFieldSeparator) < kLineFieldCount - 1) {
    return std::nullopt;
  }
  const std::size_t end = line.find(kFieldSeparator, kDescriptionStart);
  return line.substr(kDescriptionStart, end - kDescriptionStart);
}

// Puts `before`, the description's kept part and `after` between the line's flag and its rest.
std::string Recompose(std::string_view line, std::string_view description, std::string_view before,
                      std::string_view kept, std::string_view after) {
  std::string out;
  out.reserve(line.size() + 1);
  out.append(line.substr(0, kDescriptionStart));
  out.append(before);
  out.append(kept);
  out.append(after);
  out.append(line.substr(kDescriptionStart + description.size()));
  return out;
}

template <typename Move>
int ReplaceChanged(Catalogue& catalogue, Move move) {
  int changed = 0;
  for (int i = 0; i < catalogue.Count(); ++i) {
    std::string moved = move(catalogue[i]);
    if (moved != catalogue[i]) {
      catalogue.Replace(i, std::move(moved));
      ++changed;
    }
  }
  return changed;
}

}  // namespace

std::string MoveTheToSuffix(std::string_view line) {
  const std::optional<std::string_view> description = Description(line);
  if (!description || description->size() <= kPrefix.size() || !description->starts_with(kPrefix)) {
    return std::string(line);
  }
  return Recompose(line, *description, {}, description->substr(kPrefix.size()), kSuffix);
}

std::string MoveTheToPrefix(std::string_view line) {
  const std::optional<std::string_view> description = Description(line);
  if (!description || description->size() <= kSuffix.size() || !description->ends_with(kSuffix)) {
    return std::string(line);
  }
  return Recompose(line, *description, kPrefix, description->substr(0, description->size() - kSuffix.size()), {});
}

int TheSuffixAll(Catalogue& catalogue) { return ReplaceChanged(catalogue, MoveTheToSuffix); }

int ThePrefixAll(Catalogue& catalogue) { return ReplaceChanged(catalogue, MoveTheToPrefix); }

}  // namespace kestrune::catalogue
