#pragma once

#include <array>
#include <string>
#include <string_view>

// The game list's filters: what is excluded or kept, and the filter menu that chooses them.
namespace kestrune::catalogue {

// The filter in force. A quick search applies it once and then clears it.
struct ListFilter {
  std::string FilterExclude;  // a video value or orientation word to exclude; "" = none
  std::string FilterDriver1;  // fragments of a driver file name; "" never matches
  std::string FilterDriver2;
  std::string FilterBios;  // BIOS set names to keep, compared exactly; "" never matches
  std::string FilterBios2;
  bool FilterByDriver = false;
  bool FilterByBios = false;

  bool operator==(const ListFilter&) const = default;
};

// One entry of the filter menu `filtermenu`. An entry without a caption is the separator.
struct FilterMenuEntry {
  std::string_view item;  // the menu item's component name
  std::string_view caption;
  std::string_view exclude;
  std::string_view driver1;
  std::string_view driver2;
  std::string_view bios;
  int image;  // image of the Filters tool button while the entry is checked
  std::string_view bios2 = {};  // a second name of the BIOS set, kept as well

  bool IsSeparator() const { return caption.empty(); }
};

inline constexpr int kFilterMenuCount = 33;
inline constexpr int kFilterAllGames = 0;

// The filter menu in menu order; the position is what the settings key `filtermenu` stores.
inline constexpr std::array<FilterMenuEntry, kFilterMenuCount> kFilterMenu{{
    {"All1", "All Games", "", "", "", "", 18},
    {"Raster1", "Raster Games", "Vector", "", "", "", 20},
    {"Vector1", "Vector Games", "Raster", "", "", "", 19},
    {"HorizontalGames1", "Horizontal Games", "Vertical", "", "", "", 28},
    {"VerticalGames1", "Vertical Games", "Horizontal", "", "", "", 27},
    {"N21", "", "", "", "", "", 0},
    // Today's MAME keeps the Neo Geo games in "neogeo/neogeo.cpp"; "neodrvr.c" is the older name.
    {"nEOgEO1", "NeoGeo", "", "neodrvr.c", "neogeo.c", "", 15},
    {"NeoGeoHyper641", "NeoGeo Hyper 64", "", "hng64.c", "", "", 15},
    {"CapcomSystem11", "Capcom System 1", "", "cps1.c", "", "", 12},
    {"CapcomSystem21", "Capcom System 2", "", "cps2.c", "", "", 12},
    // Today's MAME names the ZN BIOS sets after the boards: "coh1000c" (ZN1), "coh3002c" (ZN2) and
    // "coh1000t" (Taito FX1); "cpzn1", "cpzn2" and "taitofx1" are the older names.
    {"CapcomZN11", "Capcom ZN-1", "", "", "", "Cpzn1", 12, "Coh1000c"},
    {"CapcomZN21", "Capcom ZN-2", "", "", "", "Cpzn2", 12, "Coh3002c"},
    {"SegaSystem161", "Sega System 16", "", "segas16", "system16.c", "", 16},
    {"SegaSystel181", "Sega System 18", "", "segas18", "system18.c", "", 16},
    {"SegaSystem241", "Sega System 24", "", "segas24", "system24.c", "", 16},
    {"SegaSystem321", "Sega System 32", "", "segas32", "system32.c", "", 16},
    {"SegaTitanVideo1", "Sega Titan Video", "", "stv.c", "", "", 16},
    {"SegaXYBoards1", "Sega X/Y Boards", "", "segaxbd.c", "segaybd.c", "", 16},
    {"aitoFX1", "Taito FX", "", "", "", "Taitofx1", 17, "Coh1000t"},
    {"KonamiSystemGX1", "Konami System GX", "", "konamigx.c", "", "", 11},
    {"KonamiSystemGV1", "Konami System GV", "", "konamigv.c", "", "", 11},
    {"KonamiSystemGQ1", "Konami System GQ", "", "konamigq.c", "", "", 11},
    {"PolygameMasterSystem1", "Polygame Master System", "", "pgm.c", "", "", 14},
    {"Playchoice101", "Playchoice 10", "", "playch10.c", "", "", 21},
    {"NintendoVSSystem1", "Nintendo VS System", "", "vsnes.c", "", "", 13},
    {"NamcoSystem11", "Namco System 1", "", "namcos1.c", "", "", 22},
    {"NamcoSystem21", "Namco System 2", "", "namcos2.c", "", "", 22},
    {"NamcoSystem111", "Namco System 11", "", "namcos11.c", "", "", 22},
    {"NamcoSystem121", "Namco System 12", "", "namcos12.c", "", "", 22},
    {"NamcoSystem211", "Namco System 21", "", "namcos21.c", "", "", 22},
    {"NamcoSystem221", "Namco System 22", "", "namcos22.c", "", "", 22},
    {"NamcoSystem231", "Namco System 23", "", "namcos23.c", "", "", 22},
    {"Arcadia1", "Arcadia System", "", "arcadia.c", "", "", 23},
}};

// The filter of a menu entry: the first five entries filter by video or orientation only, a BIOS
// entry keeps its BIOS sets, every other entry keeps driver files.
ListFilter FilterOfMenuEntry(int index);

// A stored `filtermenu` value as a menu position: values that name no filter (out of range, the
// separator) give "All Games".
int FilterMenuIndexOrAll(int value);

}  // namespace kestrune::catalogue
