#include "catalogue/game_details_text.h"

#include <array>

namespace kestrune::catalogue {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The delete questions' first word by language index (English, Dutch, German, French).
constexpr std::array<std::string_view, 4> kDeletePrefixes = {"Delete ", "Verwijder ", "Lösche ", "Effacer le "};

}  // namespace

std::string CapitaliseWord(std::string_view text) {
  std::string word(text);
  for (std::size_t i = 0; i < word.size(); ++i) word[i] = i == 0 ? AsciiUpper(word[i]) : AsciiLower(word[i]);
  return word;
}

std::string GameDetailsCaption(const Tgameinfo& game) { return "\"" + game.romname + "\" Details"; }

std::vector<DetailValue> GameDetailValues(const Tgameinfo& game, std::string_view notAvailable) {
  const auto OrNotAvailable = [notAvailable](const std::string& field) {
    return field.empty() ? std::string(notAvailable) : field;
  };
  return {
      {"game_description", game.description},
      {"company", game.company},
      {"game_year", game.year},
      {"times_played", game.timesplayed},
      {"time_played", game.playtime},
      {"sound", game.sound},
      {"controls", OrNotAvailable(game.controls)},
      {"frequency", game.frequency + " Hz"},
      {"video", game.video},
      {"resolution", OrNotAvailable(game.resolution)},
      {"players", game.players},
      {"orientation", game.orientation},
      {"category", OrNotAvailable(game.category)},
      {"rom_name", game.romname + ".zip"},
      {"clone_name", game.cloneof.empty() ? std::string(notAvailable) : game.cloneof + ".zip"},
      {"driver", game.driver},
      {"bios", OrNotAvailable(game.bios)},
      {"status", std::string(RomStatusTextOf(game.romstatus))},
      {"driver_status", CapitaliseWord(game.driverstatus)},
      {"emulation_status", CapitaliseWord(game.emulationstatus)},
      {"graphic_status", CapitaliseWord(game.graphicstatus)},
      {"color_status", CapitaliseWord(game.colorstatus)},
      {"sound_status", CapitaliseWord(game.soundstatus)},
  };
}

std::string MoveRomQuestion(const Tgameinfo& game) {
  std::string question;
  if (game.cloneof.empty()) {
    question = "This is a parent Rom File.\nDeleting this file will render relevant clone(s) useless.\n\n";
  }
  return question + "Move " + game.romname + ".zip file to 'Bad Roms' folder?";
}

std::string MoveRomCaption(std::string_view romname) { return "Move " + std::string(romname) + ".zip Rom File"; }

std::string DeleteFileQuestion(SetFileKind kind, std::string_view romname, int languageIndex) {
  const bool own = languageIndex >= 0 && languageIndex < static_cast<int>(kDeletePrefixes.size());
  const std::string_view prefix = kDeletePrefixes[own ? static_cast<std::size_t>(languageIndex) : 0];
  return std::string(prefix) + std::string(romname) + (kind == SetFileKind::Recording ? ".inp ?" : ".ini ?");
}

int StateImageAfterDelete(SetFileKind deleted, bool otherFileExists) {
  if (!otherFileExists) return 0;
  return deleted == SetFileKind::Recording ? 2 : 1;
}

}  // namespace kestrune::catalogue
