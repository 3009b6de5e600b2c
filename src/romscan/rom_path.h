#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// MAME's rom path and the rom folders the ROM scan searches.
namespace kestrune::romscan {

// Reads `romPath` from mame.ini: the value of the first line whose first three characters are "rom",
// enclosed in double quotes unless it already starts with one. When no line matches, or the line
// has no value, `romPath` keeps its value. Returns false, with *error naming the file, when the file
// cannot be read.
bool ReadRomPath(const std::filesystem::path& mameIni, std::string& romPath, std::string* error);

// The value of an environment variable, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The process's own environment.
std::optional<std::string> ProcessEnvironment(const std::string& name);

// One folder of a search path as MAME expands it when it reads the path from an ini file: a leading
// "~" alone or before "/" is $HOME (when HOME is set); "$NAME" (letters, digits and "_") and
// "${NAME}" are the variable's value, nothing when it is not set; a "$" that starts no name and an
// unclosed "${" stay as they are.
std::string ExpandPathFolder(std::string_view folder, const EnvironmentLookup& lookup = ProcessEnvironment);

// The folders of a quoted rom path ("\"a;b\"" gives "a/", "b/"), in order, each expanded as MAME
// expands it (ExpandPathFolder) and ending in "/": the enclosing quotes are dropped (an opening quote
// without a closing one keeps the whole rest) and the rest is split at ";". Entries that are or
// expand to nothing are skipped. Relative folders stay relative.
std::vector<std::string> SplitRomPath(std::string_view romPath, const EnvironmentLookup& lookup = ProcessEnvironment);

// The rom folders MAME uses for the program folder: mame.ini's rom path (MAME's own "roms" when
// mame.ini or its rom path is missing), relative folders taken under the program folder, where MAME
// runs. False, with *error, when mame.ini cannot be read.
bool MameIniRomFolders(const std::string& frontDir, std::vector<std::string>& folders, std::string* error);

// The file names of each rom folder, listed once, so the scan can test thousands of archive names
// without a file-system call each.
class RomFolderIndex {
 public:
  explicit RomFolderIndex(std::vector<std::string> folders);

  const std::vector<std::string>& Folders() const { return folders_; }
  std::size_t FolderCount() const { return folders_.size(); }
  // Whether folder number `folder` holds a file (not a folder) of exactly this name.
  bool HasFile(std::size_t folder, std::string_view name) const;
  // Whether any folder does.
  bool AnyHasFile(std::string_view name) const;

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
  };
  using NameSet = std::unordered_set<std::string, Hash, std::equal_to<>>;

  std::vector<std::string> folders_;
  std::vector<NameSet> files_;
};

}  // namespace kestrune::romscan
