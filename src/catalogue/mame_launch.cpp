#include "catalogue/mame_launch.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <system_error>

#include "catalogue/play_time.h"
#include "platform/code_pages.h"

namespace kestrune::catalogue {
namespace {

bool IsSetNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

}  // namespace

bool IsMameSetName(std::string_view romname) {
  if (romname.empty()) return false;
  for (char c : romname) {
    if (!IsSetNameCharacter(c)) return false;
  }
  return true;
}

std::vector<std::string> SplitOptions(std::string_view options) {
  std::vector<std::string> arguments;
  std::string current;
  bool inQuotes = false;
  bool started = false;
  for (char c : options) {
    if (c == '"') {
      inQuotes = !inQuotes;
      started = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (started) arguments.push_back(current);
      current.clear();
      started = false;
    } else {
      current.push_back(c);
      started = true;
    }
  }
  if (started) arguments.push_back(current);
  return arguments;
}

std::vector<std::string> MameArguments(PlayKind kind, std::string_view romname, std::string_view extraOptions,
                                       const std::string& frontDir, const std::string& iniDir,
                                       std::string_view recordingName) {
  std::vector<std::string> arguments{"-inipath", WithSlash(frontDir) + ";" + WithSlash(iniDir)};
  if (kind != PlayKind::Playback) {
    for (std::string& option : SplitOptions(extraOptions)) arguments.push_back(std::move(option));
  }
  arguments.emplace_back(romname);
  const std::string recording = recordingName.empty() ? std::string(romname) + ".inp" : std::string(recordingName);
  if (kind == PlayKind::Record) {
    arguments.insert(arguments.end(), {"-rec", recording});
  } else if (kind == PlayKind::Playback) {
    arguments.insert(arguments.end(), {"-playback", recording});
  }
  return arguments;
}

std::filesystem::path FindSetFile(const std::filesystem::path& folder, const std::string& fileName) {
  std::error_code error;
  if (std::filesystem::is_regular_file(folder / fileName, error)) return folder / fileName;
  const std::string folded = platform::AsciiLowerCopy(fileName);
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError) && platform::AsciiLowerCopy(it->path().filename().string()) == folded) {
      return it->path();
    }
  }
  return {};
}

settings::IniChain GameIniChain(const Tgameinfo& game) {
  settings::GameIniTraits traits;
  traits.romname = game.romname;
  traits.vertical = game.orientation.starts_with("Vertical");
  traits.displayType = game.video;
  traits.sourceFile = game.driver;
  traits.parent = game.cloneof;
  traits.bios = game.bios;
  return settings::IniChainOf(traits);
}

std::optional<std::string> GameOptionValue(const std::string& iniDir, const std::string& frontDir,
                                           const Tgameinfo& game, std::string_view key) {
  // The name becomes a file name.
  if (!IsMameSetName(game.romname)) return std::nullopt;
  settings::MameFolders folders;
  folders.FrontDir = frontDir;
  folders.IniDir = iniDir;
  return settings::ChainOptionValue(folders, GameIniChain(game), key);
}

WindowOption ReadWindowOption(const std::string& iniDir, const std::string& frontDir, const Tgameinfo& game) {
  const std::optional<std::string> value = GameOptionValue(iniDir, frontDir, game, "window");
  if (!value) return WindowOption::None;
  return *value == "1" ? WindowOption::Windowed : WindowOption::FullScreen;
}

// A count that cannot be read is left as it stands rather than started again at 1, and one at the top
// of its range stays there.
void CountStart(Tgameinfo& record) {
  const std::optional<std::int64_t> count = ReadTimesPlayed(record.timesplayed);
  if (count && *count < std::numeric_limits<std::int64_t>::max()) record.timesplayed = std::to_string(*count + 1);
}

void AccountPlay(Tgameinfo& record, std::int64_t playedMs) {
  const std::int64_t total = ParsePlayTime(record.playtime) + std::max<std::int64_t>(0, playedMs);
  record.playtime = FormatPlayTime(total, 0);
}

}  // namespace kestrune::catalogue
