#include "settings/option_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>

#include "mame_options_printer.h"
#include "platform/text_file.h"
#include "settings/option_file_reader.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::ReadFileBytes;
using test::TempDir;

std::filesystem::path Golden(const std::string& name) { return test::TestDataDir() / "settings/option_files" / name; }

MameOptions DefaultOptions() {
  MameOptions options;
  ResetMameOptions(options);
  return options;
}

MameFolders FixedFolders() {
  MameFolders folders;
  folders.FrontDir = "/games/kestrune/";
  folders.IniDir = "/games/kestrune/ini";
  return folders;
}

std::string TextOf(OptionsMode mode, MameOptions options, MameFolders folders, std::string_view romname) {
  std::string error;
  EXPECT_TRUE(PrepareOptionsForWriting(mode, options, folders, &error)) << error;
  return platform::JoinLinesCrLf(MameIniLines(mode, options, folders, romname));
}

std::vector<std::string> LinesOf(OptionsMode mode, const MameOptions& options) {
  MameOptions copy = options;
  MameFolders folders = FixedFolders();
  std::string error;
  EXPECT_TRUE(PrepareOptionsForWriting(mode, copy, folders, &error)) << error;
  return MameIniLines(mode, copy, folders, "pacman");
}

bool HasLine(const std::vector<std::string>& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasKey(const std::vector<std::string>& lines, std::string_view key) {
  return std::any_of(lines.begin(), lines.end(), [key](const std::string& line) {
    return line.starts_with(key) && line.size() > key.size() && line[key.size()] == ' ';
  });
}

TEST(OptionFileWriterTest, DefaultsOfMameIniMatchTheGoldenFile) {
  EXPECT_EQ(TextOf(OptionsMode::DefaultOptions, DefaultOptions(), FixedFolders(), ""),
            ReadFileBytes(Golden("mame.ini")));
}

TEST(OptionFileWriterTest, DefaultsOfAGameFileMatchTheGoldenFile) {
  EXPECT_EQ(TextOf(OptionsMode::GameOptions, DefaultOptions(), FixedFolders(), "pacman"),
            ReadFileBytes(Golden("pacman.ini")));
}

TEST(OptionFileWriterTest, WritesMameIniAndTheSixBiosFilesOnDisk) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error)) << error;

  EXPECT_EQ(folders.IniDir, dir.folder() + "ini");
  const std::string expected = ReadFileBytes(Golden("mame.ini"));
  std::string withFolder = expected;
  for (std::size_t at = 0; (at = withFolder.find("/games/kestrune/", at)) != std::string::npos;) {
    withFolder.replace(at, 16, dir.folder());
    at += dir.folder().size();
  }
  EXPECT_EQ(ReadFileBytes(dir / "mame.ini"), withFolder);
  for (const BiosFile& file : BiosFiles()) {
    EXPECT_EQ(ReadFileBytes(dir / "ini" / std::string(file.fileName)),
              ReadFileBytes(Golden(std::string(file.fileName))))
        << file.fileName;
  }
  // Nothing is left aside next to the files.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "ini"), {}), 6);
}

