#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrune::bench {

// Catalogue lines shaped like a real 45,000-game catalogue: titles with regions and revisions, about
// two thirds clones, a quarter unavailable, a few vector and BIOS-board games, the board drivers the
// filter menu looks for, played counters on some games. The same seed gives the same lines.
std::vector<std::string> GenerateGameCatalogue(int count, unsigned seed);

// A history.dat of about `bytes` bytes with CR LF line ends: entries "$info=set,clone,…," (a set
// with up to three clones), mostly with the web-link line, then "$bio", the title line and paragraphs
// of text up to "$end". The sets are those of the generated catalogues, in their order, and once the
// catalogue's run out, sets it does not hold.
std::string GenerateHistoryDat(std::size_t bytes, unsigned seed);

// A mameinfo.dat of about `bytes` bytes with CR LF line ends: five sixths game entries "$info=set",
// "$mame", version notes up to "$end" (sets as for the history), then driver entries
// "$info=driver.cpp", "$drv" for the catalogue's board drivers first.
std::string GenerateMameInfoDat(std::size_t bytes, unsigned seed);

}  // namespace kestrune::bench
