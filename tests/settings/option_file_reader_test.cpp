#include "settings/option_file_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "mame_options_printer.h"
#include "platform/text_file.h"
#include "settings/option_file_writer.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::TempDir;
using test::WriteFileBytes;

constexpr const char* kFrontDir = "/games/kestrune/";

MameOptions DefaultOptions() {
  MameOptions options;
  ResetMameOptions(options);
  return options;
}

struct ValueCase {
  const char* line;
  std::optional<std::string> value;
};

TEST(IniLineValueTest, TakesTheValueAfterTheKey) {
  const ValueCase cases[] = {
      {"throttle                1", "1"},
      {"rompath                 \"/games/roms\"", "\"/games/roms\""},
      {"# mngwrite              <NULL> (not set)", "<NULL> (not set)"},
      {"bios                    us ", "us"},
      {"view                    pixel aspect", "pixel aspect"},
      {"speed\t0.5 \r", std::nullopt},  // a tab is no blank: no value
      {"speed 0.5\t\r", "0.5"},         // control characters are trimmed
      {"throttle", std::nullopt},
      {"throttle                ", std::nullopt},
      {"", std::nullopt},
      {"#", std::nullopt},
      {"# state", std::nullopt},
      // A "#" anywhere drops one more piece: after padding that is one blank...
      {"effect                  scan # old", "scan # old"},
      {"rompath                 \"/roms#2\"", "\"/roms#2\""},
      // ...after a single blank, the first word of the value.
      {"effect scan #1", "#1"},
      {"effect scan#1", std::nullopt},
      {"joystick_map            Error", "Error"},
  };
  for (const ValueCase& c : cases) {
    EXPECT_EQ(IniLineValue(c.line), c.value) << "[" << c.line << "]";
  }
}