TEST(OptionFileWriterTest, AGameFileIsWrittenAloneInTheIniFolder) {
  TempDir dir;
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  folders.IniDir = dir.path().string();
  std::string error;
  ASSERT_TRUE(WriteMameIni(OptionsMode::GameOptions, options, folders, "pacman", &error)) << error;
  EXPECT_EQ(ReadFileBytes(dir / "pacman.ini"), ReadFileBytes(Golden("pacman.ini")));
  EXPECT_FALSE(std::filesystem::exists(dir / "mame.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "neogeo.ini"));
  EXPECT_TRUE(folders.RomPath.empty());  // folder defaults belong to mame.ini only
}

TEST(OptionFileWriterTest, NamesThatLeaveTheIniFolderAreRefused) {
  TempDir dir;
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  folders.IniDir = (dir / "ini").string();
  std::filesystem::create_directory(dir / "ini");
  for (const char* name : {"", ".", "..", "../mame", "a/b", "a\\b"}) {
    std::string error;
    EXPECT_FALSE(WriteMameIni(OptionsMode::GameOptions, options, folders, name, &error)) << name;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "mame.ini"));
}

struct LineCase {
  const char* name;
  std::function<void(MameOptions&)> change;
  std::vector<std::string> present;
  std::vector<std::string> absentKeys;
};

void PrintTo(const LineCase& row, std::ostream* out) { *out << row.name; }

class WriterLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(WriterLineTest, WritesTheExpectedLines) {
  MameOptions options = DefaultOptions();
  GetParam().change(options);
  const auto lines = LinesOf(OptionsMode::DefaultOptions, options);
  for (const std::string& line : GetParam().present) {
    EXPECT_TRUE(HasLine(lines, line)) << "missing: [" << line << "]";
  }
  for (const std::string& key : GetParam().absentKeys) {
    EXPECT_FALSE(HasKey(lines, key)) << "unexpected key: " << key;
  }
}

void Set(MameOptions& options, Option option, int value) { ASSERT_TRUE(options.SetNumber(option, value)); }

const LineCase kLineCases[] = {
    {"MovieOff",
     [](MameOptions& o) { o.SetFlag(Option::savemng, false); },
     {"# mngwrite              <NULL> (not set)"},
     {"mngwrite"}},
    {"MovieOn",
     [](MameOptions& o) {
       o.SetFlag(Option::savemng, true);
       o.SetText(Option::mngfile, "/games/my movies/pac.mng");
     },
     {"mngwrite                \"/games/my movies/pac.mng\""},
     {}},
    {"SoundOn",
     [](MameOptions& o) {
       o.SetFlag(Option::savesound, true);
       o.SetText(Option::soundfile, "/tmp/s.wav");
     },
     {"wavwrite                \"/tmp/s.wav\""},
     {}},
    {"VolumeFull", [](MameOptions& o) { Set(o, Option::volume, 32); }, {"volume                  0"}, {}},
    {"VolumeSilent", [](MameOptions& o) { Set(o, Option::volume, 0); }, {"volume                  -32"}, {}},
    {"VolumeTwenty", [](MameOptions& o) { Set(o, Option::volume, 20); }, {"volume                  -12"}, {}},
    {"SpeedWhole", [](MameOptions& o) { Set(o, Option::speed, 100); }, {"speed                   1"}, {}},
    {"SpeedHalf", [](MameOptions& o) { Set(o, Option::speed, 150); }, {"speed                   1.5"}, {}},
    {"SpeedAtItsLowest", [](MameOptions& o) { Set(o, Option::speed, 0); }, {"speed                   0.05"}, {}},
    {"BeamSixteenIsBothWidths",
     [](MameOptions& o) { Set(o, Option::beam, 1600); },
     {"beam_width_min          16", "beam_width_max          16"},
     {"beam"}},
    {"PauseBrightness", [](MameOptions& o) { Set(o, Option::pauzebright, 65); }, {"pause_brightness        0.65"}, {}},
    {"DeadzoneTenth", [](MameOptions& o) { Set(o, Option::deadzone, 10); }, {"joystick_deadzone       0.1"}, {}},
    {"FlickerIsNotDivided", [](MameOptions& o) { Set(o, Option::flicker, 42); }, {"flicker                 42"}, {}},
    {"PriorityNegative",
     [](MameOptions& o) { Set(o, Option::highpriority, -15); },
     {"priority                -15"},
     {}},
    {"PrescaleNoneIsOne", [](MameOptions& o) { Set(o, Option::prescale, 0); }, {"prescale                1"}, {}},
    {"PrescaleFour", [](MameOptions& o) { Set(o, Option::prescale, 4); }, {"prescale                4"}, {}},
    {"PrescaleEight", [](MameOptions& o) { Set(o, Option::prescale, 8); }, {"prescale                8"}, {}},
    {"ControllerKeyboard",
     [](MameOptions& o) { Set(o, Option::controller, 0); },
     {"# ctrlr                 <NULL> (not set)"},
     {"ctrlr"}},
    {"ControllerXArcade",
     [](MameOptions& o) { Set(o, Option::controller, 4); },
     {"ctrlr                   xarcade"},
     {}},
    {"CustomMapEmpty",
     [](MameOptions& o) {
       Set(o, Option::joystick_axes, 1);
       o.SetText(Option::joystick_custom_map, "");
     },
     {"joystick_map            "},
     {}},
    {"CustomMap",
     [](MameOptions& o) {
       Set(o, Option::joystick_axes, 1);
       o.SetText(Option::joystick_custom_map, "s8.4s8.44s8.4445");
     },
     {"joystick_map            s8.4s8.44s8.4445"},
     {}},
    {"AspectEditsFilled",
     [](MameOptions& o) {
       o.SetFlag(Option::aspectauto, false);
       o.SetText(Option::aspectx, "");
       o.SetText(Option::aspecty, "");
     },
     {"aspect                  4:3"},
     {}},
    {"AspectOfScreenTwo",
     [](MameOptions& o) {
       o.SetFlag(Option::aspect2auto, false);
       o.SetText(Option::aspectx2, "5");
       o.SetText(Option::aspecty2, "4");
     },
     {"aspect2                 5:4"},
     {}},
    {"VideoOpenGl",
     [](MameOptions& o) { Set(o, Option::render, kRenderOpenGl); },
     {"video                   opengl"},
     {}},
    {"VideoBgfx", [](MameOptions& o) { Set(o, Option::render, kRenderBgfx); }, {"video                   bgfx"}, {}},
    {"VideoSoft", [](MameOptions& o) { Set(o, Option::render, kRenderSoft); }, {"video                   soft"}, {}},
    {"VideoAccel", [](MameOptions& o) { Set(o, Option::render, kRenderAccel); }, {"video                   accel"}, {}},
    {"VideoNone", [](MameOptions& o) { Set(o, Option::render, kRenderNone); }, {"video                   none"}, {}},
    {"SoundOnIsAuto", [](MameOptions& o) { o.SetFlag(Option::sound, true); }, {"sound                   auto"}, {}},
    {"SoundOffIsNone", [](MameOptions& o) { o.SetFlag(Option::sound, false); }, {"sound                   none"}, {}},
    {"RotationNone",
     [](MameOptions& o) { Set(o, Option::rotation, kRotationNone); },
     {"rotate                  0", "ror                     0", "autorol                 0"},
     {}},
    {"RotationAutoAntiClockwise",
     [](MameOptions& o) { Set(o, Option::rotation, kRotationAutoAntiClockwise); },
     {"rotate                  1", "ror                     0", "autorol                 1"},
     {}},
    {"ScreenChoices",
     [](MameOptions& o) {
       o.SetDynamicItems(Option::screenshow0, {"\\\\.\\DISPLAY1", "\\\\.\\DISPLAY2", "\\\\.\\DISPLAY3"});
       Set(o, Option::screenshow0, 1);
       o.SetDynamicItems(Option::screenshow1, {"\\\\.\\DISPLAY1", "\\\\.\\DISPLAY2", "\\\\.\\DISPLAY3"});
       Set(o, Option::screenshow1, 3);
       Set(o, Option::screenshow2, -1);
     },
     // MAME on Linux names its monitors screen0, screen1 …
     {"screen0                 screen0", "screen1                 screen1", "screen2                 screen1",
      "screen3                 auto"},
     {}},
    {"ResolutionItem",
     [](MameOptions& o) {
       o.SetDynamicItems(Option::ressize1, {"640x480@60", "1920x1080@60"});
       Set(o, Option::ressize1, 2);
     },
     {"resolution1             1920x1080@60"},
     {}},
    {"ResolutionWithoutChoice",
     [](MameOptions& o) { Set(o, Option::ressize3, -1); },
     {"resolution3             auto"},
     {}},
    {"ViewCocktail", [](MameOptions& o) { Set(o, Option::view3, 3); }, {"view3                   cocktail"}, {}},
    {"EffectEmpty", [](MameOptions& o) { o.SetText(Option::effect, ""); }, {"effect                  none"}, {}},
    {"LineBreakInAText",
     [](MameOptions& o) { o.SetText(Option::effect, "scan\r\nthrottle 0"); },
     {"effect                  scan  throttle 0", "throttle                1"},
     {}},
    {"EffectNamed", [](MameOptions& o) { o.SetText(Option::effect, "scan"); }, {"effect                  scan"}, {}},
    {"FramesWithZeros", [](MameOptions& o) { o.SetText(Option::frames, "007"); }, {"seconds_to_run          7"}, {}},
    {"FramesEmpty", [](MameOptions& o) { o.SetText(Option::frames, ""); }, {"seconds_to_run          0"}, {}},
    {"NumScreensFour", [](MameOptions& o) { Set(o, Option::numscreens, 3); }, {"numscreens              4"}, {}},
    {"SampleRateFirst", [](MameOptions& o) { Set(o, Option::samplerate, 0); }, {"samplerate              11025"}, {}},
    {"DirectX8", [](MameOptions& o) { Set(o, Option::directxversion, 0); }, {"d3dversion              8"}, {}},
    {"DeviceLightgun",
     [](MameOptions& o) { Set(o, Option::positional_controller, 3); },
     {"positional_device       lightgun"},
     {}},
    {"SearchPathsInOneQuote", [](MameOptions&) {}, {"rompath                 \"/games/kestrune/roms\""}, {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, WriterLineTest, testing::ValuesIn(kLineCases),
                         [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

TEST(OptionFileWriterTest, MamesOwnPathsFollowTheFrontEndsOptionsAndItsCtrlrFolder) {
  MameFolders folders = FixedFolders();
  folders.CtrlrPath = "/games/kestrune/ctrlr;/usr/share/games/mame/ctrlr";
  folders.MameOwnPaths = {{"hashpath", "/usr/share/games/mame/hash"},
                          {"cheatpath", "$HOME/mame/cheat;/usr/share/games/mame/cheat"},
                          {"bgfx_path", "/opt/my bgfx"},
                          {"ctrlrpath", "/usr/share/games/mame/ctrlr;$HOME/.mame/ctrlr"}};
  MameOptions options = DefaultOptions();
  std::string error;
  ASSERT_TRUE(PrepareOptionsForWriting(OptionsMode::DefaultOptions, options, folders, &error)) << error;
  const auto lines = MameIniLines(OptionsMode::DefaultOptions, options, folders, "");
  // MAME's controller folders follow the front-end's, each named once.
  EXPECT_TRUE(HasLine(lines,
                      "ctrlrpath               \"/games/kestrune/ctrlr;/usr/share/games/mame/ctrlr;"
                      "$HOME/.mame/ctrlr\""));
  const auto last = std::find(lines.begin(), lines.end(), "dual_lightgun           0");
  ASSERT_NE(last, lines.end());
  const std::vector<std::string> after(last + 1, last + 9);
  EXPECT_EQ(after, (std::vector<std::string>{"", "#", "# MAME INSTALLATION PATH OPTIONS", "#",
                                             "hashpath                \"/usr/share/games/mame/hash\"",
                                             "cheatpath               \"$HOME/mame/cheat;/usr/share/games/mame/cheat\"",
                                             "bgfx_path               \"/opt/my bgfx\"", ""}));
  EXPECT_EQ(lines[static_cast<std::size_t>(last - lines.begin()) + 9], "#");
  EXPECT_EQ(lines[static_cast<std::size_t>(last - lines.begin()) + 10], "# CORE COMMANDS");
  // A game's file holds no folders.
  const auto game = MameIniLines(OptionsMode::GameOptions, options, folders, "pacman");
  EXPECT_FALSE(HasKey(game, "hashpath"));
  EXPECT_FALSE(HasKey(game, "ctrlrpath"));
}

TEST(OptionFileWriterTest, PreparingFillsAspectEditsFramesAndEmptyFolders) {
  MameOptions options = DefaultOptions();
  options.SetText(Option::frames, "007");
  MameFolders folders;
  folders.FrontDir = "/games/kestrune/";
  folders.SnapDir = "/pictures/snap";
  std::string error;
  ASSERT_TRUE(PrepareOptionsForWriting(OptionsMode::DefaultOptions, options, folders, &error));
  EXPECT_EQ(options.Text(Option::frames), "7");
  for (const ScreenGroup& group : ScreenGroups()) {
    EXPECT_EQ(options.Text(group.aspectX), "4");
    EXPECT_EQ(options.Text(group.aspectY), "3");
  }
  EXPECT_EQ(folders.RomPath, "/games/kestrune/roms");
  EXPECT_EQ(folders.StateDir, "/games/kestrune/sta");
  EXPECT_EQ(folders.IniDir, "/games/kestrune/ini");
  EXPECT_EQ(folders.SnapDir, "/pictures/snap");
}

TEST(OptionFileWriterTest, FramesThatAreNoNumberWriteNothingAndChangeNothing) {
  TempDir dir;
  test::WriteFileBytes(dir / "mame.ini", "old");
  MameOptions options = DefaultOptions();
  options.SetText(Option::frames, "abc");
  const MameOptions before = options;
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  EXPECT_FALSE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  EXPECT_EQ(error, "'abc' is not a valid integer value");
  EXPECT_EQ(options, before);
  EXPECT_TRUE(folders.RomPath.empty());
  EXPECT_EQ(ReadFileBytes(dir / "mame.ini"), "old");
}

TEST(OptionFileWriterTest, AFailedWriteKeepsTheOldMameIniAndBiosSetWhole) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  test::WriteFileBytes(dir / "mame.ini", "old mame.ini");
  for (const BiosFile& file : BiosFiles()) {
    test::WriteFileBytes(dir / "ini" / std::string(file.fileName), "old");
  }
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  {
    test::ScopedFileSizeLimit limit(1000);  // mame.ini is larger than this
    EXPECT_FALSE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  }
  EXPECT_NE(error.find((dir / "mame.ini").string()), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(dir / "mame.ini"), "old mame.ini");
  for (const BiosFile& file : BiosFiles()) {
    EXPECT_EQ(ReadFileBytes(dir / "ini" / std::string(file.fileName)), "old");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "ini"), {}), 6);
}

TEST(OptionFileWriterTest, AReadOnlyLastBiosFileReplacesNoFileOfTheSet) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  test::WriteFileBytes(dir / "mame.ini", "old mame.ini");
  const std::string users = platform::JoinLinesCrLf(BiosIniLines(BiosFiles().back(), DefaultOptions()));
  test::WriteFileBytes(dir / "ini" / "playch10.ini", users);
  std::filesystem::permissions(dir / "ini" / "playch10.ini", std::filesystem::perms(0444));
  MameOptions options = DefaultOptions();
  options.SetNumber(Option::playchoicebios, 1);  // a file whose choice did not change is not written
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  EXPECT_FALSE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  EXPECT_EQ(error, "Cannot replace \"" + (dir / "ini" / "playch10.ini").string() +
                       "\": the file is read-only (Input/output error)");
  EXPECT_EQ(ReadFileBytes(dir / "mame.ini"), "old mame.ini");
  EXPECT_EQ(ReadFileBytes(dir / "ini" / "playch10.ini"), users);
  EXPECT_FALSE(std::filesystem::exists(dir / "ini" / "neogeo.ini"));
  // Nothing written aside is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "ini"), {}), 1);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(OptionFileWriterTest, AReadOnlyMameIniIsNotReplacedAndTheErrorSaysSo) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  test::WriteFileBytes(dir / "mame.ini", "the user's own");
  std::filesystem::permissions(dir / "mame.ini", std::filesystem::perms(0444));
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  EXPECT_FALSE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  EXPECT_EQ(error,
            "Cannot replace \"" + (dir / "mame.ini").string() + "\": the file is read-only (Input/output error)");
  EXPECT_EQ(ReadFileBytes(dir / "mame.ini"), "the user's own");
  EXPECT_EQ(std::filesystem::status(dir / "mame.ini").permissions(), std::filesystem::perms(0444));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "ini"), {}), 0);
}

