#include "settings/options_dialog_keys.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "settings/mame_query.h"
#include "settings/option_file_reader.h"
#include "settings/option_file_writer.h"

namespace kestrune::settings {
namespace {

constexpr std::string_view kUnsetText = "<NULL> (not set)";

using KeyedLines = std::map<std::string, std::vector<std::string>, std::less<>>;

// The key of an option line, or of the unset comment "# key   <NULL> (not set)"; section heads have none.
std::optional<std::string> OptionLineKey(std::string_view line) {
  if (line.starts_with('#')) {
    if (!line.ends_with(kUnsetText)) {
      return std::nullopt;
    }
    line = platform::TrimBlanks(line.substr(1));
  }
  const std::string_view key = line.substr(0, line.find(' '));
  return key.empty() ? std::nullopt : std::optional<std::string>(key);
}

KeyedLines LinesByKey(MameOptions options) {
  MameFolders folders;
  folders.FrontDir = "/";
  PrepareOptionsForWriting(OptionsMode::DefaultOptions, options, folders, nullptr);
  KeyedLines keyed;
  for (const std::string& line : MameIniLines(OptionsMode::DefaultOptions, options, folders, "")) {
    if (const auto key = OptionLineKey(line)) {
      keyed[*key].push_back(line);
    }
  }
  return keyed;
}

// The defaults with every line written that can be: the movie and sound files, a custom joystick map,
// the aspect ratios and a display of each list, so that the values behind them show in the file.
MameOptions ProbeOptions() {
  MameOptions options;
  ResetMameOptions(options);
  options.SetFlag(Option::savemng, true);
  options.SetFlag(Option::savesound, true);
  options.SetNumber(Option::joystick_axes, 1);
  for (const ScreenGroup& group : ScreenGroups()) {
    options.SetFlag(group.aspectAuto, false);
    options.SetDynamicItems(group.screen, {"first", "second"});
    options.SetDynamicItems(group.resolution, {"640x480@60"});
  }
  return options;
}

// The option with each other value it can take.
std::vector<MameOptions> Variants(const MameOptions& base, Option option) {
  const OptionInfo& info = Info(option);
  std::vector<MameOptions> variants;
  auto add = [&](auto change) {
    MameOptions variant = base;
    change(variant);
    variants.push_back(std::move(variant));
  };
  switch (info.kind) {
    case OptionKind::Flag:
      add([&](MameOptions& o) { o.SetFlag(option, !base.Flag(option)); });
      break;
    case OptionKind::Choice:
      for (int choice = 0; choice < static_cast<int>(base.Items(option).size()); ++choice) {
        add([&](MameOptions& o) { o.SetNumber(option, choice); });
      }
      break;
    case OptionKind::Ratio:
    case OptionKind::Whole:
      add([&](MameOptions& o) { o.SetNumber(option, info.minimum); });
      add([&](MameOptions& o) { o.SetNumber(option, info.maximum); });
      break;
    case OptionKind::Text:
      add([&](MameOptions& o) { o.SetText(option, base.Text(option) + "1"); });
      break;
  }
  return variants;
}

void AddChangedKeys(const KeyedLines& base, const KeyedLines& variant, std::set<std::string, std::less<>>& keys) {
  for (const auto& [key, lines] : base) {
    const auto other = variant.find(key);
    if (other == variant.end() || other->second != lines) {
      keys.insert(key);
    }
  }
  for (const auto& [key, lines] : variant) {
    if (!base.contains(key)) {
      keys.insert(key);
    }
  }
}

// The keys of every value, found once: the writer's table they come from does not change.
const std::array<std::vector<std::string>, kOptionCount>& KeysOfEveryOption() {
  static const auto table = [] {
    std::array<std::vector<std::string>, kOptionCount> table;
    const MameOptions base = ProbeOptions();
    const KeyedLines baseLines = LinesByKey(base);
    for (const OptionInfo& info : OptionTable()) {
      std::set<std::string, std::less<>> keys;
      for (const MameOptions& variant : Variants(base, info.id)) {
        AddChangedKeys(baseLines, LinesByKey(variant), keys);
      }
      table[static_cast<std::size_t>(Index(info.id))].assign(keys.begin(), keys.end());
    }
    return table;
  }();
  return table;
}

}  // namespace

std::vector<std::string> KeysOfOption(Option option) {
  return KeysOfEveryOption()[static_cast<std::size_t>(Index(option))];
}

std::vector<std::pair<std::string, std::string>> WrittenKeys() {
  std::vector<std::pair<std::string, std::string>> keys;
  for (const auto& [key, lines] : LinesByKey(ProbeOptions())) {
    const std::string& line = lines.front();
    // An unset line holds no value; any value does to learn whether MAME knows the key.
    const std::optional<std::string> value = line.starts_with('#') ? std::nullopt : IniLineValue(line);
    keys.emplace_back(key, value.value_or("1"));
  }
  return keys;
}

std::set<std::string, std::less<>> ShowConfigKeys(std::string_view showConfig) {
  std::set<std::string, std::less<>> keys;
  for (std::string_view line : platform::SplitTextLines(showConfig)) {
    const std::string_view key = line.substr(0, line.find_first_of(" \t"));
    if (!key.empty() && !key.starts_with('#')) {
      keys.emplace(key);
    }
  }
  return keys;
}

bool AskMameUnknownKeys(const std::filesystem::path& mame, std::vector<std::string>& unknown, std::string* error) {
  std::string config;
  if (!RunForOutput(mame, {"-showconfig"}, config, error)) {
    return false;
  }
  const std::set<std::string, std::less<>> known = ShowConfigKeys(config);
  std::vector<std::string> found;
  for (const auto& [key, value] : WrittenKeys()) {
    std::string ignored;
    // MAME stops at once on a name it does not know, and shows its configuration for one it does.
    if (!known.contains(key) && !RunForOutput(mame, {"-showconfig", "-" + key, value}, ignored, nullptr)) {
      found.push_back(key);
    }
  }
  unknown = std::move(found);
  return true;
}

std::vector<Option> IgnoredOptions(const std::vector<std::string>& unknownKeys) {
  std::vector<Option> ignored;
  for (const OptionInfo& info : OptionTable()) {
    const std::vector<std::string> keys = KeysOfOption(info.id);
    const bool allUnknown = std::all_of(keys.begin(), keys.end(), [&](const std::string& key) {
      return std::find(unknownKeys.begin(), unknownKeys.end(), key) != unknownKeys.end();
    });
    if (!keys.empty() && allUnknown) {
      ignored.push_back(info.id);
    }
  }
  return ignored;
}

}  // namespace kestrune::settings
