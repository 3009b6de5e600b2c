#include "catalogue/game_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/favorites.h"
#include "catalogue/list_filters.h"
#include "game_lines.h"

namespace kestrune::catalogue {
namespace {

using test::GameLine;

std::vector<std::string> ListedRoms(const GameList& list) {
  std::vector<std::string> roms;
  for (int row = 0; row < list.GameCount(); ++row) {
    roms.emplace_back(list.Field(row, LineField::romname));
  }
  return roms;
}

struct FilterCase {
  const char* name;
  int menuIndex;
  std::function<void(Tgameinfo&)> change;
  bool listed;
};

class FilterRule : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterRule, ListsOrHidesTheGame) {
  const FilterCase& c = GetParam();
  Catalogue catalogue;
  catalogue.Add(GameLine("game", c.change));
  GameList list(catalogue);
  list.Filter() = FilterOfMenuEntry(c.menuIndex);
  list.BuildGameList();
  EXPECT_EQ(list.GameCount(), c.listed ? 1 : 0);
}

void Video(Tgameinfo& g, const char* v) { g.video = v; }

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterRule,
    ::testing::Values(
        FilterCase{"AllHidesEmptyVideo", 0, [](Tgameinfo& g) { Video(g, ""); }, false},
        FilterCase{"AllListsRaster", 0, [](Tgameinfo& g) { Video(g, "Raster"); }, true},
        FilterCase{"AllListsVector", 0, [](Tgameinfo& g) { Video(g, "Vector"); }, true},
        FilterCase{"RasterListsEmptyVideo", 1, [](Tgameinfo& g) { Video(g, ""); }, true},
        FilterCase{"RasterHidesVector", 1, [](Tgameinfo& g) { Video(g, "Vector"); }, false},
        FilterCase{"RasterIsExactNotCaseFolded", 1, [](Tgameinfo& g) { Video(g, "vector"); }, true},
        FilterCase{"VectorHidesRaster", 2, [](Tgameinfo& g) { Video(g, "Raster"); }, false},
        FilterCase{"VectorListsVector", 2, [](Tgameinfo& g) { Video(g, "Vector"); }, true},
        FilterCase{"HorizontalHidesVertical", 3, [](Tgameinfo& g) { g.orientation = "Vertical (270°)"; }, false},
        FilterCase{"HorizontalListsHorizontal", 3, [](Tgameinfo& g) { g.orientation = "Horizontal (0°)"; }, true},
        FilterCase{"HorizontalKeepsEmptyOrientation", 3, [](Tgameinfo& g) { g.orientation = ""; }, true},
        FilterCase{"VerticalHidesHorizontal", 4, [](Tgameinfo& g) { g.orientation = "Horizontal (180°)"; }, false},
        FilterCase{"VerticalListsVertical", 4, [](Tgameinfo& g) { g.orientation = "Vertical (90°)"; }, true},
        FilterCase{"NeoGeoListsItsDriver", 6, [](Tgameinfo& g) { g.driver = "neodrvr.c"; }, true},
        FilterCase{"NeoGeoListsTodaysDriverFile", 6, [](Tgameinfo& g) { g.driver = "neogeo/neogeo.cpp"; }, true},
        FilterCase{"NeoGeoHidesNeoGeoCd", 6, [](Tgameinfo& g) { g.driver = "neogeo/neogeocd.cpp"; }, false},
        FilterCase{"CapcomSystem1ListsTodaysDriverFile", 8, [](Tgameinfo& g) { g.driver = "capcom/cps1.cpp"; }, true},
        FilterCase{"DriverMatchIsCaseSensitive", 6, [](Tgameinfo& g) { g.driver = "NEODRVR.C"; }, false},
        FilterCase{"NeoGeoHidesOtherDrivers", 6, [](Tgameinfo& g) { g.driver = "cps1.c"; }, false},
        FilterCase{"System16ByFirstFragment", 12, [](Tgameinfo& g) { g.driver = "segas16b.c"; }, true},
        FilterCase{"System16BySecondFragment", 12, [](Tgameinfo& g) { g.driver = "system16.c"; }, true},
        FilterCase{"System16HidesSystem18", 12, [](Tgameinfo& g) { g.driver = "segas18.c"; }, false},
        FilterCase{"XYBoardsListsYBoard", 17, [](Tgameinfo& g) { g.driver = "segaybd.c"; }, true},
        FilterCase{"ZN1KeepsExactBios", 10, [](Tgameinfo& g) { g.bios = "Cpzn1"; }, true},
        FilterCase{"ZN1BiosMatchIsExact", 10, [](Tgameinfo& g) { g.bios = "cpzn1"; }, false},
        FilterCase{"ZN1HidesZN2", 10, [](Tgameinfo& g) { g.bios = "Cpzn2"; }, false},
        FilterCase{"ZN1HidesNoBios", 10, [](Tgameinfo& g) { g.bios = ""; }, false},
        FilterCase{"ZN1KeepsTodaysBios", 10, [](Tgameinfo& g) { g.bios = "Coh1000c"; }, true},
        FilterCase{"ZN2KeepsTodaysBios", 11, [](Tgameinfo& g) { g.bios = "Coh3002c"; }, true},
        FilterCase{"ZN2KeepsOldBios", 11, [](Tgameinfo& g) { g.bios = "Cpzn2"; }, true},
        FilterCase{"ZN2HidesTodaysZN1", 11, [](Tgameinfo& g) { g.bios = "Coh1000c"; }, false},
        FilterCase{"TaitoFXKeepsTodaysBios", 18, [](Tgameinfo& g) { g.bios = "Coh1000t"; }, true},
        FilterCase{"TaitoFXHidesOtherPsxBoards", 18, [](Tgameinfo& g) { g.bios = "Coh1002m"; }, false},
        FilterCase{"BiosFilterIgnoresDriver", 18,
                   [](Tgameinfo& g) {
                     g.bios = "Taitofx1";
                     g.driver = "anything.c";
                   },
                   true}),
    [](const ::testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(FilterMenu, HoldsThirtyThreeEntriesWithTheSeparatorAtFive) {
  ASSERT_EQ(kFilterMenu.size(), 33U);
  for (int i = 0; i < kFilterMenuCount; ++i) {
    EXPECT_EQ(kFilterMenu[static_cast<std::size_t>(i)].IsSeparator(), i == 5) << i;
  }
  EXPECT_EQ(kFilterMenu[0].item, "All1");
  EXPECT_EQ(kFilterMenu[32].caption, "Arcadia System");
  const ListFilter sega16 = FilterOfMenuEntry(12);
  EXPECT_TRUE(sega16.FilterByDriver);
  EXPECT_FALSE(sega16.FilterByBios);
  EXPECT_EQ(sega16.FilterDriver1, "segas16");
  EXPECT_EQ(sega16.FilterDriver2, "system16.c");
  const ListFilter zn2 = FilterOfMenuEntry(11);
  EXPECT_TRUE(zn2.FilterByBios);
  EXPECT_FALSE(zn2.FilterByDriver);
  EXPECT_EQ(FilterOfMenuEntry(0), ListFilter());
}

TEST(FilterMenu, StoredIndexesThatNameNoFilterGiveAllGames) {
  for (const auto& [stored, expected] :
       std::vector<std::pair<int, int>>{{0, 0}, {4, 4}, {5, 0}, {6, 6}, {32, 32}, {33, 0}, {-1, 0}, {1000, 0}}) {
    EXPECT_EQ(FilterMenuIndexOrAll(stored), expected) << stored;
  }
}

struct FlagCase {
  const char* name;
  std::function<void(ListFlags&)> flags;
  std::function<void(Tgameinfo&)> change;
  bool listed;
};

class FlagRule : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FlagRule, ListsOrHidesTheGame) {
  const FlagCase& c = GetParam();
  Catalogue catalogue;
  catalogue.Add(GameLine("game", c.change));
  GameList list(catalogue);
  c.flags(list.Flags());
  list.BuildGameList();
  EXPECT_EQ(list.GameCount(), c.listed ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, FlagRule,
    ::testing::Values(FlagCase{"AvailableHidesUnavailable", [](ListFlags& f) { f.ShowUnavailable = false; },
                               [](Tgameinfo& g) { g.availflag = "1"; }, false},
                      FlagCase{"AllListsUnavailable", [](ListFlags& f) { f.ShowUnavailable = true; },
                               [](Tgameinfo& g) { g.availflag = "1"; }, true},
                      FlagCase{"AvailableKeepsOtherFlags", [](ListFlags& f) { f.ShowUnavailable = false; },
                               [](Tgameinfo& g) { g.availflag = "2"; }, true},
                      FlagCase{"ClonesHidden", [](ListFlags& f) { f.ShowClones = false; },
                               [](Tgameinfo& g) { g.cloneof = "pacman"; }, false},
                      FlagCase{"ParentsKeptWithoutClones", [](ListFlags& f) { f.ShowClones = false; }, {}, true},
                      FlagCase{"NoDumpHidden", [](ListFlags& f) { f.ShowNoDump = false; },
                               [](Tgameinfo& g) { g.romstatus = "1"; }, false},
                      FlagCase{"NoDumpListed", [](ListFlags& f) { f.ShowNoDump = true; },
                               [](Tgameinfo& g) { g.romstatus = "1"; }, true},
                      FlagCase{"PlayableOnlyHidesImperfect", [](ListFlags& f) { f.PlayableOnly = true; },
                               [](Tgameinfo& g) { g.emulationstatus = "Imperfect"; }, false},
                      FlagCase{"PlayableOnlyKeepsGood", [](ListFlags& f) { f.PlayableOnly = true; }, {}, true}),
    [](const ::testing::TestParamInfo<FlagCase>& info) { return std::string(info.param.name); });

TEST(ListModes, FavouritesModeListsUnavailableFavouritesAndAvailableModeDoesNot) {
  Catalogue catalogue;
  catalogue.Add(GameLine("pacman"));
  catalogue.Add(GameLine("galaga", [](Tgameinfo& g) { g.availflag = "1"; }));
  catalogue.Add(GameLine("dkong"));
  settings::IniFile ini;
  AddFavorite(ini, "GALAGA");  // favourite keys are matched without regard to case
  AddFavorite(ini, "pacman");
  GameList list(catalogue);
  list.SetFavorites(&ini);

  list.Flags().ShowUnavailable = kListModes[2].showUnavailable;
  list.Flags().FavoritesOnly = kListModes[2].favoritesOnly;
  list.BuildGameList();
  EXPECT_EQ(ListedRoms(list), (std::vector<std::string>{"pacman", "galaga"}));

  list.Flags().ShowUnavailable = kListModes[1].showUnavailable;
  list.Flags().FavoritesOnly = kListModes[1].favoritesOnly;
  list.BuildGameList();
  EXPECT_EQ(ListedRoms(list), (std::vector<std::string>{"pacman", "dkong"}));
  EXPECT_EQ(PlainListMode(list.Flags()), ListMode::Available);
}

TEST(ListModes, ModeTableMatchesMenusAndImages) {
  EXPECT_EQ(ListModeOf(ListMode::All).viewItem, "ShowAllGames1");
  EXPECT_EQ(ListModeOf(ListMode::Available).popupItem, "Showfulllist1");
  EXPECT_EQ(ListModeOf(ListMode::Favorites).image, 8);
  EXPECT_FALSE(ListModeOf(ListMode::Favorites).canAddFavorites);
  ListFlags favourites;
  favourites.FavoritesOnly = true;
  EXPECT_EQ(PlainListMode(favourites), ListMode::Favorites);
  EXPECT_FALSE(IsListModeValue(3));
  EXPECT_TRUE(IsListModeValue(2));
}

TEST(GameList, RowsAndCountsAreNotSixteenBit) {
  Catalogue catalogue;
  std::vector<std::string> lines;
  for (int i = 0; i < 40000; ++i) {
    lines.push_back(GameLine("g" + std::to_string(i)));
  }
  catalogue.Assign(std::move(lines));
  GameList list(catalogue);
  list.BuildGameList();
  EXPECT_EQ(list.GameCount(), 40000);
  EXPECT_EQ(list.FindRomRow("g39999"), 39999);
}

TEST(GameList, DamagedLinesAreNotListed) {
  Catalogue catalogue;
  catalogue.Add("");
  catalogue.Add("0|only|a|few|fields");
  catalogue.Add(GameLine("pacman"));
  catalogue.Add("01" + GameLine("x").substr(2));  // no separator after the flag
  GameList list(catalogue);
  list.BuildGameList();
  EXPECT_EQ(ListedRoms(list), std::vector<std::string>{"pacman"});
}

TEST(GameList, ColumnTextsShowCutYearAndStatusText) {
  Catalogue catalogue;
  catalogue.Add(GameLine("pacman", [](Tgameinfo& g) {
    g.year = "1980?";
    g.romstatus = "4";
    g.cloneof = "puckman";
  }));
  catalogue.Add(GameLine("odd", [](Tgameinfo& g) { g.romstatus = "x"; }));
  GameList list(catalogue);
  list.BuildGameList();
  ASSERT_EQ(list.GameCount(), 2);
  EXPECT_EQ(list.ColumnText(0, 0), "Game pacman");
  EXPECT_EQ(list.ColumnText(0, 1), "1980");
  EXPECT_EQ(list.ColumnText(0, 8), "Vertical (90°)");
  EXPECT_EQ(list.ColumnText(0, 16), "puckman");
  EXPECT_EQ(list.ColumnText(0, 17), "pacman");
  EXPECT_EQ(list.ColumnText(0, kStatusColumn), "Missing CHD");
  EXPECT_EQ(list.ColumnText(1, kStatusColumn), "");
  EXPECT_EQ(list.ColumnText(5, 0), "");
  EXPECT_EQ(list.Record(0).year, "1980");
  EXPECT_EQ(kListColumns[9].caption, "Control Type");
}

TEST(GameList, ReadsALineWrittenBackAfterTheBuild) {
  Catalogue catalogue;
  catalogue.Add(GameLine("pacman"));
  GameList list(catalogue);
  list.BuildGameList();
  Tgameinfo played = list.Record(0);
  played.timesplayed = "1";
  ASSERT_TRUE(WriteBackGameRecord(catalogue, played));
  EXPECT_EQ(list.ColumnText(0, 14), "1");
  catalogue.Clear();
  EXPECT_EQ(list.ColumnText(0, 14), "");  // a line that is gone is not read
}

TEST(GameList, IconIndexesAreClearedByRebuildAndOnRequest) {
  Catalogue catalogue;
  catalogue.Add(GameLine("a"));
  catalogue.Add(GameLine("b"));
  GameList list(catalogue);
  list.BuildGameList();
  list.SetImageIndex(0, 5);
  list.SetImageIndex(1, 1);
  list.ClearIconIndexes();
  EXPECT_EQ(list.ImageIndex(0), 0);
  list.SetImageIndex(1, 7);
  list.BuildGameList();
  EXPECT_EQ(list.ImageIndex(1), 0);
}

TEST(GameList, TypeAheadFindsFromTheStartRowThenWrapsOnce) {
  Catalogue catalogue;
  for (const char* title : {"Pac-Man", "Galaga", "pac-land", "Dig Dug", "Élan"}) {
    catalogue.Add(GameLine(title, [title](Tgameinfo& g) { g.description = title; }));
  }
  GameList list(catalogue);
  list.BuildGameList();
  EXPECT_EQ(list.FindRowByPrefix("PAC", 0, false), 0);
  EXPECT_EQ(list.FindRowByPrefix("pac", 1, false), 2);
  EXPECT_EQ(list.FindRowByPrefix("pac", 3, false), -1);
  EXPECT_EQ(list.FindRowByPrefix("pac", 3, true), 0);
  EXPECT_EQ(list.FindRowByPrefix("zzz", 2, true), -1);
  EXPECT_EQ(list.FindRowByPrefix("ÉL", 0, false), 4);
  EXPECT_EQ(list.FindRomRow("Galaga"), 1);
  EXPECT_EQ(list.FindRomRow("galaga"), -1);  // rom names are matched exactly
}

}  // namespace
}  // namespace kestrune::catalogue