TEST(OptionFileWriterTest, ALinkedMameIniStaysALinkAndKeepsItsPermissionBits) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  std::filesystem::create_directory(dir / "shared");
  test::WriteFileBytes(dir / "shared" / "mame.ini", "old");
  std::filesystem::permissions(dir / "shared" / "mame.ini", std::filesystem::perms(0640));
  std::filesystem::create_symlink(dir / "shared" / "mame.ini", dir / "mame.ini");
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "mame.ini"));
  EXPECT_TRUE(ReadFileBytes(dir / "shared" / "mame.ini").starts_with("### mame.ini ###\r\n"));
  EXPECT_EQ(std::filesystem::status(dir / "shared" / "mame.ini").permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "shared"), {}), 1);
}

TEST(OptionFileWriterTest, AFolderInPlaceOfABiosFileReplacesNoFileOfTheSet) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  test::WriteFileBytes(dir / "mame.ini", "old mame.ini");
  test::WriteFileBytes(dir / "ini" / "neogeo.ini", "old");
  std::filesystem::create_directory(dir / "ini" / "stvbios.ini");
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  EXPECT_FALSE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  EXPECT_NE(error.find("stvbios.ini"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(dir / "mame.ini"), "old mame.ini");
  EXPECT_EQ(ReadFileBytes(dir / "ini" / "neogeo.ini"), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "ini"), {}), 2);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(OptionFileWriterTest, AMissingIniFolderIsReportedAndNotCreated) {
  TempDir dir;
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  EXPECT_FALSE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "mame.ini"));
}

