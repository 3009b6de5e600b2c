#include "catalogue/game_list.h"

#include "catalogue/favorites.h"

namespace kestrune::catalogue {
namespace {

bool Contains(std::string_view text, std::string_view part) {
  return !part.empty() && text.find(part) != std::string_view::npos;
}

bool IsOneOf(std::string_view text, std::string_view first, std::string_view second) {
  return !text.empty() && (text == first || text == second);
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

GameList::GameList(const Catalogue& catalogue) : index_(catalogue) {}

// The tests stand in the order the fields arrive in a line, so a line is dropped as early as possible.
bool GameList::PassesBeforeOrientation(int line) const {
  if (!flags_.ShowUnavailable && index_.Field(line, LineField::availflag) == "1") {
    return false;
  }
  if (filter_.FilterByBios) {
    const std::string_view bios = index_.Field(line, LineField::bios);
    if (!IsOneOf(bios, filter_.FilterBios, filter_.FilterBios2)) {
      return false;
    }
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
void GameList::Collect(const CaseFoldedText* search, int searchField) {
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
      if (!search->FoundIn(index_.Field(line, searchField))) {
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

void GameList::BuildGameList() { Collect<false>(nullptr, 0); }

void GameList::BuildSearchResult(std::string_view text, int searchField) {
  // The search compares what GetLineField can read: fields 1 to 23.
  if (searchField < LineField::description || searchField > LineField::romname) {
    rows_.clear();
    imageIndex_.clear();
    return;
  }
  const CaseFoldedText search(text);
  Collect<true>(&search, searchField);
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
  const CaseFoldedText typed(text);
  const int from = start < 0 ? 0 : start;
  for (int row = from; row < GameCount(); ++row) {
    if (typed.Begins(Field(row, LineField::description))) {
      return row;
    }
  }
  for (int row = 0; wrap && row < from && row < GameCount(); ++row) {
    if (typed.Begins(Field(row, LineField::description))) {
      return row;
    }
  }
  return -1;
}

}  // namespace kestrune::catalogue
