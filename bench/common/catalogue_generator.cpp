#include "common/catalogue_generator.h"

#include <array>
#include <random>
#include <string_view>

namespace kestrune::bench {
namespace {

constexpr std::array<std::string_view, 24> kWords{
    "Street", "Fighter", "Dragon", "Pac-Man", "Galaxy", "Ninja",  "Turbo",  "Champion",
    "Quest",  "Mahjong", "Racing", "Star",    "Golf",   "Bomber", "Metal",  "Slug",
    "Puzzle", "Bobble",  "Raiden", "Donkey",  "Kong",   "Tekken", "Strike", "Force",
};
constexpr std::array<std::string_view, 10> kRegions{
    "",         " (World)",       " (Japan)",     " (US, rev 2)", " (bootleg)",
    " (set 1)", " (Euro 950331)", " (prototype)", " II",          " - Champion Edition (World 920513)",
};
constexpr std::array<std::string_view, 10> kCompanies{
    "Capcom", "Namco", "Konami", "Sega", "Taito Corporation", "Irem", "SNK", "Nintendo", "bootleg", "Atari",
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
// Today's MAME names its driver files ".cpp"; the board filters' fragments still find them.
constexpr std::array<std::string_view, 20> kDrivers{
    "cps1.cpp",    "cps2.cpp",    "neogeo.cpp",   "pacman.cpp",  "galaxian.cpp", "segas16b.cpp", "segas18.cpp",
    "segas24.cpp", "segas32.cpp", "stv.cpp",      "segaxbd.cpp", "konamigx.cpp", "pgm.cpp",      "playch10.cpp",
    "vsnes.cpp",   "namcos1.cpp", "namcos22.cpp", "arcadia.cpp", "taito_f3.cpp", "zn.cpp",
};
constexpr std::array<std::string_view, 4> kBioses{"Cpzn1", "Cpzn2", "Taitofx1", "Neogeo"};
constexpr std::array<std::string_view, 4> kEmulation{"Good", "Good", "Imperfect", "Preliminary"};
constexpr std::array<std::string_view, 4> kControls{"Joy8way", "Joy4way", "Trackball", "Paddle"};

template <typename Table>
std::string_view Pick(const Table& table, std::mt19937& random) {
  return table[random() % table.size()];
}

std::string RomName(int index) {
  std::string name;
  for (int n = index + 1; n > 0; n /= 26) {
    name += static_cast<char>('a' + n % 26);
  }
  return name + (index % 3 == 0 ? "" : "j");
}

void Field(std::string& line, std::string_view value) {
  line += value;
  line += '|';
}

std::string Title(std::mt19937& random) {
  std::string text = random() % 25 == 0 ? "The " : "";
  text += Pick(kWords, random);
  for (unsigned words = random() % 3; words > 0; --words) {
    text += ' ';
    text += Pick(kWords, random);
  }
  text += Pick(kRegions, random);
  return text;
}

std::string GameLine(int index, std::mt19937& random) {
  const bool available = random() % 4 != 0;
  const bool vector = random() % 50 == 0;
  const bool vertical = random() % 3 == 0;
  std::string line;
  line.reserve(256);
  Field(line, available ? "0" : "1");
  Field(line, Title(random));
  Field(line, Pick(kCompanies, random));
  Field(line, Pick(kCategories, random));
  Field(line, std::to_string(1975 + random() % 45) + (random() % 30 == 0 ? "?" : ""));
  Field(line, random() % 12 == 0 ? Pick(kBioses, random) : "");
  Field(line, random() % 2 == 0 ? "Stereo" : "Mono");
  Field(line, vector ? "Vector" : "Raster");
  Field(line, vector ? "" : vertical ? "224x288" : "384x224");
  Field(line, vertical ? "Vertical (90°)" : "Horizontal (0°)");
  Field(line, Pick(kControls, random));
  Field(line, vector ? "40.000000" : "59.637405");
  Field(line, Pick(kEmulation, random));
  Field(line, Pick(kEmulation, random));
  Field(line, "good");
  Field(line, "good");
  Field(line, random() % 5 == 0 ? "imperfect" : "good");
  Field(line, "." + std::to_string(30 + random() % 220));
  Field(line, Pick(kDrivers, random));
  Field(line, std::to_string(1 + random() % 4));
  const bool played = random() % 10 == 0;
  Field(line, played ? std::to_string(random() % 120) : "0");
  Field(line, played ? std::to_string(random() % 150) + ":" + std::to_string(10 + random() % 50) + ":07" : "00:00:00");
  Field(line, index > 0 && random() % 3 != 0 ? RomName(static_cast<int>(random() % static_cast<unsigned>(index))) : "");
  Field(line, RomName(index));
  line += available ? (random() % 20 == 0 ? "1" : "0") : std::to_string(2 + random() % 5);
  return line;
}

}  // namespace

std::vector<std::string> GenerateGameCatalogue(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    lines.push_back(GameLine(i, random));
  }
  return lines;
}

}  // namespace kestrune::bench
