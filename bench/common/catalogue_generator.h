#pragma once

#include <string>
#include <vector>

namespace kestrune::bench {

// Catalogue lines shaped like a real 45,000-game catalogue: titles with regions and revisions, about
// two thirds clones, a quarter unavailable, a few vector and BIOS-board games, the board drivers the
// filter menu looks for, played counters on some games. The same seed gives the same lines.
std::vector<std::string> GenerateGameCatalogue(int count, unsigned seed);

}  // namespace kestrune::bench
