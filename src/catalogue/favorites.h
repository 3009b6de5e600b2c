#pragma once

#include <string_view>

#include "settings/ini_file.h"

// The user's favourite games, kept in the favorites section of the settings file: one key per game,
// named after its romname, with the value "1". A game is a favourite when its key exists, whatever its
// value. The same section holds the key "count", the stored number of favourites; it is never taken
// for a game, so a set named "count" (in any letter case) cannot be a favourite. The number of
// favourites is always counted from the keys present; the stored count is only written for readers of
// the file.
namespace kestrune::catalogue {

// Whether romname became a favourite; false when it already was one or cannot be one.
bool AddFavorite(settings::IniFile& settings, std::string_view romname);
// Whether romname was a favourite and no longer is.
bool RemoveFavorite(settings::IniFile& settings, std::string_view romname);
bool IsFavorite(const settings::IniFile& settings, std::string_view romname);
int FavoritesCount(const settings::IniFile& settings);
// Writes the key "count" from the favourites present, as the close of the main window saves it.
void StoreFavoritesCount(settings::IniFile& settings);

}  // namespace kestrune::catalogue