TEST(OptionFileWriterTest, OnlyMissingBiosFilesAreWritten) {
  TempDir dir;
  test::WriteFileBytes(dir / "neogeo.ini", "user's choice");
  MameOptions options = DefaultOptions();
  std::string error;
  ASSERT_TRUE(WriteMissingBiosInis(options, dir.path().string(), &error)) << error;
  EXPECT_EQ(ReadFileBytes(dir / "neogeo.ini"), "user's choice");
  EXPECT_EQ(ReadFileBytes(dir / "stvbios.ini"), ReadFileBytes(Golden("stvbios.ini")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 6);
}

struct BiosCase {
  Option control;
  int choice;
  const char* fileName;
  const char* biosLine;  // null: no bios line
};

TEST(OptionFileWriterTest, BiosLinesKeepTheirTrailingBlanks) {
  const BiosCase cases[] = {
      {Option::neogeobios, 2, "neogeo.ini", "bios                    us "},
      {Option::neogeobios, 5, "neogeo.ini", "bios                    japan "},
      {Option::neogeobios, 7, "neogeo.ini", "bios                    japan-s1"},
      {Option::stvbios, 2, "stvbios.ini", "bios                    us"},
      {Option::arbios, 1, "ar_bios.ini", "bios                    onep211"},
      {Option::playchoicebios, 1, "playch10.ini", "bios                    single"},
  };
  for (const BiosCase& c : cases) {
    MameOptions options = DefaultOptions();
    ASSERT_TRUE(options.SetNumber(c.control, c.choice));
    for (const BiosFile& file : BiosFiles()) {
      if (file.fileName == c.fileName) {
        const auto lines = BiosIniLines(file, options);
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[3], c.biosLine);
      }
    }
  }
}

