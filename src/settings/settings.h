#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/settings_schema.h"

namespace kestrune::settings {

// The whole text as a decimal integer with an optional leading "-"; nothing else (no blanks, no "+",
// no overflow) is accepted.
std::optional<int> ParseInt(std::string_view text);

// The front-end's settings file, FrontDir + "ini/kestrune.ini", held in memory for the whole run and
// written to disk only by Save.
//
// The typed reads never fail: a missing key, or a value that does not convert, reads as the key's
// first-run default (the computed defaults use the inputs of the last WriteDefaults, else the program
// folder given here with an empty executable name and version). A key the table does not hold reads as
// "", 0 or off.
class Settings {
 public:
  // Loads the file when it exists. frontDir is the program folder ending in "/".
  explicit Settings(std::string frontDir);

  const std::filesystem::path& FilePath() const { return path_; }
  // No settings file existed when this object was made, or it held no settings and was moved aside.
  bool IsFirstRun() const { return firstRun_; }
  // Why an existing file could not be read (then every key reads as its default); empty otherwise.
  const std::string& LoadError() const { return loadError_; }
  // For the user, when the file held no settings (no section: binary bytes, UTF-16, text without a
  // "[section]"): it was renamed to "kestrune.ini.bad" — or "kestrune.ini.bad.1" … ".bad.99", the
  // first free name, so that no file kept earlier is replaced — and this run starts from the defaults
  // as a first run. Names both files. Empty otherwise. When no free name is left or the rename fails,
  // the file stays and LoadError says why instead, so that it is never saved over.
  const std::string& LoadWarning() const { return loadWarning_; }

  // Writes every key of the table with its first-run default, in table order.
  void WriteDefaults(std::string_view frontDir, std::string_view mameFile, std::string_view mameVersion);

  std::string ReadText(std::string_view section, std::string_view key) const;
  // Keys whose default is not a number either (an empty font size, say) read as 0. The number is
  // clamped to the key's range (±kMaxCoordinate unless the table says otherwise).
  int ReadInt(std::string_view section, std::string_view key) const;
  // By the key's own FlagTest; a key that is not a switch is on when it converts to a number other than 0.
  bool ReadFlag(std::string_view section, std::string_view key) const;

  // Each returns false when the text cannot be stored (see IniFile::WriteString).
  bool WriteText(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int value);
  // Switches are stored as "1" and "0".
  bool WriteFlag(std::string_view section, std::string_view key, bool on);

  // Direct access for the favourites and other callers that work on whole sections.
  IniFile& Ini() { return ini_; }
  const IniFile& Ini() const { return ini_; }

  // Writes the file atomically, creating the "ini" folder when missing. On failure the old file is
  // left whole and *error says why. A file that existed but could not be read is never overwritten.
  bool Save(std::string* error) const;

 private:
  std::string DefaultFor(std::string_view section, std::string_view key) const;
  void KeepFileWithoutSettings();

  DefaultInputs inputs_;
  std::filesystem::path path_;
  IniFile ini_;
  bool firstRun_ = false;
  std::string loadError_;
  std::string loadWarning_;
};

}  // namespace kestrune::settings
