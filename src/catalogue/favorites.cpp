#include "catalogue/favorites.h"

#include <string>

#include "platform/code_pages.h"
#include "settings/settings_schema.h"

namespace kestrune::catalogue {
namespace {

using settings::kFavoritesCountKey;
using settings::kFavoritesSection;

// Key look-ups ignore case, so "COUNT" would reach the count key as well.
bool IsCountKey(std::string_view romname) { return platform::EqualsIgnoreAsciiCase(romname, kFavoritesCountKey); }

}  // namespace

bool AddFavorite(settings::IniFile& settings, std::string_view romname) {
  if (IsCountKey(romname) || settings.KeyExists(kFavoritesSection, romname)) {
    return false;
  }
  return settings.WriteString(kFavoritesSection, romname, "1");
}

bool RemoveFavorite(settings::IniFile& settings, std::string_view romname) {
  if (IsCountKey(romname)) {
    return false;
  }
  return settings.DeleteKey(kFavoritesSection, romname);
}

bool IsFavorite(const settings::IniFile& settings, std::string_view romname) {
  return !IsCountKey(romname) && settings.KeyExists(kFavoritesSection, romname);
}

int FavoritesCount(const settings::IniFile& settings) {
  std::size_t keys = settings.KeyCount(kFavoritesSection);
  if (settings.KeyExists(kFavoritesSection, kFavoritesCountKey)) {
    --keys;
  }
  return static_cast<int>(keys);
}

void StoreFavoritesCount(settings::IniFile& settings) {
  settings.WriteString(kFavoritesSection, kFavoritesCountKey, std::to_string(FavoritesCount(settings)));
}

}  // namespace kestrune::catalogue
