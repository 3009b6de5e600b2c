#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/case_fold.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/catalogue_index.h"
#include "catalogue/game_record.h"
#include "catalogue/list_filters.h"
#include "settings/ini_file.h"

// The visible game list: which catalogue lines are listed, in which order, under the list mode, the
// options and the filter in force.
namespace kestrune::catalogue {

// One column of the list: its caption and the line field it shows and sorts by.
struct ListColumn {
  std::string_view caption;
  int field;
};

inline constexpr int kListColumnCount = 19;
inline constexpr int kStatusColumn = 18;

// The columns by column index (the order on screen may differ).
inline constexpr std::array<ListColumn, kListColumnCount> kListColumns{{
    {"Game Name", LineField::description},
    {"Year", LineField::year},
    {"Company", LineField::company},
    {"Category", LineField::category},
    {"Bios", LineField::bios},
    {"Sound", LineField::sound},
    {"Video", LineField::video},
    {"Resolution", LineField::resolution},
    {"Orientation", LineField::orientation},
    {"Control Type", LineField::controls},
    {"Frequency", LineField::frequency},
    {"Version Added", LineField::veradded},
    {"Driver", LineField::driver},
    {"Players", LineField::players},
    {"Played", LineField::timesplayed},
    {"Play Time", LineField::playtime},
    {"Clone Of", LineField::cloneof},
    {"Rom Name", LineField::romname},
    {"Status", LineField::romstatus},
}};

// The list-mode switches and the options that decide which games are listed.
struct ListFlags {
  bool ShowUnavailable = true;  // unavailable sets are listed
  bool FavoritesOnly = false;   // only favourites are listed
  bool ShowClones = true;       // clones are listed
  bool ShowNoDump = true;       // sets with status "1" are listed
  bool PlayableOnly = false;    // only games whose emulation is "Good" are listed
};

// The list states. The first three are the list modes; their number is what the settings key `list`
// stores.
enum class ListMode { All = 0, Available = 1, Favorites = 2, SearchResult = 3 };

// What a list mode sets, and how the menus and the list-mode tool button show it.
struct ListModeEntry {
  std::string_view viewItem;   // the View menu item checked
  std::string_view popupItem;  // the list-mode menu item checked
  bool showUnavailable;
  bool favoritesOnly;
  bool canAddFavorites;  // "Add to Favorites" enabled; "Remove from Favorites" is the opposite
  int image;
};

inline constexpr std::array<ListModeEntry, 3> kListModes{{
    {"ShowAllGames1", "ShowAllGames2", true, false, true, 7},
    {"ShowAvailableGames1", "Showfulllist1", false, false, true, 9},
    {"ShowFavorites2", "ShowFavorites1", true, true, false, 8},
}};
inline constexpr int kSearchResultImage = 10;

const ListModeEntry& ListModeOf(ListMode mode);
bool IsListModeValue(int value);
// The plain list mode the switches describe (never SearchResult).
ListMode PlainListMode(const ListFlags& flags);

class GameList {
 public:
  explicit GameList(const Catalogue& catalogue);

  ListFlags& Flags() { return flags_; }
  const ListFlags& Flags() const { return flags_; }
  ListFilter& Filter() { return filter_; }
  const ListFilter& Filter() const { return filter_; }
  // The settings whose favourites section the favourites-only mode consults; null = no favourites.
  void SetFavorites(const settings::IniFile* favorites) { favorites_ = favorites; }

  // Lists every game line that passes the list mode, the options and the filter, in catalogue order.
  void BuildGameList();
  // Lists the games whose line field `searchField` contains `text` (case ignored, see FoldCase) and that pass
  // every test of BuildGameList except the orientation one.
  void BuildSearchResult(std::string_view text, int searchField);

  int GameCount() const { return static_cast<int>(rows_.size()); }
  // The catalogue line of a row, or -1 for a row that is not listed.
  int LineOfRow(int row) const;
  // A field of a row's game as shown (the year cut to four characters); "" for a row not listed.
  std::string_view Field(int row, int number) const;
  // The text of a row in a column: its field, and for the Status column the status's text.
  std::string_view ColumnText(int row, int column) const;
  Tgameinfo Record(int row) const;
  bool IsUnavailable(int row) const { return Field(row, LineField::availflag) == "1"; }

  // The row's icon in the list's image store: 0 = not resolved yet.
  int ImageIndex(int row) const;
  void SetImageIndex(int row, int index);
  void ClearIconIndexes();

  // The first row whose romname is `rom` (exact), or -1.
  int FindRomRow(std::string_view rom) const;
  // The first row from `start` on whose description begins with `text` (case ignored), then once
  // more from row 0 when `wrap`; -1 when none does.
  int FindRowByPrefix(std::string_view text, int start, bool wrap) const;

  CatalogueIndex& Index() { return index_; }

 private:
  // Every line that passes; when searching, only those whose field `searchField` contains the text.
  template <bool kSearch>
  void Collect(const CaseFoldedText* search, int searchField);
  bool PassesBeforeOrientation(int line) const;
  bool PassesAfterOrientation(int line) const;
  int CheckedLine(int row) const;

  mutable CatalogueIndex index_;
  const settings::IniFile* favorites_ = nullptr;
  ListFlags flags_;
  ListFilter filter_;
  std::vector<int> rows_;        // row -> catalogue line
  std::vector<int> imageIndex_;  // row -> icon
};

}  // namespace kestrune::catalogue