// A changed BIOS choice changes the bios line only: what else the user wrote keeps its bytes.
TEST(OptionFileWriterTest, ABiosChoiceChangesOnlyTheBiosLine) {
  const std::string single = "bios                    single";
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"the file as written, with the user's lines",
       "### playch10.c ###\r\n\r\n### Mame CORE misc options ###\r\n"
       "bios                    default\r\n# mine\r\nseconds_to_run 1\r\n",
       "### playch10.c ###\r\n\r\n### Mame CORE misc options ###\r\n" + single + "\r\n# mine\r\nseconds_to_run 1\r\n"},
      {"LF ends, a commented bios line, the last bios line is MAME's",
       "# bios us\n  bios  japan\nspeed 1.5\nbios\tdefault\nseconds_to_run 1",
       "# bios us\n  bios  japan\nspeed 1.5\n" + single + "\nseconds_to_run 1"},
      {"a byte-order mark before the bios line", "\xEF\xBB\xBF" + std::string("bios default\r\n"),
       "\xEF\xBB\xBF" + single + "\r\n"},
      {"no bios line, no last line end", "speed 1.5\nbiosx 1", "speed 1.5\nbiosx 1\n" + single + "\n"},
      {"an empty file", "", single + "\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithBiosLine(c.before, single), c.after) << c.name;
  }
}

