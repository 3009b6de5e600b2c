#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/game_record.h"
#include "settings/game_ini_chain.h"

// What starting MAME on a game needs that is no window's business: the arguments of each kind of
// start, the game's `window` option, and the accounting of a finished play.
namespace kestrune::catalogue {

enum class PlayKind { Play, Record, Playback };

// Whether a set name is one MAME could have written (letters, digits, "_"): only such a name is put
// into a path or onto MAME's command line.
bool IsMameSetName(std::string_view romname);

// The extra options of the preferences as separate arguments: split at blanks, a double-quoted part
// kept together without its quotes ("-rompath "/my roms"" gives two arguments).
std::vector<std::string> SplitOptions(std::string_view options);

// MAME's arguments for a start: first -inipath with the program folder and the ini folder, so the
// option files Kestrune writes are the ones MAME reads; then the extra options (not for a playback);
// then the set name; a recording and a playback name the file "<set>.inp" (or the recording's name as
// found on disk), which today's MAME uses as given.
std::vector<std::string> MameArguments(PlayKind kind, std::string_view romname, std::string_view extraOptions,
                                       const std::string& frontDir, const std::string& iniDir,
                                       std::string_view recording = {});

// A set's file in a folder: the exact name, else the first name that differs from it only in ASCII
// letter case; empty when there is none.
std::filesystem::path FindSetFile(const std::filesystem::path& folder, const std::string& fileName);

// The option files MAME reads for the game, as its catalogue line names them (an arcade game's), so that
// no start waits for MAME to name them.
settings::IniChain GameIniChain(const Tgameinfo& game);

// The value MAME will give the game for the option: that of the last of those files that sets it, each
// looked for in the program folder, then the ini folder. Nothing when none sets it.
std::optional<std::string> GameOptionValue(const std::string& iniDir, const std::string& frontDir,
                                           const Tgameinfo& game, std::string_view key);

enum class WindowOption {
  None,        // no file the game reads holds a "window" line
  Windowed,    // window = 1
  FullScreen,  // any other value
};

// The game's `window` option (GameOptionValue). The key is matched whole ("windowed_..." is another option).
WindowOption ReadWindowOption(const std::string& iniDir, const std::string& frontDir, const Tgameinfo& game);

// One more start of the game, counted when MAME has started; a count that is no number it can raise (not
// a decimal number, or at the top of its range) is left as it stands.
void CountStart(Tgameinfo& record);
// The milliseconds of a finished play added to the game's play time (malformed counts from 0).
void AccountPlay(Tgameinfo& record, std::int64_t playedMs);

}  // namespace kestrune::catalogue
