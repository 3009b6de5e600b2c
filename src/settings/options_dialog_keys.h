#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/mame_options.h"

// Which values of the MAME options dialog the installed MAME ignores. MAME skips a mame.ini line whose
// key it does not know without a word, so the dialog asks MAME itself and marks those controls.
namespace kestrune::settings {

// The keys of the option-file lines that follow the value, found by writing the options once as they
// are and once with the value changed, so that the writer stays the one table of keys. The BIOS choices,
// which mame.ini does not hold, have none.
std::vector<std::string> KeysOfOption(Option option);

// Every key that mame.ini holds (folders and fixed texts too), each with the value it is written with.
std::vector<std::pair<std::string, std::string>> WrittenKeys();

// The option names of MAME's -showconfig output.
std::set<std::string, std::less<>> ShowConfigKeys(std::string_view showConfig);

// Asks the installed MAME which keys of mame.ini it does not know. -showconfig lists MAME's options by
// their main names; a key missing there is asked for once more on the command line, with the value
// mame.ini gives it, where MAME also takes an option's other names (joy_deadzone for joystick_deadzone)
// and refuses a name it does not know. Returns false, with *error, when MAME does not answer at all.
bool AskMameUnknownKeys(const std::filesystem::path& mame, std::vector<std::string>& unknown, std::string* error);

// The values whose keys are all unknown to MAME: it ignores whatever the dialog sets for them.
std::vector<Option> IgnoredOptions(const std::vector<std::string>& unknownKeys);

}  // namespace kestrune::settings
