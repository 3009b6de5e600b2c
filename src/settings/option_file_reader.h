#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/game_ini_chain.h"
#include "settings/mame_options.h"

// Reads MAME's option files back into the options dialog's values: mame.ini, a game's ini file and
// the six BIOS-selection files. Files that MAME or the user wrote are read as far as their lines
// begin with the keys the writer uses.
namespace kestrune::settings {

// The value part of one option line: the text after the key and its blanks, trimmed; for a comment
// line ("# key   value") the text after the key. No value (no blank after the key, or nothing after
// it) gives nothing, so that no caller can take a marker text for a value.
std::optional<std::string> IniLineValue(std::string_view line);

// The value MAME takes for the option from a file's lines: that of the last line that sets it (see
// SetsOption), up to a "#" outside double quotes, without the white space and a pair of double quotes
// around it; empty when nothing follows the key. Nothing when no line sets the option.
std::optional<std::string> LastOptionValue(const std::vector<std::string>& lines, std::string_view key);

// The text with every "." replaced by ",".
std::string DotToComma(std::string_view text);

// A decimal number written with "." or "," as separator, whatever the locale.
std::optional<double> ParseDecimal(std::string_view text);

// A slider position from a ratio line's value: the number times 100, rounded half to even.
std::optional<int> RatioPosition(std::string_view value);

// What a line changes besides the options: the ROM folder (only mame.ini has one) and the program
// folder that empty movie and sound file names default to.
struct LineTarget {
  MameOptions& options;
  std::string* romPath;  // null: the ROM folder is not read
  std::string frontDir;
};

// Offers one line to the reader's tests in order; the first that matches handles it. A line whose
// value does not convert, or names no choice of its list, changes nothing.
void ApplyMameIniLine(std::string_view line, LineTarget& target);
void ApplyMameIniLines(const std::vector<std::string>& lines, LineTarget& target);

// Takes the installation's own path options (kMameOwnPathKeys) from mame.ini's lines into
// folders.MameOwnPaths, so that writing mame.ini again keeps them. MAME's controller folders are
// those of the ctrlrpath line that are not the front-end's ctrlr folder. A key that the lines do not
// hold keeps its value.
void ReadMameOwnPaths(const std::vector<std::string>& lines, MameFolders& folders);

// The game's ini file in the ini folder: the exact name, else a name that differs only in letter case.
std::filesystem::path FindGameIni(const std::string& iniDir, std::string_view romname);

// The lines of an option file as they stand. A file in UTF-16 cannot be read: false, and *error says so.
bool ReadOptionFileLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error);

// Reads the file of the mode into the values. The values first return to their defaults (and for a
// game, to what the files MAME reads before the game's own give it: those of `chain`, or mame.ini when it
// is empty), so nothing of the previously shown file stays behind. In the default-options mode every
// folder of mame.ini, the installation's own path options and the BIOS files are read too. Values are
// taken byte for byte (a path is bytes, whatever its encoding). A file that cannot be read changes
// nothing: false is returned and *error says why. *unconvertible, when given, receives the file's lines
// whose number the values cannot take (they changed nothing).
bool ReadMameIni(OptionsMode mode, MameOptions& options, MameFolders& folders, std::string_view romname,
                 std::string* error, std::vector<std::string>* unconvertible = nullptr, const IniChain& chain = {});

// Reads the BIOS choices from the six BIOS files of the ini folder; a missing file, or a value its
// list does not hold, leaves that choice as it is.
void ReadBiosInis(MameOptions& options, const std::string& iniDir);

}  // namespace kestrune::settings
