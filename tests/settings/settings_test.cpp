#include "settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>

#include "platform/code_pages.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::TestDataDir;
using test::WriteFileBytes;

TEST(Settings, FirstRunFileMatchesTheGoldenFile) {
  TempDir dir;
  Settings settings(dir.folder());
  ASSERT_TRUE(settings.IsFirstRun());
  settings.WriteDefaults("/games/kestrune/", "mame", "");
  std::string error;
  ASSERT_TRUE(settings.Save(&error)) << error;  // also creates the "ini" folder
  EXPECT_EQ(ReadFileBytes(dir / "ini/kestrune.ini"), ReadFileBytes(TestDataDir() / "settings/first_run_kestrune.ini"));
}

TEST(Settings, ASavedFileIsNoFirstRunAndReadsBack) {
  TempDir dir;
  {
    Settings settings(dir.folder());
    settings.WriteDefaults(dir.folder(), "mame", "0.251 (2024-01-01)");
    settings.WriteInt(kUiSection, "winwidth", 1280);
    settings.WriteFlag(kUiSection, "cycle", true);
    std::string error;
    ASSERT_TRUE(settings.Save(&error)) << error;
  }
  Settings reopened(dir.folder());
  EXPECT_FALSE(reopened.IsFirstRun());
  EXPECT_TRUE(reopened.LoadError().empty());
  EXPECT_EQ(reopened.ReadInt(kUiSection, "winwidth"), 1280);
  EXPECT_TRUE(reopened.ReadFlag(kUiSection, "cycle"));
  EXPECT_EQ(reopened.ReadText(kUiSection, "mameversion"), "0.251 (2024-01-01)");
  EXPECT_EQ(reopened.ReadText(kMameSection, "snapdir"), dir.folder() + "snap");
}

TEST(Settings, ValuesComeBackByteForByteWhateverTheirEncoding) {
  TempDir dir;
  const std::string file =
      "[kestruneui]\r\nlanguage=1\r\n\r\n[mame]\r\nsnapdir=/data/sn\xe4ps\r\nflyerdir=/data/fl\xc3\xbc" "ers\r\n\r\n";
  std::filesystem::create_directories(dir / "ini");
  WriteFileBytes(dir / "ini/kestrune.ini", file);
  Settings settings(dir.folder());
  EXPECT_EQ(settings.ReadText(kMameSection, "snapdir"), "/data/sn\xe4ps");
  std::string error;
  ASSERT_TRUE(settings.Save(&error)) << error;
  EXPECT_EQ(ReadFileBytes(dir / "ini/kestrune.ini"), file);
}

