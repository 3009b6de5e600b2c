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

// Support texts: prose for history.dat, version notes for mameinfo.dat.
constexpr std::array<std::string_view, 40> kProse{
    "the",    "player", "controls", "a",       "ship",     "through", "eight",   "stages", "of",      "enemies",
    "and",    "must",   "collect",  "power",   "items",    "before",  "the",     "boss",   "appears", "in",
    "this",   "game",   "was",      "first",   "released", "board",   "running", "on",     "with",    "sound",
    "sequel", "known",  "as",       "version", "location", "test",    "cabinet", "screen", "Café",    "score",
};
constexpr std::array<std::string_view, 8> kAuthors{
    "Nicola Salmoria", "Aaron Giles", "Phil Bennett", "David Haywood",
    "Angelo Salese",   "R. Belmont",  "hap",          "Vas Crabb",
};
constexpr std::array<std::string_view, 6> kPlatforms{
    "Nintendo Famicom", "Sega Mega Drive", "Sony PlayStation", "NEC PC-Engine", "Commodore Amiga", "Sharp X68000",
};

void Line(std::string& text, std::string_view line) {
  text += line;
  text += "\r\n";
}

std::string Sentence(std::mt19937& random) {
  std::string text(Pick(kWords, random));
  for (unsigned words = 6 + random() % 18; words > 0; --words) {
    text += ' ';
    text += random() % 6 == 0 ? Pick(kWords, random) : Pick(kProse, random);
  }
  return text + (random() % 8 == 0 ? "!" : ".");
}

std::string Paragraph(std::mt19937& random) {
  std::string text = Sentence(random);
  for (unsigned sentences = 1 + random() % 5; sentences > 0; --sentences) {
    text += ' ';
    text += Sentence(random);
  }
  return text;
}

std::string InfoNames(int first, int count) {
  std::string names;
  for (int i = first; i < first + count; ++i) {
    names += RomName(i) + ",";
  }
  return names;
}

void HistoryEntry(std::string& text, int first, int count, std::mt19937& random) {
  Line(text, "$info=" + InfoNames(first, count));
  if (random() % 5 != 0) {
    const std::string address =
        "https://www.arcade-history.com/?n=" + RomName(first) + "&page=detail&id=" + std::to_string(first + 100);
    Line(text, "$<a href=\"" + address + "\" rel=\"nofollow\">" + address + "</a>");
  }
  Line(text, "$bio");
  Line(text, "");
  const std::string year = std::to_string(1975 + random() % 45);
  Line(text, Title(random) + " (c) " + year + " " + std::string(Pick(kCompanies, random)) + ".");
  Line(text, "");
  for (unsigned paragraphs = 1 + random() % 3; paragraphs > 0; --paragraphs) {
    Line(text, Paragraph(random));
    Line(text, "");
  }
  if (random() % 2 == 0) {
    Line(text, "- TRIVIA -");
    Line(text, "");
    for (unsigned paragraphs = 1 + random() % 3; paragraphs > 0; --paragraphs) {
      Line(text, Paragraph(random));
      Line(text, "");
    }
  }
  if (random() % 3 == 0) {
    Line(text, "- STAFF -");
    Line(text, "");
    for (unsigned people = 1 + random() % 5; people > 0; --people) {
      Line(text, "Programmer: " + std::string(Pick(kAuthors, random)));
    }
    Line(text, "");
  }
  if (random() % 3 == 0) {
    Line(text, "- PORTS -");
    Line(text, "");
    Line(text, "* Consoles :");
    for (unsigned ports = 1 + random() % 4; ports > 0; --ports) {
      Line(text, std::string(Pick(kPlatforms, random)) + " [JP] (" + year + ") \"" + Title(random) + "\"");
    }
    Line(text, "");
  }
  Line(text, "$end");
  Line(text, "");
}

std::string MameVersion(std::mt19937& random) { return "0." + std::to_string(1 + random() % 251); }

void VersionNotes(std::string& text, unsigned notes, std::mt19937& random) {
  for (; notes > 0; --notes) {
    Line(text, "- " + MameVersion(random) + ": " + std::string(Pick(kAuthors, random)) + " " + Sentence(random));
  }
}

void MameInfoGameEntry(std::string& text, int index, std::mt19937& random) {
  Line(text, "$info=" + RomName(index));
  Line(text, "$mame");
  Line(text, "");
  Line(text, MameVersion(random) + " [" + std::string(Pick(kAuthors, random)) + "]");
  Line(text, "");
  if (random() % 3 == 0) {
    Line(text, "TODO: " + Sentence(random));
    Line(text, "");
  }
  VersionNotes(text, random() % 4, random);
  Line(text, "");
  Line(text, "LEVELS: " + std::to_string(1 + random() % 40));
  Line(text, "");
  Line(text, "Romset: " + std::to_string(64 + random() % 9000) + " kb / " + std::to_string(2 + random() % 60) +
                 " files / " + std::to_string(1 + random() % 30) + ".5 zip");
  Line(text, "$end");
  Line(text, "");
}

std::string DriverName(int index) {
  return index < static_cast<int>(kDrivers.size()) ? std::string(kDrivers[static_cast<std::size_t>(index)])
                                                   : RomName(index) + "drv.cpp";
}

void MameInfoDriverEntry(std::string& text, int index, std::mt19937& random) {
  Line(text, "$info=" + DriverName(index));
  Line(text, "$drv");
  Line(text, "");
  VersionNotes(text, 5 + random() % 60, random);
  Line(text, "$end");
  Line(text, "");
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

std::string GenerateHistoryDat(std::size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  text.reserve(bytes + 8192);
  Line(text, "## HISTORY.DAT, generated for timing the program");
  Line(text, "");
  for (int first = 0; text.size() < bytes;) {
    const int count = 1 + static_cast<int>(random() % 4);
    HistoryEntry(text, first, count, random);
    first += count;
  }
  return text;
}

std::string GenerateMameInfoDat(std::size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::string text;
  text.reserve(bytes + 8192);
  Line(text, "# MAMEINFO.DAT, generated for timing the program");
  Line(text, "");
  // About five sixths game entries, the rest driver entries, as in the real file.
  const std::size_t gameBytes = bytes - bytes / 6;
  for (int index = 0; text.size() < gameBytes; ++index) {
    MameInfoGameEntry(text, index, random);
  }
  for (int index = 0; text.size() < bytes; ++index) {
    MameInfoDriverEntry(text, index, random);
  }
  return text;
}

}  // namespace kestrune::bench