TEST(DecimalTest, ReadsDotsAndCommasButNothingElse) {
  EXPECT_EQ(RatioPosition("0.5"), 50);
  EXPECT_EQ(RatioPosition("0,5"), 50);
  EXPECT_EQ(RatioPosition("1"), 100);
  EXPECT_EQ(RatioPosition("0.65"), 65);
  EXPECT_EQ(RatioPosition("0.29"), 29);   // 28.999… rounds back
  EXPECT_EQ(RatioPosition("0.125"), 12);  // half goes to the even neighbour
  EXPECT_EQ(RatioPosition("0.135"), 14);
  EXPECT_EQ(RatioPosition("+1.5"), 150);
  EXPECT_EQ(RatioPosition("1e1"), 1000);
  EXPECT_EQ(RatioPosition("1e300"), 1000000000);  // bounded, no overflow
  for (const char* bad : {"", "abc", "1.2.3", "1,000.5", "0.5x", "inf", "nan", "- 1"}) {
    EXPECT_EQ(RatioPosition(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(DotToComma("1.5.0"), "1,5,0");
}

// One line read into the defaults, and what it must (and must not) change.
struct LineCase {
  const char* name;
  const char* line;
  std::function<void(MameOptions&)> expect;  // applied to the defaults to give the expected result
};

void PrintTo(const LineCase& row, std::ostream* out) { *out << row.name; }

class ReaderLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ReaderLineTest, ChangesOnlyWhatTheLineSays) {
  MameOptions options = DefaultOptions();
  options.SetDynamicItems(Option::ressize0, {"640x480@60", "1024x768@60"});
  options.SetDynamicItems(Option::screenshow, {"\\\\.\\DISPLAY1", "\\\\.\\DISPLAY2"});
  options.SetDynamicItems(Option::screenshow0, {"\\\\.\\DISPLAY1", "\\\\.\\DISPLAY2"});
  MameOptions expected = options;
  GetParam().expect(expected);
  std::string romPath = "/old/roms";
  LineTarget target{options, &romPath, kFrontDir};
  ApplyMameIniLine(GetParam().line, target);
  EXPECT_EQ(OptionDifferences(options, expected), "");
  if (std::string_view(GetParam().line).starts_with("rompath")) {
    return;
  }
  EXPECT_EQ(romPath, "/old/roms");
}

void Num(MameOptions& o, Option option, int value) { ASSERT_TRUE(o.SetNumber(option, value)); }
void Nothing(MameOptions&) {}

const LineCase kLineCases[] = {
    // Prefix traps: the first test that matches wins, and prefixes count their blanks.
    {"CheatFileIsNotCheats", "cheat_file              cheat.dat", Nothing},
    {"CheatIsCheats", "cheat                   1", [](MameOptions& o) { o.SetFlag(Option::cheats, true); }},
    {"AutoframeskipIsNotFrameskip", "autoframeskip           1",
     [](MameOptions& o) { o.SetFlag(Option::autoframeskip, true); }},
    {"FrameskipNumber", "frameskip               7", [](MameOptions& o) { Num(o, Option::frameskip, 7); }},
    {"ScreenZeroIsNotScreen", "screen0                 \\\\.\\DISPLAY1",
     [](MameOptions& o) { o.SetNumber(Option::screenshow0, 1); }},
    {"ScreenOther", "screen                  \\\\.\\DISPLAY7",
     [](MameOptions& o) { o.SetNumber(Option::screenshow, 2); }},
    {"ScreenOfTodaysMame", "screen                  screen0", [](MameOptions& o) { o.SetNumber(Option::screenshow, 1); }},
    {"SecondScreenOfTodaysMame", "screen0                 screen1",
     [](MameOptions& o) { o.SetNumber(Option::screenshow0, 2); }},
    {"ScreenAuto", "screen0                 auto", [](MameOptions& o) { o.SetNumber(Option::screenshow0, 0); }},
    {"JoystickMapIsNotJoystick", "joystick_map            s8.4s8",
     [](MameOptions& o) {
       Num(o, Option::joystick_axes, 1);
       o.SetText(Option::joystick_custom_map, "s8.4s8");
     }},
    {"JoystickIsJoystick", "joystick                1", [](MameOptions& o) { o.SetFlag(Option::joystick, true); }},
    {"LightgunDeviceIsNotLightgun", "lightgun_device         mouse",
     [](MameOptions& o) { Num(o, Option::lightgun_controller, 1); }},
    {"MouseDeviceIsNotMouse", "mouse_device            joystick",
     [](MameOptions& o) { Num(o, Option::mouse_controller, 2); }},
    {"SamplepathIsNotSamples", "samplepath              \"/s\"", Nothing},
    {"SamplesOff", "samples                 0", [](MameOptions& o) { o.SetFlag(Option::samples, false); }},
    {"SampleRate", "samplerate              22050", [](MameOptions& o) { Num(o, Option::samplerate, 1); }},
    {"CtrlrpathIsNotCtrlr", "ctrlrpath               \"/c\"", Nothing},
    {"FullScreenGammaIsNotGamma", "full_screen_gamma       1.5",
     [](MameOptions& o) { Num(o, Option::fullgamma, 150); }},
    {"PauseBrightnessIsNotBrightness", "pause_brightness        0.5",
     [](MameOptions& o) { Num(o, Option::pauzebright, 50); }},
    {"JoystickDeadzoneLongName", "joystick_deadzone         0.2", [](MameOptions& o) { Num(o, Option::deadzone, 20); }},
    {"JoystickSaturationShortName", "joy_saturation          0.7",
     [](MameOptions& o) { Num(o, Option::saturation, 70); }},
    {"JoystickSaturationLongName", "joystick_saturation       0.7",
     [](MameOptions& o) { Num(o, Option::saturation, 70); }},
    {"JoystickContradictoryIsNoFlag", "joystick_contradictory    1", Nothing},
    {"OldBeamWidth", "beam                    2.5", [](MameOptions& o) { Num(o, Option::beam, 250); }},
    {"BeamWidthMin", "beam_width_min            2.0", [](MameOptions& o) { Num(o, Option::beam, 200); }},
    {"BeamWidthMax", "beam_width_max            1.5", [](MameOptions& o) { Num(o, Option::beam, 150); }},
    {"BeamDotSizeIsNoWidth", "beam_dot_size             2.0", Nothing},
    {"BeamIntensityWeightIsNoWidth", "beam_intensity_weight     0", Nothing},
    {"OslogIsNotLog", "oslog                   1", [](MameOptions& o) { o.SetFlag(Option::oslog, true); }},
    {"StateCommentChangesNothing", "# state                 <NULL> (not set)", Nothing},
    {"InipathChangesNothing", "inipath                 \"/x\"", Nothing},
    {"FolderNamedMngwrite", "cfg_directory           \"/x/mngwrite\"", Nothing},
    {"FolderNamedCtrlr", "nvram_directory         \"/x/ctrlr hotrod\"", Nothing},
    // Values and their conversions.
    {"SpeedHalf", "speed                   0.5", [](MameOptions& o) { Num(o, Option::speed, 50); }},
    {"SpeedHalfComma", "speed                   0,5", [](MameOptions& o) { Num(o, Option::speed, 50); }},
    {"SpeedClamped", "speed                   3", [](MameOptions& o) { Num(o, Option::speed, 200); }},
    {"SpeedZeroOfOlderFiles", "speed                   0", [](MameOptions& o) { Num(o, Option::speed, 5); }},
    {"SpeedMameDiesOn", "speed                   0.04", [](MameOptions& o) { Num(o, Option::speed, 5); }},
    {"PauseBrightnessClamped", "pause_brightness        1.5", [](MameOptions& o) { Num(o, Option::pauzebright, 100); }},
    {"VolumeMinusTwelve", "volume                  -12", [](MameOptions& o) { Num(o, Option::volume, 20); }},
    {"VolumeZero", "volume                  0", [](MameOptions& o) { Num(o, Option::volume, 32); }},
    {"VolumeClamped", "volume                  -40", [](MameOptions& o) { Num(o, Option::volume, 0); }},
    {"LatencyThree", "audio_latency           3", [](MameOptions& o) { Num(o, Option::latency, 3); }},
    {"PriorityLow", "priority                -15", [](MameOptions& o) { Num(o, Option::highpriority, -15); }},
    {"FlickerRounded", "flicker                 12.5", [](MameOptions& o) { Num(o, Option::flicker, 12); }},
    {"NumScreensThree", "numscreens              3", [](MameOptions& o) { Num(o, Option::numscreens, 2); }},
    {"PrescaleZero", "prescale                0", [](MameOptions& o) { Num(o, Option::prescale, 0); }},
    {"PrescaleFour", "prescale                4", [](MameOptions& o) { Num(o, Option::prescale, 4); }},
    {"PrescaleEight", "prescale                8", [](MameOptions& o) { Num(o, Option::prescale, 8); }},
    {"RotateZeroIsNone", "rotate                  0", [](MameOptions& o) { Num(o, Option::rotation, kRotationNone); }},
    {"RorOne", "ror                     1", [](MameOptions& o) { Num(o, Option::rotation, kRotationClockwise); }},
    {"AutorolOne", "autorol                 1",
     [](MameOptions& o) { Num(o, Option::rotation, kRotationAutoAntiClockwise); }},
    {"RorZero", "ror                     0", Nothing},
    {"D3dVersionEight", "d3dversion              8", [](MameOptions& o) { Num(o, Option::directxversion, 0); }},
    {"FilterZero", "filter                  0", [](MameOptions& o) { o.SetFlag(Option::ddfilter, false); }},
    {"ControllerUnset", "# ctrlr                 <NULL> (not set)",
     [](MameOptions& o) { Num(o, Option::controller, 0); }},
    {"ControllerHotrodSe", "ctrlr                   hotrodse", [](MameOptions& o) { Num(o, Option::controller, 2); }},
    {"ResolutionKnown", "resolution0             1024x768@60", [](MameOptions& o) { Num(o, Option::ressize0, 2); }},
    {"ResolutionUnknown", "resolution0             800x600@75", [](MameOptions& o) { Num(o, Option::ressize0, 0); }},
    {"AspectSixteenNine", "aspect                  16:9",
     [](MameOptions& o) {
       o.SetFlag(Option::aspectauto, false);
       o.SetText(Option::aspectx, "16");
       o.SetText(Option::aspecty, "9");
     }},
    {"AspectFourThree", "aspect3                 4:3",
     [](MameOptions& o) {
       o.SetFlag(Option::aspect3auto, false);
       o.SetText(Option::aspectx3, "4");
       o.SetText(Option::aspecty3, "3");
     }},
    {"ViewPixelAspect", "view2                   pixel aspect", [](MameOptions& o) { Num(o, Option::view2, 2); }},
    {"ViewOther", "view2                   wide", [](MameOptions& o) { Num(o, Option::view2, 0); }},
    {"MovieUnset", "# mngwrite              <NULL> (not set)", Nothing},
    {"MovieEmptyPath", "mngwrite                \"\"",
     [](MameOptions& o) {
       o.SetFlag(Option::savemng, true);
       o.SetText(Option::mngfile, std::string(kFrontDir) + "movieclip.mng");
     }},
    {"SoundFile", "wavwrite                \"/rec/a b.wav\"",
     [](MameOptions& o) {
       o.SetFlag(Option::savesound, true);
       o.SetText(Option::soundfile, "/rec/a b.wav");
     }},
    {"FramesKeptAsWritten", "seconds_to_run          007", [](MameOptions& o) { o.SetText(Option::frames, "007"); }},
    {"EffectNone", "effect                  none", [](MameOptions& o) { o.SetText(Option::effect, "none"); }},
    {"EffectNamedError", "effect                  Error", [](MameOptions& o) { o.SetText(Option::effect, "Error"); }},
    {"ThrottleWithoutValue", "throttle", [](MameOptions& o) { o.SetFlag(Option::throttle, false); }},
    // Damaged lines: skipped, never turned into values.
    {"FramesNoNumber", "seconds_to_run          abc", Nothing},
    {"FrameskipNoNumber", "frameskip               abc", Nothing},
    {"FrameskipOutOfRange", "frameskip               11", Nothing},
    {"NumScreensOutOfRange", "numscreens              9", Nothing},
    {"PrescaleOutOfRange", "prescale                9", Nothing},
    {"SpeedNoNumber", "speed                   fast", Nothing},
    {"VolumeNoNumber", "volume                  loud", Nothing},
    {"LatencyWithoutValue", "audio_latency", Nothing},
    {"SampleRateUnknown", "samplerate              96000", Nothing},
    {"DeviceUnknown", "paddle_device           wheel", Nothing},
    {"ControllerUnknown", "ctrlr                   gamepad", Nothing},
    {"EffectWithoutValue", "effect", Nothing},
    {"CustomMapWithoutValue", "joystick_map            ", Nothing},
    {"AspectWithoutValue", "aspect", Nothing},
    {"AspectWithoutColon", "aspect                  4", Nothing},
    {"AspectWithoutSecondSide", "aspect                  4:", Nothing},
    {"AspectWithoutFirstSide", "aspect                  :3", Nothing},
    {"ScreenWithoutValue", "screen", Nothing},
    {"VideoWithoutValue", "video ", Nothing},
    {"RotateWithoutValue", "rotate ", Nothing},
    {"MovieWithoutValue", "mngwrite", Nothing},
    // Numbers at the edge of int: shifted without overflow, then clamped by the slider or refused by the list.
    {"VolumeHuge", "volume                  2147483647", [](MameOptions& o) { Num(o, Option::volume, 32); }},
    {"VolumeHugeNegative", "volume                  -2147483648", [](MameOptions& o) { Num(o, Option::volume, 0); }},
    {"NumScreensHugeNegative", "numscreens              -2147483648", Nothing},
    {"NumScreensHuge", "numscreens              2147483647", Nothing},
    {"PriorityHuge", "priority                2147483647", [](MameOptions& o) { Num(o, Option::highpriority, 1); }},
    {"NumberBeyondInt", "volume                  99999999999", Nothing},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReaderLineTest, testing::ValuesIn(kLineCases),
                         [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

// A value read from each starting state, so that a value which changes nothing cannot pass for one
// that sets what the start already held. kUnchanged: the start stays.
constexpr int kUnchanged = -1;

int ReadFrom(int start, Option option, const char* line) {
  MameOptions options;
  options.SetNumber(option, start);
  std::string romPath;
  LineTarget target{options, &romPath, kFrontDir};
  ApplyMameIniLine(line, target);
  return options.Number(option);
}

TEST(OptionFileReaderTest, VideoTakesTodaysModesAndOldWindowsModesAsOpenGl) {
  const std::pair<const char*, int> cases[] = {
      {"video                   opengl", kRenderOpenGl},
      {"video                     bgfx", kRenderBgfx},
      {"video                   soft", kRenderSoft},
      {"video                   accel", kRenderAccel},
      {"video                  none", kRenderNone},
      {"video                   d3d", kRenderOpenGl},
      {"video                   ddraw", kRenderOpenGl},
      {"video                  gdi", kRenderOpenGl},
      {"video                   vulkan", kUnchanged},
      {"video                   OpenGL", kUnchanged},
      {"video ", kUnchanged},
  };
  for (const auto& [line, expected] : cases) {
    for (const int start : {kRenderOpenGl, kRenderNone}) {
      EXPECT_EQ(ReadFrom(start, Option::render, line), expected == kUnchanged ? start : expected) << line;
    }
  }
}

TEST(OptionFileReaderTest, SoundIsOffOnlyForNoneAndZero) {
  const std::pair<const char*, int> cases[] = {
      {"sound                     auto", 1}, {"sound                     sdl", 1}, {"sound                   1", 1},
      {"sound                     none", 0}, {"sound                   0", 0},     {"sound", kUnchanged},
  };
  for (const auto& [line, expected] : cases) {
    for (const int start : {0, 1}) {
      EXPECT_EQ(ReadFrom(start, Option::sound, line), expected == kUnchanged ? start : expected) << line;
    }
  }
}

TEST(OptionFileReaderTest, RomPathLosesItsQuotesAndIgnoresMissingValues) {
  const std::pair<const char*, const char*> cases[] = {
      {"rompath                 \"/games/roms;/more roms\"", "/games/roms;/more roms"},
      {"rompath                 roms", "roms"},
      {"rompath                 \"/half", "/half"},
      {"rompath                 \"\"", "/old"},
      {"rompath", "/old"},
      {"rompath                 Error", "Error"},
  };
  for (const auto& [line, expected] : cases) {
    MameOptions options;
    std::string romPath = "/old";
    LineTarget target{options, &romPath, kFrontDir};
    ApplyMameIniLine(line, target);
    EXPECT_EQ(romPath, expected) << line;
  }
}

TEST(OptionFileReaderTest, SliderLabelsFollowWhatWasRead) {
  MameOptions options = DefaultOptions();
  std::string romPath;
  LineTarget target{options, &romPath, kFrontDir};
  ApplyMameIniLines({"speed                   0.5", "volume                  -12", "priority                -3",
                     "audio_latency           2", "pause_brightness        0.65"},
                    target);
  EXPECT_EQ(SliderLabel(options, Option::speed, '.'), "50%");
  EXPECT_EQ(SliderLabel(options, Option::volume, '.'), "-12db");
  EXPECT_EQ(SliderLabel(options, Option::highpriority, '.'), "-3");
  EXPECT_EQ(SliderLabel(options, Option::latency, '.'), "2");
  EXPECT_EQ(SliderLabel(options, Option::pauzebright, ','), "0,65");
  ApplyMameIniLine("volume                  0", target);
  EXPECT_EQ(SliderLabel(options, Option::volume, '.'), "0db");
}

class ReadFilesTest : public testing::Test {
 protected:
  ReadFilesTest() {
    std::filesystem::create_directory(dir_ / "ini");
    folders_.FrontDir = dir_.folder();
    folders_.IniDir = (dir_ / "ini").string();
  }
  void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    WriteFileBytes(path, platform::JoinLinesCrLf(lines));
  }

  TempDir dir_;
  MameFolders folders_;
  MameOptions options_ = DefaultOptions();
};

TEST_F(ReadFilesTest, AGameFileStartsFromMameIniNotFromThePreviousGame) {
  WriteLines(dir_ / "mame.ini", {"### mame.ini ###", "rompath                 \"/roms\"", "cheat                   1",
                                 "effect                  scan"});
  WriteLines(dir_ / "ini" / "pacman.ini",
             {"### pacman.ini ###", "throttle                0", "flipx                   1"});
  WriteLines(dir_ / "ini" / "galaga.ini", {"### galaga.ini ###", "sleep                   0"});
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::GameOptions, options_, folders_, "pacman", &error)) << error;
  EXPECT_FALSE(options_.Flag(Option::throttle));
  EXPECT_TRUE(options_.Flag(Option::flipupdown));
  EXPECT_TRUE(options_.Flag(Option::cheats));
  EXPECT_EQ(options_.Text(Option::effect), "scan");
  ASSERT_TRUE(ReadMameIni(OptionsMode::GameOptions, options_, folders_, "galaga", &error)) << error;
  EXPECT_TRUE(options_.Flag(Option::throttle));
  EXPECT_FALSE(options_.Flag(Option::flipupdown));
  EXPECT_FALSE(options_.Flag(Option::sleep));
  EXPECT_TRUE(options_.Flag(Option::cheats));
  EXPECT_TRUE(folders_.RomPath.empty());  // a game's reading never sets the ROM folder
}

TEST_F(ReadFilesTest, AGameFileIsFoundWhateverItsLetterCase) {
  WriteLines(dir_ / "ini" / "PacMan.ini", {"flipx                   1"});
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::GameOptions, options_, folders_, "pacman", &error)) << error;
  EXPECT_TRUE(options_.Flag(Option::flipupdown));
}

