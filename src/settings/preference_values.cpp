#include "settings/preference_values.h"

#include <system_error>
#include <vector>

#include "platform/code_pages.h"
#include "platform/executable.h"
#include "platform/text_file.h"
#include "settings/option_file_reader.h"
#include "settings/settings.h"

namespace kestrune::settings {
namespace {

// In the order a line is matched: the first prefix a line starts with wins.
constexpr MameFolderEntry kMameFolders[] = {
    {"rompath", &MameFolders::RomPath, "roms", "mameromdir"},
    {"samplepath", &MameFolders::SamplePath, "samples", "mamesampledir"},
    {"artpath", &MameFolders::ArtPath, "artwork", "mameartdir"},
    {"ctrlrpath", &MameFolders::CtrlrPath, "ctrlr", "mamectrldir"},
    {"inipath", &MameFolders::IniDir, "ini", "mameinidir"},
    {"fontpath", &MameFolders::FontPath, "font", "mamefontdir"},
    {"cfg_d", &MameFolders::CfgDir, "cfg", "mamecfgdir"},
    {"nvram_d", &MameFolders::NvramDir, "nvram", "mamenvramdir"},
    {"memcard_d", &MameFolders::MemcardDir, "memcard", "mamecarddir"},
    {"input_d", &MameFolders::InpDir, "inp", "mameinpdir"},
    {"state_d", &MameFolders::StateDir, "sta", "mamestadir"},
    {"diff_d", &MameFolders::DiffDir, "diff", "mamediffdir"},
};

constexpr FrontEndFolderEntry kFrontEndFolders[] = {
    {"snapdir", "snap", "mamesnapdir"},
    {"inpdir", "inp", "mameinpdir"},
    {"inidir", "ini", "mameinidir"},
    {"flyerdir", "flyers", "mameflyerdir"},
    {"marqueedir", "marquees", "mamemarqueedir"},
    {"cabinetdir", "cabinets", "mamecabinetdir"},
    {"controldir", "cpanel", "mamecontroldir"},
    {"titledir", "titles", "mametitledir"},
    {"mngdir", "mng", "mamemngdir"},
    {"icondir", "icons", "mameicondir"},
};

std::string Unquoted(std::string value) {
  if (!value.empty() && value.front() == '"') {
    value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
  }
  return value;
}

bool IsMame32Name(const std::string& name) {
  for (std::string_view refused : {"mame32.exe", "mame32pp.exe", "mame32", "mame32pp"}) {
    if (platform::EqualsIgnoreAsciiCase(name, refused)) return true;
  }
  return false;
}

bool SameFolder(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  return !error ? false : a.lexically_normal() == b.lexically_normal();
}

}  // namespace

std::span<const MameFolderEntry> MameFolderEntries() { return kMameFolders; }

std::span<const FrontEndFolderEntry> FrontEndFolderEntries() { return kFrontEndFolders; }

std::string FolderOrDefault(std::string_view typed, std::string_view frontDir, std::string_view word) {
  return typed.empty() ? std::string(frontDir) + std::string(word) : std::string(typed);
}

void DefaultMameFolders(MameFolders& folders) {
  for (const MameFolderEntry& entry : kMameFolders) {
    folders.*entry.folder = FolderOrDefault("", folders.FrontDir, entry.word);
  }
}

bool ReadMameFolders(const std::filesystem::path& mameIni, MameFolders& folders, std::string* error) {
  std::vector<std::string> lines;
  if (!ReadOptionFileLines(mameIni, lines, error)) {
    DefaultMameFolders(folders);
    return false;
  }
  ApplyMameFolderLines(lines, folders);
  return true;
}

void ApplyMameFolderLines(const std::vector<std::string>& lines, MameFolders& folders, bool keepProgramFolders) {
  for (const std::string& line : lines) {
    for (const MameFolderEntry& entry : kMameFolders) {
      if (!line.starts_with(entry.prefix)) continue;
      const bool programFolder = entry.folder == &MameFolders::IniDir || entry.folder == &MameFolders::InpDir;
      if (keepProgramFolders && programFolder) break;
      std::string value = Unquoted(IniLineValue(line).value_or(std::string()));
      // The program writes its game ini files and looks for recordings in these two: a list of folders or
      // a "$HOME" (MAME's own "$HOME/.mame;/etc/mame") names no folder it could create or write in.
      if (programFolder && value.find_first_of(";$~") != std::string::npos) break;
      // The front-end's controller folder comes first; MAME's own follow it and are kept apart.
      if (entry.folder == &MameFolders::CtrlrPath) value = value.substr(0, value.find(';'));
      folders.*entry.folder = std::move(value);
      break;
    }
  }
}

ExecutableVerdict CheckMameExecutable(const std::filesystem::path& chosen, const std::string& frontDir) {
  if (IsMame32Name(chosen.filename().string())) return ExecutableVerdict::Mame32;
  if (!SameFolder(chosen.parent_path(), std::filesystem::path(frontDir))) return ExecutableVerdict::OtherFolder;
  return platform::IsRunnableFile(chosen) ? ExecutableVerdict::Accepted : ExecutableVerdict::NotExecutable;
}

std::string ExecutableRefusal(ExecutableVerdict verdict, const std::filesystem::path& chosen) {
  switch (verdict) {
    case ExecutableVerdict::Accepted:
      return {};
    case ExecutableVerdict::Mame32:
      return "Kestrune does not support Mame32 binaries";
    case ExecutableVerdict::OtherFolder:
      return "The mame file must be in the same folder as Kestrune";
    case ExecutableVerdict::NotExecutable:
      return chosen.string() + " is not a program that can be run.";
  }
  return {};
}

int CycleIntervalMs(std::string_view seconds) {
  const std::optional<int> value = ParseInt(seconds);
  return value && *value > 0 && *value <= 24 * 3600 ? *value * 1000 : 2000;
}

std::optional<Rgb> ColourFromNumber(std::string_view number) {
  const std::optional<int> value = ParseInt(number);
  if (!value || *value < 0 || *value > 0xFFFFFF) return std::nullopt;
  return Rgb{*value & 0xFF, (*value >> 8) & 0xFF, (*value >> 16) & 0xFF};
}

std::string ColourNumber(const Rgb& colour) {
  return std::to_string((colour.blue & 0xFF) << 16 | (colour.green & 0xFF) << 8 | (colour.red & 0xFF));
}

}  // namespace kestrune::settings
