#include "catalogue/catalogue_lines.h"

#include <array>
#include <random>
#include <string_view>

namespace kestrune::bench {
namespace {

constexpr std::array<std::string_view, 16> kWords{
    "Super",    "Street", "Fighter", "Dragon", "Pac-Man", "Galaxy",   "Ninja", "Turbo",
    "Champion", "Quest",  "Mahjong", "Racing", "Star",    "Warriors", "Golf",  "Bomber",
};
constexpr std::array<std::string_view, 10> kSuffixes{
    "",         " (World)",       " (Japan)",     " (US, rev 2)", " (bootleg)",
    " (set 1)", " (Euro 950331)", " (prototype)", " II",          " '94",
};
constexpr std::array<std::string_view, 10> kCompanies{
    "Capcom", "Namco", "Konami",   "Sega",    "Taito Corporation",
    "Irem",   "SNK",   "Nintendo", "bootleg", "Namco (Midway license)",
};
constexpr std::array<std::string_view, 8> kCategories{
    "Maze",
    "Fighter / Versus",
    "Shooter / Flying Vertical",
    "Platform / Run Jump",
    "Sports / Golf",
    "Casino / Cards",
    "Driving / Race",
    "Puzzle / Drop",
};
constexpr std::array<std::string_view, 8> kDrivers{
    "cps1.cpp", "cps2.cpp", "neogeo.cpp", "pacman.cpp", "galaxian.cpp", "segas16b.cpp", "taito_f3.cpp", "konamigx.cpp",
};
constexpr std::array<std::string_view, 4> kStatuses{"Good", "Imperfect", "Preliminary", "Good"};

template <typename Table>
std::string_view Pick(const Table& table, std::mt19937& random) {
  return table[random() % table.size()];
}

std::string RomName(int index) {
  std::string name;
  for (int n = index + 1; n > 0; n /= 26) {
    name += static_cast<char>('a' + n % 26);
  }
  return name + "set";
}

std::string Description(std::mt19937& random) {
  std::string text = random() % 20 == 0 ? "The " : "";
  text += Pick(kWords, random);
  for (unsigned words = 1 + random() % 3; words > 0; --words) {
    text += ' ';
    text += Pick(kWords, random);
  }
  text += Pick(kSuffixes, random);
  return text;
}

std::string Line(int index, std::mt19937& random) {
  const bool clone = index > 0 && random() % 3 == 0;
  const bool available = random() % 4 != 0;
  const bool vertical = random() % 3 == 0;
  const bool played = random() % 10 == 0;
  std::string line;
  line.reserve(256);
  line += available ? "0|" : "1|";
  line += Description(random);
  line += '|';
  line += Pick(kCompanies, random);
  line += '|';
  line += Pick(kCategories, random);
  line += '|';
  line += std::to_string(1978 + random() % 40);
  line += random() % 8 == 0 ? "|Neogeo|" : "||";
  line += random() % 2 == 0 ? "Stereo|Raster|" : "Mono|Raster|";
  line += vertical ? "224x288|Vertical (90°)|" : "384x224|Horizontal (0°)|";
  line += "Joy8way|59.637405|";
  for (int i = 0; i < 5; ++i) {
    line += Pick(kStatuses, random);
    line += '|';
  }
  line += ".";
  line += std::to_string(30 + random() % 200);
  line += '|';
  line += Pick(kDrivers, random);
  line += '|';
  line += std::to_string(1 + random() % 4);
  line += "P|";
  line += played ? std::to_string(random() % 50) + "|0" + std::to_string(random() % 10) + ":13:37|" : "0|00:00:00|";
  line += clone ? RomName(static_cast<int>(random() % static_cast<unsigned>(index))) : "";
  line += '|';
  line += RomName(index);
  line += '|';
  line += available ? "0" : std::to_string(2 + random() % 5);
  return line;
}

}  // namespace

std::vector<std::string> GenerateCatalogueLines(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    lines.push_back(Line(i, random));
  }
  return lines;
}

}  // namespace kestrune::bench