TEST_F(ReadFilesTest, AMissingFileChangesNothing) {
  options_.SetFlag(Option::cheats, true);
  const MameOptions before = options_;
  std::string error;
  EXPECT_FALSE(ReadMameIni(OptionsMode::DefaultOptions, options_, folders_, "", &error));
  EXPECT_NE(error.find("mame.ini"), std::string::npos) << error;
  EXPECT_FALSE(ReadMameIni(OptionsMode::GameOptions, options_, folders_, "nosuchgame", &error));
  EXPECT_FALSE(ReadMameIni(OptionsMode::GameOptions, options_, folders_, "../mame", &error));
  EXPECT_EQ(options_, before);
}

TEST_F(ReadFilesTest, DamagedLinesAreSkippedAndReadingGoesOn) {
  WriteLines(dir_ / "mame.ini",
             {"frameskip               abc", "speed                   x,y", "rompath                 \"/r\"",
              "volume                  -", "\xff\xfe garbage", "", "flipx                   1"});
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options_, folders_, "", &error)) << error;
  EXPECT_EQ(folders_.RomPath, "/r");
  EXPECT_TRUE(options_.Flag(Option::flipupdown));
  EXPECT_EQ(options_.Number(Option::speed), 100);
  EXPECT_EQ(options_.Number(Option::volume), 32);
}

