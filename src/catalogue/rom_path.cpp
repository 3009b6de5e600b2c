#include "catalogue/rom_path.h"

#include <optional>
#include <system_error>

#include "platform/text_file.h"
#include "settings/option_file_reader.h"

namespace kestrune::catalogue {
namespace {

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder.push_back('/');
  return folder;
}

}  // namespace

bool ReadRomPath(const std::filesystem::path& mameIni, std::string& romPath, std::string* error) {
  std::vector<std::string> lines;
  if (!platform::ReadTextFileLines(mameIni, lines, error)) return false;
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

std::vector<std::string> SplitRomPath(std::string_view romPath) {
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
    if (end > start) folders.push_back(WithTrailingSlash(std::string(romPath.substr(start, end - start))));
    start = end + 1;
  }
  return folders;
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

}  // namespace kestrune::catalogue
