#pragma once

#include <span>
#include <string>
#include <string_view>

// Every key of the front-end's settings file with its first-run default, in the order a first run
// writes them (which is also their order in a new file).
namespace kestrune::settings {

inline constexpr std::string_view kUiSection = "kestruneui";
inline constexpr std::string_view kMameSection = "mame";
inline constexpr std::string_view kFavoritesSection = "favorites";
inline constexpr std::string_view kFavoritesCountKey = "count";

// Where a key's first-run default comes from.
enum class DefaultFrom {
  kText,            // the fixed text of the row
  kFrontDir,        // the program folder
  kFrontDirFolder,  // the program folder followed by the row's word (no trailing "/")
  kMameFile,        // the MAME executable's file name, or ""
  kMameVersion,     // the emulator version text, "" on a first run
};

// How a switch's value is taken. The keys differ, and the difference shows with values other than
// "0" and "1": "2" is on for kNotZero tests and off for kIsOne tests; "01" is on for kNumberIsOne but
// off for kTextIsOne.
enum class FlagTest {
  kNone,           // not a switch
  kTextIsOne,      // on only when the text is "1"
  kTextNotZero,    // off only when the text is "0"
  kNumberIsOne,    // on only when the value converts to 1
  kNumberNotZero,  // off only when the value converts to 0
};

// Window positions and sizes, list widths and every other number of the file stay within this, so
// that sums and differences of a few of them cannot overflow an int (nor Qt's coordinates).
inline constexpr int kMaxCoordinate = 32767;

// The values a number of the file is clamped to before use.
struct IntRange {
  int minimum = -kMaxCoordinate;
  int maximum = kMaxCoordinate;
};

struct SettingKey {
  std::string_view section;
  std::string_view key;
  DefaultFrom source;
  std::string_view text;  // the default for kText, the folder word for kFrontDirFolder
  FlagTest flag;
  IntRange range = {};  // for the keys read as numbers
};

// What the computed defaults are made of. frontDir is the program folder ending in "/".
struct DefaultInputs {
  std::string frontDir;
  std::string mameFile;
  std::string mameVersion;
};

// The table, in first-run order: section kestruneui, then mame, then favorites.
std::span<const SettingKey> SettingKeys();
// The row of a key (names compared ignoring ASCII case), or null for a key the table does not hold.
const SettingKey* FindSettingKey(std::string_view section, std::string_view key);
std::string DefaultValue(const SettingKey& key, const DefaultInputs& inputs);

}  // namespace kestrune::settings