// Unchanged, each line comes back as the user wrote it, the ones the dialog could not take too.
TEST_F(ReadFilesTest, FramesThatAreReadCanBeWrittenBack) {
  const std::pair<const char*, const char*> cases[] = {
      {"+5", "+5"}, {"007", "007"}, {"-3", "-3"}, {"+-5", "+-5"}, {"5+", "5+"}};
  for (const auto& [read, written] : cases) {
    WriteLines(dir_ / "mame.ini", {"### mame.ini ###", std::string("seconds_to_run          ") + read});
    MameOptions options = DefaultOptions();
    std::string error;
    ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options, folders_, "", &error)) << error;
    ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, folders_, "", &error)) << read << ": " << error;
    std::vector<std::string> lines;
    ASSERT_TRUE(platform::ReadTextFileLines(dir_ / "mame.ini", lines, &error)) << error;
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::string("seconds_to_run          ") + written), lines.end())
        << read;
  }
}

TEST_F(ReadFilesTest, MamesOwnPathsAreReadBackAndMissingOnesKept) {
  WriteLines(dir_ / "mame.ini",
             {"### mame.ini ###", "ctrlrpath               \"" + folders_.FrontDir + "ctrlr;/usr/share/mame/ctrlr\"",
              "hashpath                \"/usr/share/mame/hash\"", "# pluginspath           \"/commented/out\"",
              "hashpathx               \"/not/a/key\"", "swpath"});
  folders_.MameOwnPaths = {{"pluginspath", "/usr/share/mame/plugins"}, {"swpath", "software"}};
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options_, folders_, "", &error)) << error;
  EXPECT_EQ(folders_.MameOwnPaths, (std::vector<MamePathOption>{{"hashpath", "/usr/share/mame/hash"},
                                                                {"pluginspath", "/usr/share/mame/plugins"},
                                                                {"ctrlrpath", "/usr/share/mame/ctrlr"}}));
}

