#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/mame_options.h"

// What the preferences dialog reads, checks and writes, apart from its window: MAME's folders as
// mame.ini holds them, the front-end's folder keys, the choice of the MAME executable, the cycle time
// and the colour numbers of the settings.
namespace kestrune::settings {

// One of MAME's twelve folders that the preferences edit: the start of its mame.ini line, its value in
// MameFolders, the word its default adds to the program folder, and its edit.
struct MameFolderEntry {
  std::string_view prefix;
  std::string MameFolders::*folder;
  std::string_view word;
  const char* edit;
};
std::span<const MameFolderEntry> MameFolderEntries();

// One of the front-end's folders, kept in the settings' section "mame", in the order they are written.
struct FrontEndFolderEntry {
  std::string_view key;
  std::string_view word;
  const char* edit;
};
std::span<const FrontEndFolderEntry> FrontEndFolderEntries();

// The folder as typed, or the program folder (ending in "/") followed by the word when it is empty.
std::string FolderOrDefault(std::string_view typed, std::string_view frontDir, std::string_view word);

// Sets each of the twelve folders to its default under folders.FrontDir.
void DefaultMameFolders(MameFolders& folders);

// Reads the twelve folders from mame.ini's lines: the first prefix a line starts with names its folder,
// a quoted value loses its quotes, a later line wins and a folder without a line keeps its value. The
// ctrlrpath line also lists MAME's own controller folders after the front-end's, which is the first.
// When the file cannot be read every folder takes its default, false is returned and *error says why.
// Values are kept byte for byte: a folder is a path, whatever its encoding.
bool ReadMameFolders(const std::filesystem::path& mameIni, MameFolders& folders, std::string* error = nullptr);
// The same for lines already read.
void ApplyMameFolderLines(const std::vector<std::string>& lines, MameFolders& folders);

// Whether a chosen file may become the MAME executable.
enum class ExecutableVerdict { Accepted, Mame32, OtherFolder, NotExecutable };
ExecutableVerdict CheckMameExecutable(const std::filesystem::path& chosen, const std::string& frontDir);
// What the user is told when a choice is refused; empty for Accepted.
std::string ExecutableRefusal(ExecutableVerdict verdict, const std::filesystem::path& chosen);

// The cycling timer's interval for the typed seconds; 2000 ms when the text is no positive number.
int CycleIntervalMs(std::string_view seconds);

// A colour as the settings store it: the decimal value of 0x00BBGGRR. Anything else (a system colour's
// negative number, text, an empty value) is no colour.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const Rgb&) const = default;
};
std::optional<Rgb> ColourFromNumber(std::string_view number);
std::string ColourNumber(const Rgb& colour);

}  // namespace kestrune::settings
