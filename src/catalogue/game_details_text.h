#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/game_record.h"

// What the game details window and the confirmation dialogs of the game menu say about a game.
namespace kestrune::catalogue {

// One value label of the details window: its component name and its text.
struct DetailValue {
  std::string_view label;
  std::string text;
  bool operator==(const DetailValue&) const = default;
};

// The window caption: "\"pong\" Details".
std::string GameDetailsCaption(const Tgameinfo& game);

// Every value label of the details window with its text for the game, in the window's order.
// Fields that say nothing when empty (clone, category, controls, resolution, BIOS) read notAvailable
// ("N/A" in English); the driver statuses are capitalised; a ROM status that is no known code reads as
// empty.
std::vector<DetailValue> GameDetailValues(const Tgameinfo& game, std::string_view notAvailable = "N/A");

// First letter upper case, the rest lower case (ASCII only): "imperfect" -> "Imperfect".
std::string CapitaliseWord(std::string_view text);

// The question of the ROM archive move: a parent (or a game standing alone) warns that its clones
// need the archive. Lines are separated by "\n".
std::string MoveRomQuestion(const Tgameinfo& game);
std::string MoveRomCaption(std::string_view romname);

// Which of a game's files a delete question is about.
enum class SetFileKind { Recording, OptionFile };

// The delete question in the language of that index ("Delete pong.inp ?"). Languages that have no
// wording of their own take the English one.
std::string DeleteFileQuestion(SetFileKind kind, std::string_view romname, int languageIndex);

// The list's state image of a game once one of its files is gone: 1 while it has a recording, 2
// while it has an option file, else 0. Deleting the recording leaves the option file to decide, and
// the other way round.
int StateImageAfterDelete(SetFileKind deleted, bool otherFileExists);

}  // namespace kestrune::catalogue
