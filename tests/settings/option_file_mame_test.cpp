// The option files against the MAME that users have today (Debian's 0.251): MAME must take every
// value the dialog offers without a warning, keep its own installation's folders, and a mame.ini that
// MAME wrote itself must come back from the front-end with every value both know unchanged.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "settings/bios_sets.h"
#include "settings/mame_query.h"
#include "settings/option_file_reader.h"
#include "settings/option_file_writer.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

// Debian installs MAME outside the usual PATH.
std::string FindMame() {
  if (access("/usr/games/mame", X_OK) == 0) {
    return "/usr/games/mame";
  }
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = folder + "/mame";
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// Runs a command through the shell; returns its exit status and its output.
int RunCommand(const std::string& command, std::string& output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return -1;
  }
  std::array<char, 4096> buffer{};
  for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    output.append(buffer.data(), got);
  }
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Sets an environment variable for the life of the object, so that the front-end's own questions to
// MAME see the test's private home and not the user's.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = old;
    }
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A program folder with its ini folder, and a private home and runtime folder for MAME, which runs
// from the program folder without a display or sound device, bounded in time.
class MameFixture : public testing::Test {
 protected:
  void SetUp() override {
    mame_ = FindMame();
    if (mame_.empty()) {
      GTEST_SKIP() << "MAME is not installed";
    }
    std::filesystem::create_directory(dir_ / "ini");
    std::filesystem::create_directory(dir_ / "home");
    std::filesystem::create_directory(dir_ / "run");
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
    home_.emplace("HOME", (dir_ / "home").string());
    runtime_.emplace("XDG_RUNTIME_DIR", (dir_ / "run").string());
    folders_.FrontDir = dir_.folder();
    folders_.IniDir = dir_.folder() + "ini";
    ResetMameOptions(options_);
  }

  std::string IniPath(const std::string& folder) const { return folder + ";" + folder + "ini/"; }

  // MAME's output (standard output and error together) and exit status, away from any X display.
  int Mame(const std::string& arguments, std::string& output) const {
    const std::string command = "cd " + Quoted(dir_.path().string()) +
                                " && env -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 " +
                                Quoted(mame_) + " " + arguments + " 2>&1";
    return RunCommand(command, output);
  }

  void WriteOptions() { WriteFolder(dir_.folder(), options_); }

  // A program folder of its own for one run, with mame.ini and the BIOS files written from the options.
  std::string WriteFolder(const std::string& folder, const MameOptions& options) {
    std::filesystem::create_directories(folder + "ini");
    MameOptions written = options;
    MameFolders folders = folders_;
    folders.FrontDir = folder;
    folders.IniDir = folder + "ini";
    std::string error;
    EXPECT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, written, folders, "", &error)) << error;
    return folder;
  }

  struct Run {
    std::string what;
    std::string folder;  // the program folder whose files MAME reads
    std::string arguments;
    bool machineRuns = false;  // the machine has every file it needs, so MAME must not stop on an error
  };

  // Runs MAME with each folder's files (a few at a time) and checks that it took every value without a
  // word about it and ended well: a value may break MAME with no more than a signal (status 128 and up).
  void ExpectRunsCleanly(const std::vector<Run>& runs) const {
    constexpr std::size_t kAtOnce = 4;
    for (std::size_t first = 0; first < runs.size(); first += kAtOnce) {
      std::vector<std::future<std::pair<int, std::string>>> outputs;
      for (std::size_t i = first; i < std::min(first + kAtOnce, runs.size()); ++i) {
        outputs.push_back(std::async(std::launch::async, [this, &run = runs[i]] {
          std::string output;
          const std::string arguments = " -verbose " + run.arguments + " -seconds_to_run 1";
          return std::pair{Mame("-inipath " + Quoted(IniPath(run.folder)) + arguments, output), output};
        }));
      }
      for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto [status, output] = outputs[i].get();
        const Run& run = runs[first + i];
        ExpectNoWarning(output, run.what);
        if (run.machineRuns) {
          EXPECT_EQ(output.find("Fatal error"), std::string::npos) << run.what << "\n" << output;
        }
        // MAME's statuses: 0 all well, 2 the machine's ROMs are missing. BGFX aborts without an X display,
        // which says nothing of the values.
        const bool noDisplay = output.find("Failed to open default display") != std::string::npos;
        EXPECT_TRUE(status == 0 || (status == 2 && !run.machineRuns) || noDisplay) << run.what << ": status " << status;
      }
    }
  }

  static void ExpectNoWarning(const std::string& output, const std::string& what) {
    for (const char* warning : {"Invalid video value", "not supported", "reverting", "Could not load controller",
                                "unknown option", "Unable to find", "invalid BIOS", "Warning", "Out-of-range"}) {
      EXPECT_EQ(output.find(warning), std::string::npos) << what << ": " << warning << "\n" << output;
    }
  }

  std::string mame_;
  test::TempDir dir_;
  std::optional<ScopedEnvironment> home_;
  std::optional<ScopedEnvironment> runtime_;
  MameFolders folders_;
  MameOptions options_;
};