TEST(OptionFileWriterTest, DefaultOptionsKeepTheUsersLinesOfAChangedBiosFileAndCreateMissingOnes) {
  TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  const std::string playch10 =
      "### playch10.c ###\r\n\r\n### Mame CORE misc options ###\r\n"
      "bios                    default\r\nseconds_to_run 1\r\n";
  test::WriteFileBytes(dir / "ini" / "playch10.ini", playch10);
  test::WriteFileBytes(dir / "ini" / "neogeo.ini", "bios asia\nseconds_to_run 2\n");
  MameOptions options = DefaultOptions();
  options.SetNumber(Option::playchoicebios, 1);
  options.SetNumber(Option::neogeobios, 1);  // not set by the user: its file stays as it is
  OptionSet setByUser;
  setByUser.set(static_cast<std::size_t>(Index(Option::playchoicebios)));
  MameFolders folders;
  folders.FrontDir = dir.folder();
  std::string error;
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error, &setByUser)) << error;
  EXPECT_EQ(ReadFileBytes(dir / "ini" / "playch10.ini"),
            "### playch10.c ###\r\n\r\n### Mame CORE misc options ###\r\nbios                    single\r\n"
            "seconds_to_run 1\r\n");
  EXPECT_EQ(ReadFileBytes(dir / "ini" / "neogeo.ini"), "bios asia\nseconds_to_run 2\n");
  EXPECT_EQ(ReadFileBytes(dir / "ini" / "stvbios.ini"), ReadFileBytes(Golden("stvbios.ini")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "ini"), {}), 6);
}

TEST(OptionFileWriterTest, CommaToDotReplacesEveryComma) { EXPECT_EQ(CommaToDot("1,5,0"), "1.5.0"); }


// ---- What the user's file holds comes back from a save that does not change it ----

std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  EXPECT_TRUE(platform::ReadTextFileLinesAsIs(path, lines, nullptr)) << path;
  return lines;
}

