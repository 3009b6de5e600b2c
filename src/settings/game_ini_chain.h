#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/mame_options.h"

// The option files MAME reads for a game, in the order it reads them: mame.ini, the orientation's, the
// machine type's, the screen type's, the source file's, the BIOS's and parent's, and the game's own.
// A later file overrides an earlier one, so what a game gets is what the nearest file sets. Each name is
// looked for in every folder of MAME's ini path in turn: the program folder, then the ini folder.
namespace kestrune::settings {

// A chain: the names as MAME looks them up ("mame.ini", "horizont.ini", "source/vc4000.ini", ...,
// "<game>.ini"), the game's own last.
using IniChain = std::vector<std::string>;

inline constexpr std::string_view kMameIniName = "mame.ini";

// What the game list knows of a game, enough to name its chain when MAME cannot be asked.
struct GameIniTraits {
  std::string romname;
  bool vertical = false;    // turned by 90 or 270 degrees
  std::string displayType;  // "raster", "vector", "lcd" in any letter case; anything else names no file
  std::string sourceFile;   // "atari/asteroid.cpp"
  std::string parent;       // the set it is a clone of
  std::string bios;         // the BIOS set it (or its parent) runs on
};

// The chain the game list's facts give. Whether a machine is an arcade game, a console or a computer
// is not known there: arcade is taken.
IniChain IniChainOf(const GameIniTraits& game);

// The chain out of the output of MAME run on the game with -verbose: the files of its lines "Attempting
// load of NAME.ini" that it reads for the game, from mame.ini to the game's own or, when it reads no
// more (its configuration says so), to the last it names. Nothing when the output names no such file.
std::optional<IniChain> IniChainFromVerbose(std::string_view output, std::string_view romname);

// Whether MAME's output so far names the game's whole chain.
bool NamesWholeIniChain(std::string_view output, std::string_view romname);

// Asks the installed MAME which files it reads for the game: MAME is started with the arguments it
// plays the game with (they name the ini path), -verbose, and neither video nor sound, and is ended
// as soon as it has named them, before the game starts. False, with *error, when MAME cannot be run or
// does not name them in time; chain is then left as it is.
bool AskMameIniChain(const std::filesystem::path& mame, std::vector<std::string> playArguments,
                     std::string_view romname, IniChain& chain, std::string* error);

// The files of the chain that MAME reads before the game's own, the nearest last: each name in the first
// folder of the ini path that holds it, as MAME takes it; a name that neither holds is left out. An
// empty chain stands for mame.ini alone.
std::vector<std::filesystem::path> ChainFilesBefore(const MameFolders& folders, const IniChain& chain,
                                                    std::string_view romname);

// The value MAME gives the game for the option: that of the last file of the chain (the game's own file
// included) that sets it, each name found as ChainFilesBefore finds it, its lines read as MAME reads them
// (LastOptionValue). A file that turns `readconfig` off is the last MAME reads. Nothing when no file sets it.
std::optional<std::string> ChainOptionValue(const MameFolders& folders, const IniChain& chain, std::string_view key);

// The lines of ChainFilesBefore, file after file; a file that cannot be read gives none.
std::vector<std::string> ReadChainLinesBefore(const MameFolders& folders, const IniChain& chain,
                                              std::string_view romname);

}  // namespace kestrune::settings
