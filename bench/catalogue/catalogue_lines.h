#pragma once

#include <string>
#include <vector>

namespace kestrune::bench {

// Catalogue lines shaped like those of a full MAME set: about a third clones, varied titles,
// makers and drivers, a few played games and unavailable sets. The same seed gives the same lines.
std::vector<std::string> GenerateCatalogueLines(int count, unsigned seed = 1);

}  // namespace kestrune::bench
