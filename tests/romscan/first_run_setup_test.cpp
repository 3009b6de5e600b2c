#include "romscan/first_run_setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace rs = kestrune::romscan;
using rs::MameChoice;

struct ChoiceCase {
  const char* name;
  const char* chosen;  // relative to the test's folder, which holds "front/" and "other/"
  MameChoice verdict;
  const char* fileName;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class MameChoiceRules : public ::testing::TestWithParam<ChoiceCase> {
 protected:
  void SetUp() override {
    fs::create_directories(dir_.path() / "front/sub");
    fs::create_directories(dir_.path() / "other");
    for (const char* file : {"front/mame", "front/MAME32.EXE", "front/mame32pp", "front/notes.txt", "other/mame"}) {
      kestrune::test::WriteFileBytes(dir_.path() / file, "#!/bin/sh\n");
      fs::permissions(dir_.path() / file, fs::path(file).extension() == ".txt" ? fs::perms(0644) : fs::perms(0755));
    }
    fs::create_symlink(dir_.path() / "front", dir_.path() / "linked");
  }
  kestrune::test::TempDir dir_;
};

TEST_P(MameChoiceRules, GivesItsVerdict) {
  const ChoiceCase& c = GetParam();
  const rs::MameChoiceResult result =
      rs::CheckMameChoice((dir_.path() / "front").string() + "/", dir_.path() / c.chosen);
  EXPECT_EQ(result.verdict, c.verdict);
  EXPECT_EQ(result.fileName, c.fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, MameChoiceRules,
    ::testing::Values(ChoiceCase{"MameInTheProgramFolder", "front/mame", MameChoice::accepted, "mame"},
                      ChoiceCase{"ThroughDotDot", "front/sub/../mame", MameChoice::accepted, "mame"},
                      ChoiceCase{"ThroughALinkToTheFolder", "linked/mame", MameChoice::accepted, "mame"},
                      ChoiceCase{"AnotherFolder", "other/mame", MameChoice::otherFolder, ""},
                      ChoiceCase{"ASubfolder", "front/sub/mame", MameChoice::otherFolder, ""},
                      ChoiceCase{"Mame32InAnyCase", "front/MAME32.EXE", MameChoice::mame32, ""},
                      ChoiceCase{"Mame32pp", "front/mame32pp", MameChoice::mame32, ""},
                      ChoiceCase{"NotExecutable", "front/notes.txt", MameChoice::notExecutable, ""},
                      ChoiceCase{"Missing", "front/mamep", MameChoice::notExecutable, ""}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(WizardTexts, RefusalsSayWhy) {
  EXPECT_EQ(rs::MameChoiceMessage(MameChoice::otherFolder), "The mame file must be in the same folder as Kestrune !");
  EXPECT_EQ(rs::MameChoiceMessage(MameChoice::mame32), "Kestrune does not support Mame32 binaries");
  EXPECT_EQ(rs::MameChoiceMessage(MameChoice::accepted), "");
}

TEST(WizardTexts, WelcomeAlignsTheFoundFilesAndChosenDoesNot) {
  const rs::OptionalFiles found{true, true, true, true};
  const rs::OptionalFiles none{};
  EXPECT_EQ(rs::WizardWelcomeText("mame", found),
            "A valid mamefile MAME was found.\n\n\n\n\nOptional files:\n\nHistory.dat  : Found\nMameinfo.dat : Found\n"
            "Catver.ini   : Found\nNplayers.ini : Found\n");
  EXPECT_EQ(rs::WizardWelcomeText("mame", none),
            "A valid mamefile MAME was found.\n\n\n\n\nOptional files:\n\nHistory.dat : Not found\n"
            "Mameinfo.dat : Not found\nCatver.ini : Not found\nNplayers.ini : Not found\n");
  EXPECT_EQ(rs::WizardWelcomeText("", found),
            "No known Mame executable was found in the root folder.\n\nYou have to choose a valid Mame binary "
            "manually.\n\nNote: Kestrune does not support Mame32 binaries!\n");
  EXPECT_EQ(rs::WizardChosenText("mame0251", {true, false, true, false}),
            "\nYou have selected MAME0251 as a valid mame binary.\nThe next step will search for valid Roms.\n\n"
            "Optional files:\n\nHistory.dat : Found\nMameinfo.dat : Not found\nCatver.ini : Found\n"
            "Nplayers.ini : Not found\n");
}

// The language is asked for every fixed part; file names, blanks and the executable's name stay.
TEST(WizardTexts, EveryFixedPartComesFromTheLanguage) {
  const rs::TextOf marked = [](std::string_view english) { return "[" + std::string(english) + "]"; };
  EXPECT_EQ(rs::WizardWelcomeText("mame", {true, false, false, false}, marked),
            "[A valid mamefile MAME was found.]\n\n\n\n\n[Optional files:]\n\nHistory.dat  : [Found]\n"
            "Mameinfo.dat : [Not found]\nCatver.ini : [Not found]\nNplayers.ini : [Not found]\n");
  EXPECT_EQ(rs::WizardChosenText("mame", {}, marked).substr(0, 102),
            "\n[You have selected MAME as a valid mame binary.\nThe next step will search for valid Roms.]\n\n"
            "[Optional");
  EXPECT_EQ(rs::WizardWelcomeText("", {}, marked).front(), '[');
  EXPECT_EQ(rs::WizardWelcomeText("", {}, marked).back(), ']');
}

TEST(WizardTexts, ScanTextDropsTheVersionLine) {
  EXPECT_EQ(rs::WizardScanText("M.A.M.E. build : 0.251 (unknown) \rScanning /p/roms/pong.zip\rRoms found     : 12\r"
                               "Roms checked : 3"),
            "Scanning /p/roms/pong.zip\nRoms found      : 12\nRoms checked : 3");
}

}  // namespace