// Every state the dialog can give a control, spread over as few sets of values as the longest list has
// items: each list at each of its items, each check box both ways and each slider at both its ends.
std::vector<MameOptions> EveryControlsEnds(const MameOptions& base, const std::string& folder) {
  std::size_t runs = 2;
  for (const OptionInfo& info : OptionTable()) {
    if (info.kind == OptionKind::Choice) runs = std::max(runs, base.Items(info.id).size());
  }
  std::vector<MameOptions> all;
  for (std::size_t run = 0; run < runs; ++run) {
    MameOptions options = base;
    const bool high = run % 2 == 1;
    for (const OptionInfo& info : OptionTable()) {
      if (info.kind == OptionKind::Flag) {
        options.SetFlag(info.id, high);
      } else if (info.kind == OptionKind::Ratio || info.kind == OptionKind::Whole) {
        options.SetNumber(info.id, high ? info.maximum : info.minimum);
      } else if (info.kind == OptionKind::Choice) {
        options.SetNumber(info.id, static_cast<int>(run % options.Items(info.id).size()));
      }
    }
    all.push_back(std::move(options));
  }
  for (MameOptions& options : all) {
    options.SetText(Option::joystick_custom_map, "s8.4s8.44s8.4445");
    options.SetText(Option::mngfile, folder + "movie.mng");
    options.SetText(Option::soundfile, folder + "sound.wav");
  }
  return all;
}

TEST_F(MameFixture, EveryControlAtItsEndsAndEveryListItemIsTakenInMameIniAndInAGamesFile) {
  std::string error;
  ASSERT_TRUE(AskMameOwnPaths(mame_, folders_.MameOwnPaths, &error)) << error;
  for (const ScreenGroup& group : ScreenGroups()) {
    options_.SetDynamicItems(group.screen, {"first", "second"});
    options_.SetDynamicItems(group.resolution, {"640x480@60"});
  }
  std::vector<Run> runs;
  const std::vector<MameOptions> ends = EveryControlsEnds(options_, dir_.folder());
  for (std::size_t i = 0; i < ends.size(); ++i) {
    // MAME reads no further than a mame.ini that says not to read its files, the game's file included;
    // a game's own file is read whatever it says.
    MameOptions defaults = ends[i];
    defaults.SetFlag(Option::readconfig, true);
    const std::string number = std::to_string(i);
    runs.push_back({"mame.ini " + number, WriteFolder(dir_.folder() + "default" + number + "/", defaults), "", true});
    const std::string folder = WriteFolder(dir_.folder() + "game" + number + "/", options_);
    MameOptions game = ends[i];
    MameFolders folders = folders_;
    folders.FrontDir = folder;
    folders.IniDir = folder + "ini";
    ASSERT_TRUE(WriteMameIni(OptionsMode::GameOptions, game, folders, "pong", &error)) << error;
    runs.push_back({"pong.ini " + number, folder, "", true});
  }
  for (Run& run : runs) run.arguments = "pong -video none -sound none -nothrottle";
  ExpectRunsCleanly(runs);
}

// The "key value" lines of -showconfig.
std::map<std::string, std::string> ConfigValues(const std::string& showConfig) {
  std::map<std::string, std::string> values;
  for (std::string_view line : platform::SplitTextLines(showConfig)) {
    const std::size_t blank = line.find(' ');
    if (line.empty() || line.front() == '#' || blank == std::string_view::npos) {
      continue;
    }
    values[std::string(line.substr(0, blank))] = std::string(platform::TrimBlanks(line.substr(blank)));
  }
  return values;
}

TEST_F(MameFixture, AFirstRunsDefaultsRunWithoutAWarningAndKeepMamesOwnFolders) {
  std::string error;
  ASSERT_TRUE(AskMameOwnPaths(mame_, folders_.MameOwnPaths, &error)) << error;
  WriteOptions();
  ExpectRunsCleanly({{"defaults", dir_.folder(), "pong -video none -sound none", true}});

  std::string own;
  ASSERT_EQ(Mame("-showconfig", own), 0) << own;
  std::string withIni;
  ASSERT_EQ(Mame("-inipath " + Quoted(IniPath(dir_.folder())) + " -showconfig", withIni), 0) << withIni;
  const auto mameValues = ConfigValues(own);
  const auto values = ConfigValues(withIni);
  for (const char* key : {"hashpath", "pluginspath", "bgfx_path", "languagepath", "cheatpath"}) {
    ASSERT_TRUE(mameValues.contains(key)) << key;
    EXPECT_EQ(values.at(key), mameValues.at(key)) << key;
  }
  EXPECT_EQ(values.at("ctrlrpath"), dir_.folder() + "ctrlr;" + mameValues.at("ctrlrpath"));
}

