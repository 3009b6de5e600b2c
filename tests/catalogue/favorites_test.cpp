#include "catalogue/favorites.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_schema.h"

namespace kestrune::catalogue {
namespace {

using settings::IniFile;

IniFile FromText(std::string_view text) {
  IniFile ini;
  ini.LoadFromText(text);
  return ini;
}

TEST(Favorites, AddingTwiceCountsOnce) {
  IniFile ini = FromText("[favorites]\ncount=0\n");
  EXPECT_TRUE(AddFavorite(ini, "pacman"));
  EXPECT_FALSE(AddFavorite(ini, "pacman"));
  EXPECT_FALSE(AddFavorite(ini, "PacMan"));  // the same key: look-ups ignore case
  EXPECT_TRUE(AddFavorite(ini, "galaga"));
  EXPECT_EQ(FavoritesCount(ini), 2);
  EXPECT_TRUE(IsFavorite(ini, "pacman"));
  EXPECT_EQ(ini.ToText(), "[favorites]\r\ncount=0\r\npacman=1\r\ngalaga=1\r\n\r\n");
}

TEST(Favorites, AnExistingFavouriteIsLeftUnchanged) {
  IniFile ini = FromText("[Favorites]\npacman=0\n");
  EXPECT_TRUE(IsFavorite(ini, "pacman"));  // whatever its value
  EXPECT_FALSE(AddFavorite(ini, "pacman"));
  EXPECT_EQ(ini.ReadString("favorites", "pacman", ""), "0");
}

TEST(Favorites, RemovingDeletesTheKeyOnce) {
  IniFile ini = FromText("[favorites]\ncount=2\npacman=1\ngalaga=1\n");
  EXPECT_TRUE(RemoveFavorite(ini, "pacman"));
  EXPECT_FALSE(RemoveFavorite(ini, "pacman"));
  EXPECT_FALSE(RemoveFavorite(ini, "dkong"));
  EXPECT_FALSE(IsFavorite(ini, "pacman"));
  EXPECT_EQ(FavoritesCount(ini), 1);
  EXPECT_TRUE(RemoveFavorite(ini, "galaga"));
  EXPECT_EQ(FavoritesCount(ini), 0);
  IniFile empty;
  EXPECT_FALSE(RemoveFavorite(empty, "galaga"));  // no section at all
}

// The count follows the keys present, never the stored "count".
TEST(Favorites, CountFollowsTheKeysPresent) {
  struct Row {
    const char* file;
    int count;
  };
  const Row rows[] = {
      {"", 0},
      {"[favorites]\n", 0},
      {"[favorites]\ncount=0\n", 0},
      {"[favorites]\ncount=250\n", 0},
      {"[favorites]\ncount=0\npacman=1\ngalaga=1\n", 2},
      {"[favorites]\npacman=1\ngalaga=0\nmspacman=\n", 3},
      {"[favorites]\ncount=-5\npacman=1\nnot a key\n; comment\n", 1},
      {"[favorites]\npacman=1\n[other]\ngalaga=1\n[FAVORITES]\nPACMAN=1\ndkong=1\n", 2},
      {"[favorites]\nCOUNT=3\npacman=1\n", 1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FavoritesCount(FromText(row.file)), row.count) << row.file;
  }
}

TEST(Favorites, TheCountKeyIsNeverAGame) {
  IniFile ini = FromText("[favorites]\ncount=1\n");
  EXPECT_FALSE(IsFavorite(ini, "count"));
  EXPECT_FALSE(AddFavorite(ini, "count"));
  EXPECT_FALSE(AddFavorite(ini, "Count"));
  EXPECT_FALSE(RemoveFavorite(ini, "COUNT"));
  EXPECT_EQ(ini.ReadString("favorites", "count", ""), "1");
  EXPECT_EQ(FavoritesCount(ini), 0);

  IniFile empty;
  EXPECT_FALSE(AddFavorite(empty, "count"));
  EXPECT_FALSE(empty.SectionExists("favorites"));
}

TEST(Favorites, NamesTheFileCannotHoldAreRefused) {
  IniFile ini;
  EXPECT_FALSE(AddFavorite(ini, ""));
  EXPECT_FALSE(AddFavorite(ini, "a=b"));
  EXPECT_EQ(FavoritesCount(ini), 0);
}

TEST(Favorites, StoredCountIsWrittenFromTheKeysPresent) {
  IniFile ini = FromText("[kestruneui]\nlist=2\n[favorites]\ncount=7\npacman=1\n");
  AddFavorite(ini, "galaga");
  StoreFavoritesCount(ini);
  EXPECT_EQ(ini.ToText(), "[kestruneui]\r\nlist=2\r\n\r\n[favorites]\r\ncount=2\r\npacman=1\r\ngalaga=1\r\n\r\n");

  IniFile fresh;
  StoreFavoritesCount(fresh);
  EXPECT_EQ(fresh.ToText(), "[favorites]\r\ncount=0\r\n\r\n");
}

// Far past what a one-byte counter could hold; the count neither wraps nor stops.
TEST(Favorites, ThousandsOfFavourites) {
  IniFile ini = FromText("[favorites]\ncount=0\n");
  constexpr int kSets = 10000;
  for (int i = 0; i < kSets; ++i) {
    ASSERT_TRUE(AddFavorite(ini, "set" + std::to_string(i)));
  }
  EXPECT_EQ(FavoritesCount(ini), kSets);
  for (int i = 0; i < kSets; i += 4) {
    ASSERT_TRUE(RemoveFavorite(ini, "set" + std::to_string(i)));
  }
  EXPECT_EQ(FavoritesCount(ini), kSets - kSets / 4);
  StoreFavoritesCount(ini);
  IniFile reread = FromText(ini.ToText());
  EXPECT_EQ(reread.ReadString("favorites", "count", ""), std::to_string(kSets - kSets / 4));
  EXPECT_EQ(FavoritesCount(reread), kSets - kSets / 4);
  EXPECT_TRUE(IsFavorite(reread, "set1"));
  EXPECT_FALSE(IsFavorite(reread, "set4"));
}

}  // namespace
}  // namespace kestrune::catalogue
