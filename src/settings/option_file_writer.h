#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/game_ini_chain.h"
#include "settings/mame_options.h"

// Writes MAME's option files whole from the options dialog's values: mame.ini (the default options),
// a game's own ini file, and the six BIOS-selection files of the ini folder.
namespace kestrune::settings {

// The text with every "," replaced by ".".
std::string CommaToDot(std::string_view text);

// A whole number as the option files and the `frames` edit hold it: an optional "+" or "-", then
// decimal digits, within int. The reader takes no number that the writer would refuse.
std::optional<int> WholeNumber(std::string_view text);

// mame.ini in the program folder, or the game's file in the ini folder.
std::filesystem::path MameIniPath(OptionsMode mode, const MameFolders& folders, std::string_view romname);

// Whether a set name can name a file of the ini folder (not empty, no folder separator, not "." or "..").
bool IsSafeRomName(std::string_view romname);

// Whether the mode is one of the two and, for a game's options, the name can name its file; otherwise
// false with the reason in *error.
bool CheckOptionsRequest(OptionsMode mode, std::string_view romname, std::string* error);

// What the writer changes before it writes: empty aspect edits become "4" and "3", `frames` becomes
// its whole number in decimal ("" → "0", "007" → "7"), and in the default-options mode every empty
// folder value takes `FrontDir` + its default word and keeps it. When `frames` is not a whole number
// nothing is changed, false is returned and *error says why.
bool PrepareOptionsForWriting(OptionsMode mode, MameOptions& options, MameFolders& folders, std::string* error);

// The values the reader takes from the file being replaced, prepared for writing as the dialog's are.
struct ValuesAsRead {
  MameOptions options;
  MameFolders folders;
  // For a game's file, the lines of the files MAME reads before it, file after file (mame.ini first): a
  // value the game's file does not set came from the last of them that sets it.
  std::vector<std::string> chainLines;
};

// What the reader takes from the file of the mode, starting from the given values; nothing when it
// cannot be read. chain: for a game, the files MAME reads for it (see ReadMameIni).
std::optional<ValuesAsRead> ReadValuesAsRead(OptionsMode mode, const MameOptions& options, const MameFolders& folders,
                                             std::string_view romname, const IniChain& chain = {});

// The lines of the option file (without line ends), from values already prepared for writing. The
// lines of the file being replaced (old) that the writer does not write itself (a user's `confirm_quit`,
// MAME's options the dialog has no control for, a fixed line the user changed) are kept byte for byte,
// each after the option it followed, and its comment, section and other lines stay before the option
// line they preceded. With asRead, an option line that stands as it was read is written as the line its
// value came from: old's line, else for a game's file the line of the nearest file MAME reads before it.
// With setByUser, an option line stands as it was read when the user set none of its values; without,
// when its values are those read.
std::vector<std::string> MameIniLines(OptionsMode mode, const MameOptions& options, const MameFolders& folders,
                                      std::string_view romname, const std::vector<std::string>& old = {},
                                      const ValuesAsRead* asRead = nullptr, const OptionSet* setByUser = nullptr);

// Whether the writer writes the option (or takes it for one of its own under another name).
bool IsWrittenKey(std::string_view key);

// The keys of mame.ini's lines whose options today's MAME no longer has. MAME skips them in mame.ini
// without a word and warns about them in a game's file, which leaves them out.
std::vector<std::string> GoneOptionKeys();

// The text without the byte-order mark that may open a file (MAME reads past it).
std::string_view WithoutByteOrderMark(std::string_view text);

// Whether a line sets the option as MAME reads it: its first word after any white space is exactly the key
// ("biosx" or "# bios" sets no bios). For a file's first line, take WithoutByteOrderMark first.
bool SetsOption(std::string_view line, std::string_view key);

// The lines of one BIOS-selection file.
std::vector<std::string> BiosIniLines(const BiosFile& file, const MameOptions& options);

// A BIOS file's text with biosLine in place of its bios line (the last one, which MAME takes); every
// other byte stays, line ends included. A text without one gets biosLine at its end, ended as the
// text's first line is (CR LF when it has no line end).
std::string WithBiosLine(std::string_view text, std::string_view biosLine);

// Prepares the values and writes the file of the mode (and in the default-options mode the six BIOS
// files) with CR LF line ends, keeping the user's own lines of the file it replaces. Every file is first
// written aside and only then put in place, so a failure leaves all the old files whole; returns false
// and sets *error then. A file that is there but cannot be read (too large, a pipe, unreadable, a link
// to nothing) is never written over. The ini folder is not created here. setByUser: the values the user
// set in the dialog (see MameIniLines); a BIOS file is written only when the user set its choice, and
// then only its bios line changes (a missing BIOS file is written whole).
// chain: for a game, the files MAME reads for it, whose values a line the user did not set keeps.
bool WriteMameIni(OptionsMode mode, MameOptions& options, MameFolders& folders, std::string_view romname,
                  std::string* error, const OptionSet* setByUser = nullptr, const IniChain& chain = {});

// Writes the six BIOS files from the BIOS choices, all or none, each one's bios line only where it is there.
bool WriteBiosInis(const MameOptions& options, const std::string& iniDir, std::string* error);

// Writes only the BIOS files that do not exist yet, so the others keep the user's choices.
bool WriteMissingBiosInis(const MameOptions& options, const std::string& iniDir, std::string* error);

}  // namespace kestrune::settings