TEST_F(MameFixture, EveryVideoSoundAndControllerChoiceRunsWithoutAWarning) {
  std::string error;
  ASSERT_TRUE(AskMameOwnPaths(mame_, folders_.MameOwnPaths, &error)) << error;
  std::vector<Run> runs;
  auto add = [&](const std::string& what, const std::string& arguments) {
    std::string folder = dir_.folder() + what + "/";
    std::replace(folder.begin() + static_cast<std::ptrdiff_t>(dir_.folder().size()), folder.end(), ' ', '_');
    runs.push_back({what, WriteFolder(folder, options_), "pong -nothrottle " + arguments, true});
  };
  for (std::size_t mode = 0; mode < kRenderValues.size(); ++mode) {
    ASSERT_TRUE(options_.SetNumber(Option::render, static_cast<int>(mode)));
    add("video " + std::string(kRenderValues[mode]), "-sound none");
  }
  ASSERT_TRUE(options_.SetNumber(Option::render, kRenderNone));
  for (const bool sound : {true, false}) {
    options_.SetFlag(Option::sound, sound);
    add(sound ? "sound on" : "sound off", "");
  }
  for (int controller = 0; controller < static_cast<int>(kControllerValues.size()); ++controller) {
    ASSERT_TRUE(options_.SetNumber(Option::controller, controller));
    add("controller " + std::to_string(controller), "-video none -sound none");
  }
  ExpectRunsCleanly(runs);
}

TEST_F(MameFixture, EveryBiosChoiceOfTheInstalledMameIsTaken) {
  std::string listXml;
  std::vector<std::string> arguments{"-listxml"};
  for (const BiosFile& file : BiosFiles()) {
    arguments.emplace_back(file.machine);
  }
  std::string error;
  ASSERT_TRUE(RunForOutput(mame_, arguments, listXml, &error)) << error;
  ApplyBiosSets(options_, BiosSetsFromListXml(listXml));
  // A choice read from an older MAME's file that today's MAME lacks is written as the default.
  test::WriteFileBytes(dir_ / "ini" / "neogeo.ini", "bios                    asia\r\n");
  ReadBiosInis(options_, folders_.IniDir);
  ASSERT_EQ(options_.Number(Option::neogeobios), 0);
  std::vector<Run> runs;
  for (const BiosFile& file : BiosFiles()) {
    ASSERT_TRUE(options_.BiosFromMame(file.control)) << file.machine;
    // Each choice in a folder of its own, the other BIOS files at their defaults.
    MameOptions options = options_;
    for (int choice = 0; choice < static_cast<int>(options.BiosNames(file.control).size()); ++choice) {
      ASSERT_TRUE(options.SetNumber(file.control, choice));
      const std::string what = std::string(file.machine) + " BIOS " + std::to_string(choice);
      const std::string folder =
          WriteFolder(dir_.folder() + std::string(file.machine) + std::to_string(choice) + "/", options);
      runs.push_back({what, folder, std::string(file.machine) + " -video none -sound none"});
    }
  }
  ExpectRunsCleanly(runs);
}

// Options that mame.ini holds as the front-end's folders or as fixed texts, not as MAME's values.
bool IsFolderOrFixed(const std::string& key) {
  return key.ends_with("path") || key.ends_with("_directory") || key == "bios";
}