// A mame.ini as a user has it after some years: Kestrune's own lines with folders of the user's (the
// rom folder named in Latin-1, the controller folders followed by MAME's own), a fixed line changed by
// hand, and options Kestrune has no control for at the top, in the middle, under MAME's paths and last.
std::vector<std::string> UsersMameIni(const std::filesystem::path& dir) {
  MameOptions options = DefaultOptions();
  MameFolders folders;
  folders.FrontDir = dir.string() + "/";
  folders.IniDir = (dir / "ini").string();
  folders.InpDir = (dir / "inp").string();
  folders.SnapDir = (dir / "snap").string();
  folders.RomPath = "/data/r\xf4ms;/data/more roms";
  for (auto [folder, value] : {std::pair{&MameFolders::SamplePath, "/data/samples"},
                               {&MameFolders::ArtPath, "/data/art"}, {&MameFolders::CtrlrPath, "/data/ctrlr"},
                               {&MameFolders::FontPath, "/data/fonts"}, {&MameFolders::CfgDir, "/data/cfg"},
                               {&MameFolders::NvramDir, "/data/nvram"}, {&MameFolders::MemcardDir, "/data/memcard"},
                               {&MameFolders::StateDir, "/data/state"}, {&MameFolders::DiffDir, "/data/diff"}}) {
    folders.*folder = value;
  }
  SetMameOwnPath(folders.MameOwnPaths, "homepath", "/home/player/.m\xe4me");
  SetMameOwnPath(folders.MameOwnPaths, "hashpath", "/usr/share/games/mame/hash");
  SetMameOwnPath(folders.MameOwnPaths, kCtrlrPathKey, "/usr/share/games/mame/ctrlr");
  std::string error;
  EXPECT_TRUE(PrepareOptionsForWriting(OptionsMode::DefaultOptions, options, folders, &error)) << error;
  std::vector<std::string> lines = MameIniLines(OptionsMode::DefaultOptions, options, folders, "");
  auto after = [&lines](std::string_view key, const std::string& line) {
    const auto at = std::find_if(lines.begin(), lines.end(), [key](const std::string& l) { return l.starts_with(key); });
    EXPECT_NE(at, lines.end()) << key;
    lines.insert(at + 1, line);
  };
  lines.insert(lines.begin() + 1, "coin_lockout              0");
  after("window ", "confirm_quit              1");
  after("hashpath", "uifont                    \"/data/fonts/arcade.ttf\"");
  std::replace(lines.begin(), lines.end(), std::string("comment_directory       comments"),
               std::string("comment_directory       \"/data/comm\xe9nts\""));
  lines.insert(lines.end() - 1, "skip_warnings             1");
  return lines;
}

// The folders the options dialog is given by the main window when Preferences was never opened.
MameFolders DialogFolders(const std::filesystem::path& dir) {
  MameFolders folders;
  folders.FrontDir = dir.string() + "/";
  folders.IniDir = (dir / "ini").string();
  folders.InpDir = (dir / "inp").string();
  folders.SnapDir = (dir / "snap").string();
  return folders;
}

TEST(KeptUserLinesTest, AnOkThatChangesOneOptionChangesOnlyItsLine) {
  TempDir dir;
  std::filesystem::create_directories(dir / "ini");
  const std::vector<std::string> users = UsersMameIni(dir.path());
  test::WriteFileBytes(dir / "mame.ini", platform::JoinLinesCrLf(users));

  MameOptions options = DefaultOptions();
  MameFolders folders = DialogFolders(dir.path());
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options, folders, "", &error)) << error;
  ASSERT_FALSE(options.Flag(Option::runwin));
  options.SetFlag(Option::runwin, true);
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error)) << error;

  std::vector<std::string> expected = users;
  std::replace(expected.begin(), expected.end(), std::string("window                  0"),
               std::string("window                  1"));
  // Compared as text, so that a failure shows the lines that differ.
  EXPECT_EQ(platform::JoinLinesCrLf(FileLines(dir / "mame.ini")), platform::JoinLinesCrLf(expected));

  // And a second OK without a change writes the same bytes again.
  const std::string once = ReadFileBytes(dir / "mame.ini");
  ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options, folders, "", &error)) << error;
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error)) << error;
  EXPECT_EQ(ReadFileBytes(dir / "mame.ini"), once);
}

