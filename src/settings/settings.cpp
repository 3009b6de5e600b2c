#include "settings/settings.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace kestrune::settings {
namespace {

constexpr std::string_view kSettingsFile = "ini/kestrune.ini";

bool TestText(FlagTest test, std::string_view text) { return test == FlagTest::kTextIsOne ? text == "1" : text != "0"; }

constexpr int kMaxKeptFiles = 100;

std::string Quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

// Renames the file to the first free name of "<file>.bad", "<file>.bad.1" … "<file>.bad.99". A taken
// name is never replaced: it may hold a file kept by an earlier run. Returns the new name, or an empty
// path with *error set.
std::filesystem::path MoveAside(const std::filesystem::path& path, std::string* error) {
  for (int n = 0; n < kMaxKeptFiles; ++n) {
    std::filesystem::path target = path;
    target += n == 0 ? std::string(".bad") : ".bad." + std::to_string(n);
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::symlink_status(target, code);
    if (status.type() != std::filesystem::file_type::not_found) {
      if (code) {
        *error = "cannot look at " + Quoted(target) + ": " + code.message();
        return {};
      }
      continue;
    }
    std::filesystem::rename(path, target, code);
    if (code) {
      *error = "cannot rename it to " + Quoted(target) + ": " + code.message();
      return {};
    }
    return target;
  }
  *error = "every name from " + Quoted(path.string() + ".bad") + " to " +
           Quoted(path.string() + ".bad." + std::to_string(kMaxKeptFiles - 1)) + " is taken";
  return {};
}

}  // namespace

std::optional<int> ParseInt(std::string_view text) {
  if (text.empty() || text.front() == '+') {
    return std::nullopt;
  }
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, code] = std::from_chars(text.data(), end, value);
  if (code != std::errc() || stop != end) {
    return std::nullopt;
  }
  return value;
}

Settings::Settings(std::string frontDir) : path_(frontDir + std::string(kSettingsFile)) {
  inputs_.frontDir = std::move(frontDir);
  // Its values are folders and choices written back at every close: taken as they stand, so that a
  // folder named in Latin-1 still names the same folder afterwards.
  const LoadResult result = ini_.LoadFromFile(path_, &loadError_, LineBytes::kAsIs);
  firstRun_ = result == LoadResult::kMissing;
  if (result != LoadResult::kFailed) {
    loadError_.clear();
  }
  if (result == LoadResult::kNoSections) {
    KeepFileWithoutSettings();
  }
}

// A file without a single section is nothing this program wrote, so what it holds is not known: it
// is kept under another name, where the user can look at it, and the run goes on from the defaults.
void Settings::KeepFileWithoutSettings() {
  std::string why;
  const std::filesystem::path kept = MoveAside(path_, &why);
  if (kept.empty()) {
    loadError_ = "Cannot use " + Quoted(path_) + ", which holds no settings, nor keep it aside: " + why;
    return;
  }
  firstRun_ = true;
  loadWarning_ = "The settings file " + Quoted(path_) + " held no settings; it was kept as " + Quoted(kept) +
                 " and the default settings are used.";
}

void Settings::WriteDefaults(std::string_view frontDir, std::string_view mameFile, std::string_view mameVersion) {
  inputs_ = DefaultInputs{std::string(frontDir), std::string(mameFile), std::string(mameVersion)};
  for (const SettingKey& row : SettingKeys()) {
    ini_.WriteString(row.section, row.key, DefaultValue(row, inputs_));
  }
}

std::string Settings::DefaultFor(std::string_view section, std::string_view key) const {
  const SettingKey* row = FindSettingKey(section, key);
  return row != nullptr ? DefaultValue(*row, inputs_) : std::string();
}

std::string Settings::ReadText(std::string_view section, std::string_view key) const {
  const std::string* value = ini_.FindValue(section, key);
  return value != nullptr ? *value : DefaultFor(section, key);
}

int Settings::ReadInt(std::string_view section, std::string_view key) const {
  const SettingKey* row = FindSettingKey(section, key);
  const IntRange range = row != nullptr ? row->range : IntRange{};
  if (const std::string* value = ini_.FindValue(section, key)) {
    if (const std::optional<int> number = ParseInt(*value)) {
      return std::clamp(*number, range.minimum, range.maximum);
    }
  }
  return std::clamp(ParseInt(DefaultFor(section, key)).value_or(0), range.minimum, range.maximum);
}

bool Settings::ReadFlag(std::string_view section, std::string_view key) const {
  const SettingKey* row = FindSettingKey(section, key);
  const FlagTest test = row != nullptr ? row->flag : FlagTest::kNone;
  switch (test) {
    case FlagTest::kTextIsOne:
    case FlagTest::kTextNotZero:
      return TestText(test, ReadText(section, key));
    case FlagTest::kNumberIsOne:
      return ReadInt(section, key) == 1;
    case FlagTest::kNone:
    case FlagTest::kNumberNotZero:
      break;
  }
  return ReadInt(section, key) != 0;
}

bool Settings::WriteText(std::string_view section, std::string_view key, std::string_view value) {
  return ini_.WriteString(section, key, value);
}

bool Settings::WriteInt(std::string_view section, std::string_view key, int value) {
  return ini_.WriteString(section, key, std::to_string(value));
}

bool Settings::WriteFlag(std::string_view section, std::string_view key, bool on) {
  return ini_.WriteString(section, key, on ? "1" : "0");
}

bool Settings::Save(std::string* error) const {
  // The file is there but was not read: what this run holds is not the user's settings, and writing it
  // would lose their favourites and choices.
  if (!loadError_.empty()) {
    if (error != nullptr) {
      *error = "Not saving \"" + path_.string() + "\", which could not be read: " + loadError_;
    }
    return false;
  }
  std::error_code code;
  std::filesystem::create_directories(path_.parent_path(), code);
  if (code) {
    if (error != nullptr) {
      *error = "Cannot create the folder \"" + path_.parent_path().string() + "\": " + code.message();
    }
    return false;
  }
  return ini_.SaveToFile(path_, error);
}

}  // namespace kestrune::settings