TEST_F(MameFixture, AMameIniThatMameWroteComesBackWithEveryValueBothKnow) {
  // MAME writes its file with values away from its defaults, as a user's own file would hold them.
  const std::filesystem::path mameDir = dir_ / "mame";
  std::filesystem::create_directory(mameDir);
  std::string output;
  const std::string created =
      "cd " + Quoted(mameDir.string()) + " && timeout 60 " + Quoted(mame_) +
      " -rompath '$HOME/my roms;/srv/roms' -video soft -sound none -joystick_deadzone 0.2"
      " -joystick_saturation 0.7 -beam_width_min 2.5 -beam_width_max 2.5 -speed 1.5 -volume -12 -prescale 2"
      " -frameskip 3 -flicker 12 -window -nomaximize -nokeepaspect -samplerate 22050 -audio_latency 3"
      " -brightness 1.2 -pause_brightness 0.5 -effect scanlines -nomouse -joystick -lightgun -steadykey"
      " -offscreen_reload -multikeyboard -paddle_device mouse -mouse_device joystick -autosave -cheat"
      " -skip_gameinfo -nothrottle -nosleep -ror -flipx -artwork_crop -numscreens 2 -waitvsync -syncrefresh"
      " -switchres -nofilter -aspect 16:9 -resolution0 640x480@60 -view cocktail -ctrlr xarcade"
      " -joystick_map s8.4s8.44s8.4445 -seconds_to_run 30 -log -verbose -createconfig 2>&1";
  ASSERT_EQ(RunCommand(created, output), 0) << output;

  MameFolders read;
  read.FrontDir = mameDir.string() + "/";
  read.IniDir = mameDir.string() + "/ini";
  MameOptions options;
  options.SetDynamicItems(Option::ressize0, {"640x480@60", "1024x768@60"});
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options, read, "", &error)) << error;
  MameFolders written = folders_;
  written.RomPath = read.RomPath;
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, written, "", &error)) << error;

  std::string before;
  ASSERT_EQ(Mame("-inipath " + Quoted(mameDir.string()) + " -showconfig", before), 0) << before;
  std::string after;
  ASSERT_EQ(Mame("-inipath " + Quoted(IniPath(dir_.folder())) + " -showconfig", after), 0) << after;
  const auto mameValues = ConfigValues(before);
  const auto values = ConfigValues(after);
  std::vector<std::string> lines;
  ASSERT_TRUE(platform::ReadTextFileLines(dir_ / "mame.ini", lines, &error)) << error;
  const std::map<std::string, std::string> longNames{{"joy_deadzone", "joystick_deadzone"},
                                                     {"joy_saturation", "joystick_saturation"}};
  int compared = 0;
  for (const std::string& line : lines) {
    std::string key = line.substr(0, line.find(' '));
    key = longNames.contains(key) ? longNames.at(key) : key;
    if (line.empty() || line.starts_with('#') || !mameValues.contains(key) ||
        (IsFolderOrFixed(key) && key != "rompath")) {
      continue;
    }
    ++compared;
    const auto a = ParseDecimal(mameValues.at(key));
    const auto b = ParseDecimal(values.at(key));
    if (a && b) {
      EXPECT_DOUBLE_EQ(*a, *b) << key;
    } else {
      EXPECT_EQ(values.at(key), mameValues.at(key)) << key;
    }
  }
  EXPECT_GT(compared, 60);
}

// MAME's own view of the file, before and after an OK that changes one option, over a mame.ini that MAME
// wrote with the user's folders and options the dialog has no control for: only that option differs.
TEST_F(MameFixture, AnOkOverAMameIniMameWroteChangesNothingElseMameSees) {
  std::string output;
  const std::string created = "cd " + Quoted(dir_.path().string()) + " && timeout 60 " + Quoted(mame_) +
                              " -rompath '/data/my roms' -samplepath /data/samples -artpath /data/art"
                              " -cfg_directory /data/cfg -nvram_directory /data/nvram -state_directory /data/sta"
                              " -confirm_quit -nocoin_lockout -ui_mouse -createconfig 2>&1";
  ASSERT_EQ(RunCommand(created, output), 0) << output;
  std::string before;
  ASSERT_EQ(Mame("-inipath " + Quoted(IniPath(dir_.folder())) + " -showconfig", before), 0) << before;

  MameFolders folders;
  folders.FrontDir = dir_.folder();
  folders.IniDir = dir_.folder() + "ini";
  std::string error;
  ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, options_, folders, "", &error)) << error;
  options_.SetFlag(Option::runwin, !options_.Flag(Option::runwin));
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options_, folders, "", &error)) << error;
  std::string after;
  ASSERT_EQ(Mame("-inipath " + Quoted(IniPath(dir_.folder())) + " -showconfig", after), 0) << after;

  std::vector<std::string> ours;
  ASSERT_TRUE(platform::ReadTextFileLinesAsIs(dir_ / "mame.ini", ours, &error)) << error;
  std::set<std::string> written;
  for (const std::string& line : MameIniLines(OptionsMode::DefaultOptions, options_, folders, "")) {
    if (!line.empty() && line.front() != '#') written.insert(line.substr(0, line.find(' ')));
  }
  const auto was = ConfigValues(before);
  const auto is = ConfigValues(after);
  EXPECT_NE(was.at("window"), is.at("window"));
  for (const auto& [key, value] : was) {
    // The options the dialog writes from its own values are checked by the round trip above; the ini,
    // input and snapshot folders are the program's own.
    if ((written.contains(key) && !IsFolderOrFixed(key)) || key == "inipath" || key == "input_directory" ||
        key == "snapshot_directory") {
      continue;
    }
    EXPECT_EQ(is.contains(key) ? is.at(key) : "(gone)", value) << key;
  }
  EXPECT_EQ(is.at("confirm_quit"), "1");
  EXPECT_EQ(is.at("coin_lockout"), "0");
  EXPECT_EQ(is.at("rompath"), "\"/data/my roms\"");
}

}  // namespace
}  // namespace kestrune::settings
