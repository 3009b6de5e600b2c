#include "settings/game_ini_chain.h"

#include <algorithm>
#include <iterator>
#include <system_error>
#include <utility>

#include "platform/code_pages.h"
#include "settings/mame_query.h"
#include "settings/option_file_reader.h"

namespace kestrune::settings {
namespace {

constexpr std::string_view kAttempt = "Attempting load of ";
constexpr std::string_view kParsing = "Parsing ";

std::string OwnName(std::string_view romname) { return std::string(romname) + ".ini"; }

// A name MAME printed is read as a file below the ini path's folders, never above or beside them.
bool IsChainName(std::string_view name) {
  if (name.size() <= 4 || !name.ends_with(".ini") || name.front() == '/' || name.front() == '\\') return false;
  const std::filesystem::path path(name);
  return std::none_of(path.begin(), path.end(), [](const std::filesystem::path& part) { return part == ".."; });
}

struct Scan {
  IniChain names;
  bool ended = false;  // the game's own file was named, or MAME went on to something else
};

// MAME names the files once for its own start and once more for the game; both lists end with the
// game's own file, so the first is enough. What follows an ini file's lines ends them.
Scan ScanVerbose(std::string_view output, std::string_view romname, bool wholeLinesOnly) {
  Scan scan;
  const std::string own = OwnName(romname);
  while (!output.empty() && !scan.ended) {
    const std::size_t end = output.find('\n');
    if (end == std::string_view::npos && wholeLinesOnly) break;
    std::string_view line = output.substr(0, end);
    output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.starts_with(kParsing) && line.ends_with(".ini")) continue;
    const std::string_view name = line.starts_with(kAttempt) ? line.substr(kAttempt.size()) : std::string_view();
    if (!name.ends_with(".ini")) {
      scan.ended = !scan.names.empty();
      continue;
    }
    if (IsChainName(name)) scan.names.emplace_back(name);
    scan.ended = name == own;
  }
  return scan;
}

// The source file's name without its folder and extension, as MAME names the source's file.
std::string BaseName(std::string_view file) {
  const std::size_t slash = file.find_last_of("/\\");
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  const std::size_t dot = file.rfind('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? file : file.substr(0, dot));
}

}  // namespace

IniChain IniChainOf(const GameIniTraits& game) {
  IniChain chain{std::string(kMameIniName), game.vertical ? "vertical.ini" : "horizont.ini", "arcade.ini"};
  const std::string display = platform::AsciiLowerCopy(game.displayType);
  if (display == "raster" || display == "vector" || display == "lcd") chain.push_back(display + ".ini");
  if (const std::string source = BaseName(game.sourceFile); !source.empty()) {
    chain.push_back("source/" + source + ".ini");
  }
  const std::string bios = platform::AsciiLowerCopy(game.bios);
  for (const std::string& set : {bios, game.parent}) {
    if (!set.empty() && set != game.romname && std::find(chain.begin(), chain.end(), OwnName(set)) == chain.end()) {
      chain.push_back(OwnName(set));
    }
  }
  chain.push_back(OwnName(game.romname));
  return chain;
}

bool NamesWholeIniChain(std::string_view output, std::string_view romname) {
  return ScanVerbose(output, romname, true).ended;
}

std::optional<IniChain> IniChainFromVerbose(std::string_view output, std::string_view romname) {
  IniChain names = ScanVerbose(output, romname, false).names;
  const auto last = std::find(names.rbegin(), names.rend(), kMameIniName);
  if (last == names.rend()) return std::nullopt;
  return IniChain(std::prev(last.base()), names.end());
}

bool AskMameIniChain(const std::filesystem::path& mame, std::vector<std::string> playArguments,
                     std::string_view romname, IniChain& chain, std::string* error) {
  playArguments.insert(playArguments.end(), {"-verbose", "-video", "none", "-sound", "none"});
  std::string output;
  const auto whole = [romname](std::string_view text) { return NamesWholeIniChain(text, romname); };
  // MAME names the files in a few hundred bytes; the output is looked through again as it grows.
  constexpr std::size_t kMaxOutput = std::size_t{1} << 20;
  if (!RunUntilEnough(mame, playArguments, output, whole, error, kMameQueryTimeout, kMaxOutput)) return false;
  std::optional<IniChain> named = IniChainFromVerbose(output, romname);
  if (!named) {
    if (error != nullptr) {
      *error = mame.string() + " did not name the option files it reads for " + std::string(romname);
    }
    return false;
  }
  chain = std::move(*named);
  return true;
}

namespace {

const IniChain& NamesOf(const IniChain& chain) {
  static const IniChain kMameIniAlone{std::string(kMameIniName)};
  return chain.empty() ? kMameIniAlone : chain;
}

// The file MAME reads for a name of the chain: the first folder of the ini path that holds it. A name from
// the game list may reach above the folders (a parent "../x"); MAME's never do.
std::optional<std::filesystem::path> FindOnIniPath(const MameFolders& folders, const std::string& name) {
  if (!IsChainName(name)) return std::nullopt;
  for (const std::string& folder : {folders.FrontDir, folders.IniDir}) {
    const std::filesystem::path file = std::filesystem::path(folder) / name;
    std::error_code ec;
    if (!folder.empty() && std::filesystem::is_regular_file(file, ec)) return file;
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::filesystem::path> ChainFilesBefore(const MameFolders& folders, const IniChain& chain,
                                                    std::string_view romname) {
  const std::string own = OwnName(romname);
  std::vector<std::filesystem::path> files;
  for (const std::string& name : NamesOf(chain)) {
    if (name == own) continue;
    if (std::optional<std::filesystem::path> file = FindOnIniPath(folders, name)) files.push_back(std::move(*file));
  }
  return files;
}

std::optional<std::string> ChainOptionValue(const MameFolders& folders, const IniChain& chain, std::string_view key) {
  std::optional<std::string> value;
  for (const std::string& name : NamesOf(chain)) {
    const std::optional<std::filesystem::path> file = FindOnIniPath(folders, name);
    std::vector<std::string> lines;
    if (!file || !ReadOptionFileLines(*file, lines, nullptr)) continue;
    if (std::optional<std::string> set = LastOptionValue(lines, key)) value = std::move(set);
    // MAME asks before each file whether it may read more.
    if (LastOptionValue(lines, "readconfig") == "0") break;
  }
  return value;
}

std::vector<std::string> ReadChainLinesBefore(const MameFolders& folders, const IniChain& chain,
                                              std::string_view romname) {
  std::vector<std::string> lines;
  for (const std::filesystem::path& file : ChainFilesBefore(folders, chain, romname)) {
    std::vector<std::string> more;
    if (ReadOptionFileLines(file, more, nullptr)) lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

}  // namespace kestrune::settings