TEST_F(ReadFilesTest, BiosFilesSetTheirChoicesAndMissingOnesKeepThem) {
  WriteLines(dir_ / "ini" / "neogeo.ini",
             {"### neogeo.c ###", "", "### Mame CORE misc options ###", "bios                    japan "});
  WriteLines(dir_ / "ini" / "ar_bios.ini", {"### arcadia.c ###", "bios                    tenp211"});
  WriteLines(dir_ / "ini" / "stvbios.ini", {"bios                    mars"});  // not a choice
  options_.SetNumber(Option::stvbios, 3);
  options_.SetNumber(Option::playchoicebios, 1);  // its file is missing
  ReadBiosInis(options_, folders_.IniDir);
  EXPECT_EQ(options_.Number(Option::neogeobios), 5);
  EXPECT_EQ(options_.Number(Option::arbios), 2);
  EXPECT_EQ(options_.Number(Option::stvbios), 3);
  EXPECT_EQ(options_.Number(Option::playchoicebios), 1);
}

// MAME's key is the first word after any white space, exactly; the last line that sets it wins. Before
// each file the choice is "euro-s1" (1); "us " is 2, "asia" 4, "japan " 5.
TEST_F(ReadFilesTest, ABiosFileIsReadAsMameReadsIt) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"biosx                   asia"}, 1},
      {{"  bios japan"}, 5},
      {{"\tbios\tasia # europe"}, 4},
      {{"bios japan", "bios asia"}, 4},
      {{"bios asia", "biosx japan", "# bios us", "#bios us"}, 4},
      {{std::string("\xEF\xBB\xBF") + "bios asia"}, 4},
      {{"bios \"us\""}, 2},
      {{"bios asia", "bios mars"}, 1},  // not a choice: as it was
      {{"bios japan", "bios"}, 0},      // nothing after the key: MAME's default
  };
  for (const auto& [lines, choice] : cases) {
    WriteLines(dir_ / "ini" / "neogeo.ini", lines);
    options_.SetNumber(Option::neogeobios, 1);
    ReadBiosInis(options_, folders_.IniDir);
    EXPECT_EQ(options_.Number(Option::neogeobios), choice) << lines.back();
  }
}

TEST_F(ReadFilesTest, ReadingMameIniAlsoReadsTheBiosFiles) {
  WriteLines(dir_ / "mame.ini", {"### mame.ini ###"});
  WriteLines(dir_ / "ini" / "megatech.ini", {"bios                    ver2"});
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options_, folders_, "", &error)) << error;
  EXPECT_EQ(options_.Number(Option::megaplaybios), 1);
}

}  // namespace
}  // namespace kestrune::settings