TEST(Settings, AFirstRunThatIsNotSavedLeavesNoFile) {
  TempDir dir;
  {
    Settings settings(dir.folder());
    settings.WriteDefaults(dir.folder(), "", "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "ini/kestrune.ini"));
  EXPECT_TRUE(Settings(dir.folder()).IsFirstRun());
}

TEST(Settings, SaveReportsAFolderItCannotCreate) {
  TempDir dir;
  WriteFileBytes(dir / "ini", "a file where the folder belongs");
  Settings settings(dir.folder());
  settings.WriteDefaults(dir.folder(), "", "");
  std::string error;
  EXPECT_FALSE(settings.Save(&error));
  EXPECT_NE(error.find("ini"), std::string::npos) << error;
}

// One row per thing standing where the settings file belongs that cannot be read as one; `kept` tells
// that it is still there, untouched, after a save was tried.
struct UnreadableCase {
  const char* name;
  void (*make)(const std::filesystem::path& path);
  bool (*kept)(const std::filesystem::path& path);
};

void PrintTo(const UnreadableCase& row, std::ostream* out) { *out << row.name; }

class SettingsUnreadable : public testing::TestWithParam<UnreadableCase> {};

TEST_P(SettingsUnreadable, IsReportedReadsDefaultsAndIsNeverOverwritten) {
  const UnreadableCase& row = GetParam();
  TempDir dir;
  std::filesystem::create_directories(dir / "ini");
  const auto path = dir / "ini/kestrune.ini";
  row.make(path);
  Settings settings(dir.folder());
  EXPECT_FALSE(settings.IsFirstRun());
  EXPECT_NE(settings.LoadError().find(path.string()), std::string::npos) << settings.LoadError();
  EXPECT_EQ(settings.ReadInt(kUiSection, "splitter"), 485);

  // What this run holds is not the user's file, so it is never written over it.
  settings.WriteDefaults(dir.folder(), "mame", "");
  std::string error;
  EXPECT_FALSE(settings.Save(&error));
  EXPECT_NE(error.find("could not be read"), std::string::npos) << error;
  EXPECT_TRUE(row.kept(path));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SettingsUnreadable,
    testing::Values(UnreadableCase{"Folder", [](const auto& path) { std::filesystem::create_directory(path); },
                                   [](const auto& path) { return std::filesystem::is_directory(path); }},
                    UnreadableCase{"NamedPipe", [](const auto& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
                                   [](const auto& path) { return std::filesystem::is_fifo(path); }},
                    UnreadableCase{"LinkToAnEndlessDevice",
                                   [](const auto& path) { std::filesystem::create_symlink("/dev/zero", path); },
                                   [](const auto& path) {
                                     return std::filesystem::is_symlink(path) &&
                                            std::filesystem::read_symlink(path) == "/dev/zero";
                                   }}),
    [](const testing::TestParamInfo<UnreadableCase>& info) { return std::string(info.param.name); });

// The text in UTF-16 little-endian with its byte-order mark, as Windows editors save "Unicode".
std::string Utf16Le(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

// One row per settings file that was read: whether it holds no settings and is kept aside.
struct NoSectionCase {
  const char* name;
  std::string bytes;
  bool keptAside;
};

void PrintTo(const NoSectionCase& row, std::ostream* out) { *out << row.name; }

class SettingsWithoutSections : public testing::TestWithParam<NoSectionCase> {};

TEST_P(SettingsWithoutSections, AreKeptAsideBeforeAnythingIsSaved) {
  const NoSectionCase& row = GetParam();
  TempDir dir;
  std::filesystem::create_directories(dir / "ini");
  const auto path = dir / "ini/kestrune.ini";
  const auto bad = dir / "ini/kestrune.ini.bad";
  WriteFileBytes(path, row.bytes);
  Settings settings(dir.folder());
  EXPECT_TRUE(settings.LoadError().empty()) << settings.LoadError();
  EXPECT_EQ(settings.IsFirstRun(), row.keptAside);
  if (row.keptAside) {
    EXPECT_EQ(settings.LoadWarning(), "The settings file \"" + path.string() +
                                          "\" held no settings; it was kept as \"" + bad.string() +
                                          "\" and the default settings are used.");
  } else {
    EXPECT_EQ(settings.LoadWarning(), "");
  }

  settings.WriteDefaults(dir.folder(), "mame", "");
  std::string error;
  ASSERT_TRUE(settings.Save(&error)) << error;
  EXPECT_EQ(ReadFileBytes(path).starts_with("[kestruneui]\r\n"), true);
  if (row.keptAside) {
    EXPECT_EQ(ReadFileBytes(bad), row.bytes);
  } else {
    EXPECT_FALSE(std::filesystem::exists(bad));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsWithoutSections,
    testing::Values(NoSectionCase{"BinaryBytes", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\x01\xFF", 18), true},
                    NoSectionCase{"Utf16WithByteOrderMark", Utf16Le("[kestruneui]\r\nlist=2\r\n"), true},
                    NoSectionCase{"Utf16BigEndianMarkOnly", "\xFE\xFF", true},
                    NoSectionCase{"TextBeforeAnySection", "list=2\r\n; mine\r\n", true},
                    NoSectionCase{"Empty", "", false}, NoSectionCase{"BlanksAndLineEnds", " \r\n\t\n", false},
                    NoSectionCase{"JunkBeforeASection", "junk\r\n[kestruneui]\r\nlist=2\r\n", false}),
    [](const testing::TestParamInfo<NoSectionCase>& info) { return std::string(info.param.name); });

TEST(Settings, AFileWithoutSectionsNeverReplacesOneKeptBefore) {
  TempDir dir;
  std::filesystem::create_directories(dir / "ini");
  const auto path = dir / "ini/kestrune.ini";
  WriteFileBytes(dir / "ini/kestrune.ini.bad", "kept before");
  WriteFileBytes(path, "garbage");
  {
    Settings settings(dir.folder());
    EXPECT_NE(settings.LoadWarning().find("kestrune.ini.bad.1\""), std::string::npos) << settings.LoadWarning();
    EXPECT_EQ(ReadFileBytes(dir / "ini/kestrune.ini.bad"), "kept before");
    EXPECT_EQ(ReadFileBytes(dir / "ini/kestrune.ini.bad.1"), "garbage");
  }

  // With no free name left the file stays where it is and, not being read, is never saved over.
  for (int n = 2; n < 100; ++n) {
    WriteFileBytes(dir / ("ini/kestrune.ini.bad." + std::to_string(n)), "");
  }
  WriteFileBytes(path, "garbage");
  Settings settings(dir.folder());
  EXPECT_FALSE(settings.IsFirstRun());
  EXPECT_EQ(settings.LoadWarning(), "");
  EXPECT_NE(settings.LoadError().find("is taken"), std::string::npos) << settings.LoadError();
  settings.WriteDefaults(dir.folder(), "mame", "");
  EXPECT_FALSE(settings.Save(nullptr));
  EXPECT_EQ(ReadFileBytes(path), "garbage");
}

// One row per stored value, with what each typed read makes of it. A null stored value means the key
// is missing; then and for values that do not convert, the key's first-run default is read.
struct ReadCase {
  const char* key;
  const char* stored;
  const char* text;
  int number;
  bool flag;
};

class SettingsTypedRead : public testing::TestWithParam<ReadCase> {};

TEST_P(SettingsTypedRead, FallsBackToTheDefault) {
  const ReadCase& row = GetParam();
  TempDir dir;
  Settings settings(dir.folder());
  if (row.stored != nullptr) {
    ASSERT_TRUE(settings.WriteText(kUiSection, row.key, row.stored));
  }
  EXPECT_EQ(settings.ReadText(kUiSection, row.key), row.text);
  EXPECT_EQ(settings.ReadInt(kUiSection, row.key), row.number);
  EXPECT_EQ(settings.ReadFlag(kUiSection, row.key), row.flag);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsTypedRead,
    testing::Values(
        // Numbers.
        ReadCase{"winwidth", nullptr, "925", 925, true}, ReadCase{"winwidth", "1024", "1024", 1024, true},
        ReadCase{"winwidth", "", "", 925, true}, ReadCase{"winwidth", "wide", "wide", 925, true},
        ReadCase{"winwidth", "12px", "12px", 925, true}, ReadCase{"winwidth", "+12", "+12", 925, true},
        ReadCase{"winwidth", "1 2", "1 2", 925, true}, ReadCase{"winwidth", "99999999999", "99999999999", 925, true},
        ReadCase{"winwidth", "0x10", "0x10", 925, true}, ReadCase{"winwidth", "007", "007", 7, true},
        ReadCase{"selected", nullptr, "-1", -1, true}, ReadCase{"selected", "-12", "-12", -1, true},
        ReadCase{"selected", "-", "-", -1, true}, ReadCase{"language", "3", "3", 3, true},
        ReadCase{"language", "", "", 0, false},
        // Keys whose default is empty read as 0 when they hold no number.
        ReadCase{"listfontsize", nullptr, "", 0, false}, ReadCase{"listfontsize", "10", "10", 10, true},
        // Switches tested against the text "1".
        ReadCase{"shownodump", nullptr, "1", 1, true}, ReadCase{"shownodump", "0", "0", 0, false},
        ReadCase{"shownodump", "2", "2", 2, false}, ReadCase{"shownodump", "yes", "yes", 1, false},
        ReadCase{"hidemouse", "01", "01", 1, false},
        // Switches tested against the text "0".
        ReadCase{"showclones", nullptr, "1", 1, true}, ReadCase{"showclones", "0", "0", 0, false},
        ReadCase{"showclones", "2", "2", 2, true}, ReadCase{"showclones", "", "", 1, true},
        ReadCase{"historytab", "00", "00", 0, true},
        // Switches tested as the number 1.
        ReadCase{"cycle", nullptr, "0", 0, false}, ReadCase{"cycle", "01", "01", 1, true},
        ReadCase{"cycle", "2", "2", 2, false}, ReadCase{"cycle", "on", "on", 0, false},
        // Switches tested as a number other than 0.
        ReadCase{"winmax", "1", "1", 1, true}, ReadCase{"winmax", "2", "2", 2, true},
        ReadCase{"showtabs", "junk", "junk", 0, false}, ReadCase{"autoini", "junk", "junk", 1, true},
        ReadCase{"autoini", "00", "00", 0, false},
        // Keys the table does not hold.
        ReadCase{"nosuchkey", nullptr, "", 0, false}, ReadCase{"nosuchkey", "5", "5", 5, true}));

TEST(Settings, ComputedDefaultsFollowTheirInputs) {
  TempDir dir;
  Settings settings(dir.folder());
  // Before WriteDefaults the folder keys fall back to the folder the settings were opened in.
  EXPECT_EQ(settings.ReadText(kMameSection, "icondir"), dir.folder() + "icons");
  EXPECT_EQ(settings.ReadText(kUiSection, "frontdir"), dir.folder());
  EXPECT_EQ(settings.ReadText(kUiSection, "mamefile"), "");

  settings.WriteDefaults("/Games/MAME/", "mame0251", "0.251");
  settings.Ini().DeleteKey(kMameSection, "icondir");
  settings.Ini().DeleteKey(kUiSection, "mamefile");
  EXPECT_EQ(settings.ReadText(kMameSection, "icondir"), "/Games/MAME/icons");
  EXPECT_EQ(settings.ReadText(kMameSection, "Snapdir"), "/Games/MAME/snap");
  EXPECT_EQ(settings.ReadText(kUiSection, "frontdir"), "/Games/MAME/");
  EXPECT_EQ(settings.ReadText(kUiSection, "mamefile"), "mame0251");
  EXPECT_EQ(settings.ReadText(kUiSection, "mameversion"), "0.251");
}

TEST(SettingsSchema, KeysAreUniqueAndGroupedBySectionInFileOrder) {
  std::set<std::string> seen;
  std::vector<std::string_view> sectionOrder;
  for (const SettingKey& row : SettingKeys()) {
    EXPECT_TRUE(seen.insert(std::string(row.section) + "/" + platform::AsciiLowerCopy(row.key)).second) << row.key;
    EXPECT_EQ(FindSettingKey(row.section, row.key), &row);
    if (sectionOrder.empty() || sectionOrder.back() != row.section) {
      sectionOrder.push_back(row.section);
    }
    // A switch's default must itself pass as a number so a malformed value has something to fall back to.
    if (row.flag != FlagTest::kNone) {
      EXPECT_TRUE(ParseInt(row.text).has_value()) << row.key;
    }
  }
  EXPECT_EQ(sectionOrder, (std::vector<std::string_view>{kUiSection, kMameSection, kFavoritesSection}));
  EXPECT_EQ(FindSettingKey("KestruneUI", "WINMAX"), FindSettingKey(kUiSection, "winmax"));
  EXPECT_EQ(FindSettingKey(kMameSection, "winmax"), nullptr);
}

}  // namespace
// Every number of the file, at both ends of int, reads within its key's range, so that a window
// position plus its size, or a window width less a list width, stays an int (the sanitizer build
// proves the sums below do not overflow).
class SettingsAtTheEndsOfInt : public testing::TestWithParam<const char*> {};

TEST_P(SettingsAtTheEndsOfInt, EveryNumberIsClampedToItsKeysRange) {
  TempDir dir;
  Settings settings(dir.folder());
  for (const SettingKey& row : SettingKeys()) ASSERT_TRUE(settings.WriteText(row.section, row.key, GetParam()));
  for (const SettingKey& row : SettingKeys()) {
    const int value = settings.ReadInt(row.section, row.key);
    EXPECT_GE(value, row.range.minimum) << row.key;
    EXPECT_LE(value, row.range.maximum) << row.key;
    EXPECT_LE(std::abs(value), 1 << 24) << row.key;
  }
  const auto read = [&settings](std::string_view key) { return settings.ReadInt(kUiSection, key); };
  EXPECT_EQ(std::abs(read("winleft")), kMaxCoordinate);
  EXPECT_EQ(std::abs(read("winheightex")), kMaxCoordinate);
  EXPECT_EQ(std::abs(read("col18")), kMaxCoordinate);
  const int right = read("winleft") + read("winwidth") + read("winleftex") + read("winwidthex");
  const int rest = read("winwidth") - read("splitter") - read("splitterex") - read("col1");
  EXPECT_LE(std::abs(right) + std::abs(rest), 8 * kMaxCoordinate);
  EXPECT_GE(read("selected"), -1);
  EXPECT_GE(settings.ReadInt(kFavoritesSection, kFavoritesCountKey), 0);
  EXPECT_LE(settings.ReadInt(kFavoritesSection, kFavoritesCountKey), 255);
}

INSTANTIATE_TEST_SUITE_P(Ends, SettingsAtTheEndsOfInt, testing::Values("2147483647", "-2147483648"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param[0] == '-' ? "Lowest" : "Highest");
                         });

}  // namespace kestrune::settings
