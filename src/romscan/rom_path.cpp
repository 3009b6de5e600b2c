#include "romscan/rom_path.h"

#include <cstdlib>
#include <optional>
#include <system_error>

#include "platform/text_file.h"
#include "settings/option_file_reader.h"

namespace kestrune::romscan {
namespace {

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder.push_back('/');
  return folder;
}

bool IsNameCharacter(char c) {
  return c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The variable named after a "$" at the start of `rest`, with how much of `rest` the reference takes;
// nothing when no name follows (the "$" then stands for itself).
std::optional<std::size_t> AppendVariable(std::string_view rest, std::string& out, const EnvironmentLookup& lookup) {
  std::string_view name;
  std::size_t taken = 0;
  if (rest.starts_with('{')) {
    const std::size_t close = rest.find('}');
    if (close == std::string_view::npos) return std::nullopt;
    name = rest.substr(1, close - 1);
    taken = close + 1;
  } else {
    while (taken < rest.size() && IsNameCharacter(rest[taken])) ++taken;
    if (taken == 0) return std::nullopt;
    name = rest.substr(0, taken);
  }
  // MAME warns of an unset variable and puts nothing in its place.
  if (const std::optional<std::string> value = lookup(std::string(name))) out += *value;
  return taken;
}

}  // namespace

std::optional<std::string> ProcessEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::string ExpandPathFolder(std::string_view folder, const EnvironmentLookup& lookup) {
  std::string out;
  if (folder.starts_with('~') && (folder.size() == 1 || folder[1] == '/')) {
    if (const std::optional<std::string> home = lookup("HOME")) {
      out = *home;
      folder.remove_prefix(1);
    }
  }
  while (!folder.empty()) {
    const std::size_t dollar = folder.find('$');
    out.append(folder.substr(0, dollar));
    if (dollar == std::string_view::npos) break;
    folder.remove_prefix(dollar + 1);
    if (const std::optional<std::size_t> taken = AppendVariable(folder, out, lookup)) {
      folder.remove_prefix(*taken);
    } else {
      out += '$';
    }
  }
  return out;
}

bool ReadRomPath(const std::filesystem::path& mameIni, std::string& romPath, std::string* error) {
  std::vector<std::string> lines;
  // A folder is bytes: one named in Latin-1 is that folder, not its UTF-8 spelling.
  if (!platform::ReadTextFileLinesAsIs(mameIni, lines, error)) return false;
  for (const std::string& line : lines) {
    if (line.compare(0, 3, "rom") != 0) continue;
    const std::optional<std::string> value = settings::IniLineValue(line);
    // A key without a value leaves the rom path alone rather than making up a folder.
    if (!value) return true;
    romPath = value->front() == '"' ? *value : "\"" + *value + "\"";
    return true;
  }
  return true;
}

std::vector<std::string> SplitRomPath(std::string_view romPath, const EnvironmentLookup& lookup) {
  if (romPath.starts_with('"')) {
    romPath.remove_prefix(1);
    if (romPath.ends_with('"')) romPath.remove_suffix(1);
  }
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= romPath.size()) {
    std::size_t end = romPath.find(';', start);
    if (end == std::string_view::npos) end = romPath.size();
    // An empty entry names no folder; taken as "/" it would search the whole file system's root.
    std::string folder = ExpandPathFolder(romPath.substr(start, end - start), lookup);
    if (!folder.empty()) folders.push_back(WithTrailingSlash(std::move(folder)));
    start = end + 1;
  }
  return folders;
}

bool MameIniRomFolders(const std::string& frontDir, std::vector<std::string>& folders, std::string* error) {
  const std::filesystem::path mameIni = std::filesystem::path(frontDir) / "mame.ini";
  std::string romPath = "\"roms\"";
  std::error_code ec;
  if (std::filesystem::exists(mameIni, ec) && !ReadRomPath(mameIni, romPath, error)) return false;
  folders = SplitRomPath(romPath);
  for (std::string& folder : folders) {
    if (std::filesystem::path(folder).is_relative()) folder = frontDir + folder;
  }
  return true;
}

RomFolderIndex::RomFolderIndex(std::vector<std::string> folders) : folders_(std::move(folders)) {
  files_.resize(folders_.size());
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folders_[i], ec);
    // A missing or unreadable folder holds nothing, as for MAME.
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
      std::error_code typeError;
      if (it->is_regular_file(typeError)) files_[i].insert(it->path().filename().string());
    }
  }
}

bool RomFolderIndex::HasFile(std::size_t folder, std::string_view name) const {
  return folder < files_.size() && files_[folder].find(name) != files_[folder].end();
}

bool RomFolderIndex::AnyHasFile(std::string_view name) const {
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (HasFile(i, name)) return true;
  }
  return false;
}

}  // namespace kestrune::romscan
