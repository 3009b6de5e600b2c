#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <locale>
#include <random>

#include "mame_options_printer.h"
#include "platform/text_file.h"
#include "settings/option_file_reader.h"
#include "settings/option_file_writer.h"
#include "settings/options_dialog_keys.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::TempDir;

const std::vector<std::string> kScreens{"\\\\.\\DISPLAY1", "\\\\.\\DISPLAY2"};
const std::vector<std::string> kModes{"640x480@60", "800x600@75", "1920x1080@60"};

MameOptions WithDisplays() {
  MameOptions options;
  for (const ScreenGroup& group : ScreenGroups()) {
    options.SetDynamicItems(group.screen, kScreens);
    options.SetDynamicItems(group.resolution, kModes);
  }
  return options;
}

int Pick(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

std::string PickOf(std::mt19937& rng, const std::vector<std::string>& texts) {
  return texts[static_cast<std::size_t>(Pick(rng, 0, static_cast<int>(texts.size()) - 1))];
}

// The lowest choice that a file can carry back: a prescale of "None" is MAME's 1 and comes back as "1".
int LowestChoice(Option option) { return option == Option::prescale ? 1 : 0; }
int HighestChoice(const MameOptions& options, Option option) {
  return static_cast<int>(options.Items(option).size()) - 1;
}

void PickTexts(std::mt19937& rng, MameOptions& o) {
  for (const ScreenGroup& group : ScreenGroups()) {
    const bool automatic = o.Flag(group.aspectAuto);
    o.SetText(group.aspectX, automatic ? "" : std::to_string(Pick(rng, 1, 16)));
    o.SetText(group.aspectY, automatic ? "" : std::to_string(Pick(rng, 1, 16)));
  }
  o.SetText(Option::mngfile, o.Flag(Option::savemng) ? PickOf(rng, {"/m/a.mng", "/my movies/b#1.mng"}) : "");
  o.SetText(Option::soundfile, o.Flag(Option::savesound) ? PickOf(rng, {"/s/a.wav", "/x y/z.wav"}) : "");
  o.SetText(Option::joystick_custom_map,
            o.Number(Option::joystick_axes) == 1 ? PickOf(rng, {"s8.4s8.44s8.4445", "Error", "4444s8888"}) : "");
  o.SetText(Option::effect, PickOf(rng, {"none", "scan", "Error", "scanlines 2x"}));
  o.SetText(Option::frames, std::to_string(Pick(rng, 0, 100000)));
}

MameOptions RandomOptions(std::mt19937& rng) {
  MameOptions o = WithDisplays();
  for (const OptionInfo& info : OptionTable()) {
    switch (info.kind) {
      case OptionKind::Flag:
        o.SetFlag(info.id, Pick(rng, 0, 1) == 1);
        break;
      case OptionKind::Ratio:
      case OptionKind::Whole:
        o.SetNumber(info.id, Pick(rng, info.minimum, info.maximum));
        break;
      case OptionKind::Choice:
        EXPECT_TRUE(o.SetNumber(info.id, Pick(rng, LowestChoice(info.id), HighestChoice(o, info.id))));
        break;
      case OptionKind::Text:
        break;
    }
  }
  PickTexts(rng, o);
  return o;
}

// Writes the options as the file of the mode would hold them and reads them into `reader`.
MameOptions InMemoryRoundTrip(OptionsMode mode, const MameOptions& written, const MameOptions& reader) {
  MameFolders folders;
  folders.FrontDir = "/games/kestrune/";
  folders.IniDir = "/games/kestrune/ini";
  const std::string text = platform::JoinLinesCrLf(MameIniLines(mode, written, folders, "pacman"));
  std::vector<std::string> lines;
  for (std::string_view line : platform::SplitTextLines(text)) {
    lines.emplace_back(line);
  }
  MameOptions read = CleanOptions(reader);
  LineTarget target{read, nullptr, folders.FrontDir};
  ApplyMameIniLines(lines, target);
  return read;
}

void CopyBiosChoices(const MameOptions& from, MameOptions& to) {
  for (const BiosFile& file : BiosFiles()) {
    to.SetNumber(file.control, from.Number(file.control));
  }
}

TEST(OptionFileRoundTripTest, ManyGeneratedModelsComeBackUnchanged) {
  std::mt19937 rng(20240251);
  for (int round = 0; round < 400; ++round) {
    const MameOptions written = RandomOptions(rng);
    MameOptions reader = RandomOptions(rng);
    CopyBiosChoices(written, reader);  // BIOS choices travel in their own files
    // A game's file leaves out what today's MAME no longer has: those values keep their defaults.
    MameOptions inGameFile = written;
    for (const Option gone : IgnoredOptions(GoneOptionKeys())) {
      inGameFile.SetNumber(gone, CleanOptions(reader).Number(gone));
    }
    ASSERT_EQ(OptionDifferences(InMemoryRoundTrip(OptionsMode::DefaultOptions, written, reader), written), "")
        << "round " << round;
    ASSERT_EQ(OptionDifferences(InMemoryRoundTrip(OptionsMode::GameOptions, written, reader), inGameFile), "")
        << "round " << round;
  }
}

TEST(OptionFileRoundTripTest, EveryChoiceOfEveryListComesBack) {
  const MameOptions defaults = [] {
    MameOptions o = WithDisplays();
    ResetMameOptions(o);
    return o;
  }();
  for (const OptionInfo& info : OptionTable()) {
    const bool bios = std::any_of(BiosFiles().begin(), BiosFiles().end(),
                                  [&info](const BiosFile& file) { return file.control == info.id; });
    if (info.kind != OptionKind::Choice || info.id == Option::joystick_axes || bios) {
      continue;  // the custom joystick map needs its text, the BIOS choices their files: tested apart
    }
    for (int choice = LowestChoice(info.id); choice <= HighestChoice(defaults, info.id); ++choice) {
      MameOptions written = defaults;
      ASSERT_TRUE(written.SetNumber(info.id, choice));
      MameOptions reader = defaults;
      CopyBiosChoices(written, reader);
      EXPECT_EQ(InMemoryRoundTrip(OptionsMode::DefaultOptions, written, reader).Number(info.id), choice)
          << info.control << " " << choice;
    }
  }
}

TEST(OptionFileRoundTripTest, EveryBiosChoiceComesBackFromItsFile) {
  TempDir dir;
  for (const BiosFile& file : BiosFiles()) {
    for (int choice = 0; choice < static_cast<int>(file.values.size()); ++choice) {
      MameOptions written;
      ASSERT_TRUE(written.SetNumber(file.control, choice));
      std::string error;
      ASSERT_TRUE(WriteBiosInis(written, dir.path().string(), &error)) << error;
      MameOptions read;
      ASSERT_TRUE(read.SetNumber(file.control, choice == 0 ? 1 : 0));
      ReadBiosInis(read, dir.path().string());
      EXPECT_EQ(read.Number(file.control), choice) << file.fileName << " " << choice;
    }
  }
}

TEST(OptionFileRoundTripTest, ChoicesWithoutTheirOwnValueComeBackAsTheirNeighbour) {
  MameOptions written = WithDisplays();
  ResetMameOptions(written);
  written.SetNumber(Option::prescale, 0);      // "None": MAME's 1
  written.SetNumber(Option::screenshow1, -1);  // no choice: the second display
  written.SetNumber(Option::ressize2, -1);     // no choice: auto
  written.SetText(Option::effect, "");         // "none"
  const MameOptions read = InMemoryRoundTrip(OptionsMode::DefaultOptions, written, written);
  EXPECT_EQ(read.Number(Option::prescale), 1);
  EXPECT_EQ(read.Number(Option::screenshow1), 2);
  EXPECT_EQ(read.Number(Option::ressize2), 0);
  EXPECT_EQ(read.Text(Option::effect), "none");
}

TEST(OptionFileRoundTripTest, FilesOnDiskComeBackWithTheirFoldersAndBiosChoices) {
  std::mt19937 rng(4711);
  for (int round = 0; round < 20; ++round) {
    TempDir dir;
    std::filesystem::create_directory(dir / "ini");
    MameOptions written = RandomOptions(rng);
    MameFolders folders;
    folders.FrontDir = dir.folder();
    folders.RomPath = round % 2 == 0 ? "/arcade/roms;/more roms" : "";
    if (round % 4 < 2) {
      folders.MameOwnPaths = {{"hashpath", "/usr/share/games/mame/hash"},
                              {"cheatpath", "$HOME/mame/cheat;/usr/share/games/mame/cheat"},
                              {"bgfx_path", "/opt/mame bgfx"},
                              {"ctrlrpath", "/usr/share/games/mame/ctrlr;$HOME/ctrlr"}};
    }
    std::string error;
    ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, written, folders, "", &error)) << error;
    ASSERT_TRUE(WriteMameIni(OptionsMode::GameOptions, written, folders, "pacman", &error)) << error;

    // The writer fills empty aspect edits even behind "Auto Aspect Ratio"; "auto" reads back as empty edits.
    for (const ScreenGroup& group : ScreenGroups()) {
      if (written.Flag(group.aspectAuto)) {
        written.SetText(group.aspectX, "");
        written.SetText(group.aspectY, "");
      }
    }
    MameOptions read = RandomOptions(rng);
    MameFolders readFolders = folders;
    readFolders.RomPath = "/elsewhere";
    ASSERT_TRUE(ReadMameIni(OptionsMode::DefaultOptions, read, readFolders, "", &error)) << error;
    EXPECT_EQ(OptionDifferences(read, written), "");
    EXPECT_EQ(readFolders, folders);

    MameOptions game = RandomOptions(rng);
    CopyBiosChoices(written, game);
    ASSERT_TRUE(ReadMameIni(OptionsMode::GameOptions, game, readFolders, "pacman", &error)) << error;
    EXPECT_EQ(OptionDifferences(game, written), "");
  }
}

