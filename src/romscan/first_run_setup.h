#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// What the first-run setup wizard decides and says: which MAME executable the user may choose, and
// the texts of its pages.
namespace kestrune::romscan {

// The verdict on an executable chosen in the wizard's file dialog.
enum class MameChoice {
  accepted,
  otherFolder,    // MAME runs from the program folder only
  mame32,         // the Windows-only Mame32 front-ends are no MAME the program can drive
  notExecutable,  // no file, or one that cannot be run
};

struct MameChoiceResult {
  MameChoice verdict = MameChoice::notExecutable;
  std::string fileName;  // the executable's name in the program folder, when accepted
};

// chosen: the path the file dialog gave; frontDir: the program folder ending in "/". The folders are
// compared as the file system resolves them (".." and links), names with their letter case.
MameChoiceResult CheckMameChoice(const std::string& frontDir, const std::filesystem::path& chosen);

// The message that refuses a choice; "" for an accepted one.
std::string_view MameChoiceMessage(MameChoice verdict);

// Gives one of the wizard's fixed English texts in the user's language ("%1" stands for a value put in
// afterwards); the texts stay English without one.
using TextOf = std::function<std::string(std::string_view english)>;

// The optional files found in the program folder.
struct OptionalFiles {
  bool history = false;
  bool mameinfo = false;
  bool catver = false;
  bool nplayers = false;
};

// The first page: the executable found at start ("" when none was found) and the optional files.
std::string WizardWelcomeText(std::string_view mameFile, const OptionalFiles& files, const TextOf& textOf = {});
// The page after the user chose an executable.
std::string WizardChosenText(std::string_view mameFile, const OptionalFiles& files, const TextOf& textOf = {});
// The status line of the archive scan, made from the main window's text of the same moment: without
// its version line, and "Roms found" with six blanks.
std::string WizardScanText(std::string_view scanContent);

}  // namespace kestrune::romscan