TEST(KeptUserLinesTest, UserLinesGoAfterTheOptionTheyFollowedOrAtTheEnd) {
  const std::vector<std::string> old = {"\xef\xbb\xbf#", "### mame.ini ###", "coin_lockout 0",     "window 1",  "confirm_quit 1",
                                        "# a note",         "  ui_active   1  ", "rompath \"/r\"", "gone_option 5",
                                        "joystick_deadzone 0.5", "beam 2",        "# state <NULL> (not set)"};
  MameOptions options = DefaultOptions();
  MameFolders folders = FixedFolders();
  std::string error;
  ASSERT_TRUE(PrepareOptionsForWriting(OptionsMode::GameOptions, options, folders, &error));
  const std::vector<std::string> lines = MameIniLines(OptionsMode::GameOptions, options, folders, "pacman", old);
  auto at = [&lines](std::string_view line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  EXPECT_EQ(at("coin_lockout 0"), 1);
  EXPECT_EQ(at("confirm_quit 1"), at("window                  0") + 1);
  // A comment stays before the line it preceded.
  EXPECT_EQ(at("# a note"), at("confirm_quit 1") + 1);
  EXPECT_EQ(at("  ui_active   1  "), at("confirm_quit 1") + 2);
  // A game's file has no rom folder: the user's line is theirs, and so is what followed it.
  EXPECT_EQ(at("rompath \"/r\""), at("  ui_active   1  ") + 1);
  EXPECT_EQ(at("gone_option 5"), at("rompath \"/r\"") + 1);
  // The title, and names the reader takes for the dialog's own values, are not kept.
  for (const char* dropped : {"\xef\xbb\xbf#", "### mame.ini ###", "joystick_deadzone 0.5", "beam 2", "window 1"}) {
    EXPECT_EQ(at(dropped), static_cast<long>(lines.size())) << dropped;
  }
  EXPECT_EQ(lines.back(), "");
}

// A game's file that an older Kestrune wrote loses the options today's MAME warns about and the short
// joystick names; mame.ini keeps every option MAME skips there without a word.
TEST(OptionFileWriterTest, OptionsMameNoLongerHasStayOutOfAGamesFileOnly) {
  const std::vector<std::string> old = {"### pacman.ini ###", "triplebuffer            1",
                                        "cheat_file              cheat.dat", "joy_deadzone            0.2",
                                        "confirm_quit            1"};
  MameFolders folders = FixedFolders();
  MameOptions options = DefaultOptions();
  ASSERT_TRUE(PrepareOptionsForWriting(OptionsMode::DefaultOptions, options, folders, nullptr));
  const std::vector<std::string> game = MameIniLines(OptionsMode::GameOptions, options, folders, "pacman", old);
  const std::vector<std::string> defaults = MameIniLines(OptionsMode::DefaultOptions, options, folders, "");
  auto holds = [](const std::vector<std::string>& lines, std::string_view key) {
    return std::any_of(lines.begin(), lines.end(),
                       [key](const std::string& line) { return line.substr(0, line.find(' ')) == key; });
  };
  for (const std::string& key : GoneOptionKeys()) {
    EXPECT_FALSE(holds(game, key)) << key;
    EXPECT_TRUE(holds(defaults, key)) << key;
  }
  EXPECT_FALSE(holds(game, "joy_deadzone"));
  EXPECT_NE(std::find(game.begin(), game.end(), "joystick_deadzone       0.3"), game.end());
  EXPECT_NE(std::find(game.begin(), game.end(), "confirm_quit            1"), game.end());
}

// One row per kind of file that stands where mame.ini goes and cannot be read.
struct UnreadableCase {
  const char* name;
  void (*make)(const std::filesystem::path& path);
  const char* message;  // part of the error
};
void PrintTo(const UnreadableCase& row, std::ostream* out) { *out << row.name; }

class UnreadableMameIniTest : public testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableMameIniTest, IsNeitherReadNorSavedOver) {
  TempDir dir;
  std::filesystem::create_directories(dir / "ini");
  const std::filesystem::path mameIni = dir / "mame.ini";
  GetParam().make(mameIni);
  const auto kind = std::filesystem::symlink_status(mameIni).type();

  MameOptions options = DefaultOptions();
  MameFolders folders = DialogFolders(dir.path());
  std::string error;
  EXPECT_FALSE(ReadMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  EXPECT_FALSE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error));
  EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
  EXPECT_NE(error.find("mame.ini"), std::string::npos) << error;
  EXPECT_NE(error.find("left as it is"), std::string::npos) << error;
  EXPECT_EQ(std::filesystem::symlink_status(mameIni).type(), kind);
  EXPECT_FALSE(std::filesystem::exists(dir / "ini" / "neogeo.ini"));
  EXPECT_EQ(std::vector<std::string>(), [&] {
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      if (entry.path().filename() != "mame.ini" && entry.path().filename() != "ini" &&
          entry.path().filename() != "gone") {
        left.push_back(entry.path().filename().string());
      }
    }
    return left;
  }());
}

INSTANTIATE_TEST_SUITE_P(
    MameIni, UnreadableMameIniTest,
    testing::Values(UnreadableCase{"NamedPipe", [](const std::filesystem::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
                                   "named pipe"},
                    UnreadableCase{"LinkToAMissingFile",
                                   [](const std::filesystem::path& p) {
                                     std::filesystem::create_symlink(p.parent_path() / "gone" / "mame.ini", p);
                                   },
                                   "No such file"}),
    [](const testing::TestParamInfo<UnreadableCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrune::settings