// A locale whose decimal separator is ",", for the C library and for C++ streams alike.
class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) {
        break;
      }
    }
    if (!Active()) {
      MakeOne();
    }
    previous_ = std::locale::global(std::locale(std::locale::classic(), new Numpunct));
  }
  ~CommaLocale() {
    std::locale::global(previous_);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  static bool Active() { return std::string_view(std::localeconv()->decimal_point) == ","; }

 private:
  struct Numpunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
  };

  // Systems without German locale data can still build one from the i18n sources.
  void MakeOne() {
    const std::string command = "localedef -i de_DE -f UTF-8 " + (dir_ / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
      setenv("LOCPATH", dir_.path().c_str(), 1);
      std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
  }

  TempDir dir_;
  std::locale previous_;
};

TEST(OptionFileLocaleTest, RatiosUseADotWhateverTheLocale) {
  CommaLocale locale;
  if (!CommaLocale::Active()) {
    GTEST_SKIP() << "no locale with a decimal comma on this system";
  }
  MameOptions options;
  ResetMameOptions(options);
  options.SetNumber(Option::pauzebright, 65);
  options.SetNumber(Option::speed, 150);
  MameFolders folders;
  folders.FrontDir = "/games/kestrune/";
  const auto lines = MameIniLines(OptionsMode::DefaultOptions, options, folders, "");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "pause_brightness        0.65"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "speed                   1.5"), lines.end());

  std::string romPath;
  LineTarget target{options, &romPath, folders.FrontDir};
  ApplyMameIniLine("speed                   0.5", target);
  EXPECT_EQ(options.Number(Option::speed), 50);
  ApplyMameIniLine("speed                   0,25", target);
  EXPECT_EQ(options.Number(Option::speed), 25);
  EXPECT_EQ(SliderLabel(options, Option::pauzebright, ','), "0,65");

  std::mt19937 rng(7);
  const MameOptions written = RandomOptions(rng);
  EXPECT_EQ(OptionDifferences(InMemoryRoundTrip(OptionsMode::DefaultOptions, written, written), written), "");
}

}  // namespace
}  // namespace kestrune::settings
