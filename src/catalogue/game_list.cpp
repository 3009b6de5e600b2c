#include "catalogue/game_list.h"

#include "catalogue/favorites.h"

namespace kestrune::catalogue {
namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualFoldedAt(std::string_view text, std::size_t at, std::string_view part) {
  for (std::size_t i = 0; i < part.size(); ++i) {
    if (FoldAscii(text[at + i]) != FoldAscii(part[i])) {
      return false;
    }
  }
  return true;
}

bool Contains(std::string_view text, std::string_view part) {
  return !part.empty() && text.find(part) != std::string_view::npos;
}

}  // namespace

const ListModeEntry& ListModeOf(ListMode mode) {
  const int index = mode == ListMode::SearchResult ? 0 : static_cast<int>(mode);
  return kListModes[static_cast<std::size_t>(index)];
}

bool IsListModeValue(int value) { return value >= 0 && value < static_cast<int>(kListModes.size()); }

ListMode PlainListMode(const ListFlags& flags) {
  if (flags.FavoritesOnly) {
    return ListMode::Favorites;
  }
  return flags.ShowUnavailable ? ListMode::All : ListMode::Available;
}

bool ContainsIgnoreCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) {
    return false;
  }
  const char first = FoldAscii(part.empty() ? '\0' : part[0]);
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if ((part.empty() || FoldAscii(text[at]) == first) && EqualFoldedAt(text, at, part)) {
      return true;
    }
  }
  return false;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return prefix.size() <= text.size() && EqualFoldedAt(text, 0, prefix);
}

GameList::GameList(const Catalogue& catalogue) : index_(catalogue) {}

// The tests stand in the order the fields arrive in a line, so a line is dropped as early as possible.
bool GameList::PassesBeforeOrientation(int line) const {
  if (!flags_.ShowUnavailable && index_.Field(line, LineField::availflag) == "1") {
    return false;
  }
  if (filter_.FilterByBios && index_.Field(line, LineField::bios) != filter_.FilterBios) {
    return false;
  }
  // With no exclusion in force FilterExclude is empty, so a game without a video type is dropped.
  return index_.Field(line, LineField::video) != filter_.FilterExclude;
}

bool GameList::PassesAfterOrientation(int line) const {
  if (flags_.PlayableOnly && index_.Field(line, LineField::emulationstatus) != "Good") {
    return false;
  }
  if (filter_.FilterByDriver) {
    const std::string_view driver = index_.Field(line, LineField::driver);
    if (!Contains(driver, filter_.FilterDriver2) && !Contains(driver, filter_.FilterDriver1)) {
      return false;
    }
  }
  if (!flags_.ShowClones && !index_.Field(line, LineField::cloneof).empty()) {
    return false;
  }
  if (flags_.FavoritesOnly &&
      (favorites_ == nullptr || !IsFavorite(*favorites_, index_.Field(line, LineField::romname)))) {
    return false;
  }
  return flags_.ShowNoDump || index_.Field(line, LineField::romstatus) != "1";
}

template <bool kSearch>
void GameList::Collect(std::string_view text, int searchField) {
  index_.Refresh();
  rows_.clear();
  constexpr int kPrefetchDistance = 16;
  const int prefetchField = kSearch ? searchField : LineField::video;
  for (int line = 0; line < index_.Count(); ++line) {
    index_.Prefetch(line + kPrefetchDistance, prefetchField);
    if (!index_.IsGame(line)) {
      continue;
    }
    if constexpr (kSearch) {
      if (!ContainsIgnoreCase(index_.Field(line, searchField), text)) {
        continue;
      }
    }
    if (!PassesBeforeOrientation(line)) {
      continue;
    }
    if constexpr (!kSearch) {
      if (Contains(index_.Field(line, LineField::orientation), filter_.FilterExclude)) {
        continue;
      }
    }
    if (PassesAfterOrientation(line)) {
      rows_.push_back(line);
    }
  }
  imageIndex_.assign(rows_.size(), 0);
}

void GameList::BuildGameList() { Collect<false>({}, 0); }

void GameList::BuildSearchResult(std::string_view text, int searchField) {
  // The search compares what GetLineField can read: fields 1 to 23.
  if (searchField < LineField::description || searchField > LineField::romname) {
    rows_.clear();
    imageIndex_.clear();
    return;
  }
  Collect<true>(text, searchField);
}

int GameList::CheckedLine(int row) const {
  if (row < 0 || row >= GameCount()) {
    return -1;
  }
  // A line changed since the list was built (a played game written back) is read afresh; a line
  // that is gone is not read at all.
  index_.Refresh();
  const int line = rows_[static_cast<std::size_t>(row)];
  return line < index_.Count() ? line : -1;
}

int GameList::LineOfRow(int row) const { return CheckedLine(row); }

std::string_view GameList::Field(int row, int number) const {
  const int line = CheckedLine(row);
  return line < 0 ? std::string_view() : index_.ShownField(line, number);
}

std::string_view GameList::ColumnText(int row, int column) const {
  if (column < 0 || column >= kListColumnCount) {
    return {};
  }
  const std::string_view value = Field(row, kListColumns[static_cast<std::size_t>(column)].field);
  return column == kStatusColumn ? RomStatusTextOf(value) : value;
}

Tgameinfo GameList::Record(int row) const {
  const int line = CheckedLine(row);
  Tgameinfo record = line < 0 ? Tgameinfo() : index_.Record(line);
  record.imageindex = ImageIndex(row);
  return record;
}

int GameList::ImageIndex(int row) const {
  return row >= 0 && row < GameCount() ? imageIndex_[static_cast<std::size_t>(row)] : 0;
}

void GameList::SetImageIndex(int row, int index) {
  if (row >= 0 && row < GameCount()) {
    imageIndex_[static_cast<std::size_t>(row)] = index;
  }
}

void GameList::ClearIconIndexes() { imageIndex_.assign(rows_.size(), 0); }

int GameList::FindRomRow(std::string_view rom) const {
  for (int row = 0; row < GameCount(); ++row) {
    if (Field(row, LineField::romname) == rom) {
      return row;
    }
  }
  return -1;
}

int GameList::FindRowByPrefix(std::string_view text, int start, bool wrap) const {
  for (int row = start < 0 ? 0 : start; row < GameCount(); ++row) {
    if (StartsWithIgnoreCase(Field(row, LineField::description), text)) {
      return row;
    }
  }
  return wrap && start > 0 ? FindRowByPrefix(text, 0, false) : -1;
}

}  // namespace kestrune::catalogue
