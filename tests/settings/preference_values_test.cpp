#include "settings/preference_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

namespace set = kestrune::settings;
namespace fs = std::filesystem;

TEST(MameFolders, ReadFromMameIniLinesWithQuotesLaterLinesAndMameOwnControllerFolders) {
  kestrune::test::TempDir dir;
  kestrune::test::WriteFileBytes(dir / "mame.ini",
                                 "rompath                 \"/games/roms;/more roms\"\r\n"
                                 "samplepath              /old\r\n"
                                 "samplepath              /new\r\n"
                                 "ctrlrpath               \"/front/ctrlr;/usr/share/games/mame/ctrlr\"\r\n"
                                 "cfg_directory           \"\r\n"
                                 "# fontpath              /commented\r\n"
                                 "inipath                 $HOME/.mame;/etc/mame\r\n"
                                 "input_directory         ~/inp\r\n");
  set::MameFolders folders;
  folders.FrontDir = dir.folder();
  folders.FontPath = "/kept";
  folders.IniDir = "/front/ini";
  ASSERT_TRUE(set::ReadMameFolders(dir / "mame.ini", folders));
  EXPECT_EQ(folders.RomPath, "/games/roms;/more roms");
  EXPECT_EQ(folders.SamplePath, "/new");
  EXPECT_EQ(folders.CtrlrPath, "/front/ctrlr");
  EXPECT_EQ(folders.CfgDir, "");
  EXPECT_EQ(folders.FontPath, "/kept");
  // MAME's own lists are no folder to write game ini files or find recordings in.
  EXPECT_EQ(folders.IniDir, "/front/ini");
  EXPECT_EQ(folders.InpDir, "");
}

TEST(MameFolders, AnUnreadableMameIniGivesEveryDefaultWithTheCtrlrWord) {
  kestrune::test::TempDir dir;
  set::MameFolders folders;
  folders.FrontDir = dir.folder();
  folders.RomPath = "/stale";
  EXPECT_FALSE(set::ReadMameFolders(dir / "mame.ini", folders));
  EXPECT_EQ(folders.RomPath, dir.folder() + "roms");
  EXPECT_EQ(folders.CtrlrPath, dir.folder() + "ctrlr");
  EXPECT_EQ(folders.StateDir, dir.folder() + "sta");
  EXPECT_EQ(folders.InpDir, dir.folder() + "inp");
}

struct ChoiceCase {
  const char* name;
  const char* file;  // in the program folder unless it starts with "../"
  bool executable;
  set::ExecutableVerdict verdict;
  const char* refusal;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ExecutableChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ExecutableChoice, IsRefusedWithItsReasonOrAccepted) {
  const ChoiceCase& c = GetParam();
  kestrune::test::TempDir dir;
  fs::create_directories(dir / "front");
  const fs::path file = dir / "front" / c.file;
  kestrune::test::WriteFileBytes(file, "#!/bin/sh\n");
  fs::permissions(file, c.executable ? fs::perms(0755) : fs::perms(0644));
  const set::ExecutableVerdict verdict = set::CheckMameExecutable(file, (dir / "front").string() + "/");
  EXPECT_EQ(verdict, c.verdict);
  EXPECT_EQ(set::ExecutableRefusal(verdict, "/x/y"), c.refusal);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExecutableChoice,
    ::testing::Values(ChoiceCase{"InTheProgramFolder", "mame", true, set::ExecutableVerdict::Accepted, ""},
                      ChoiceCase{"InAnotherFolder", "../mame", true, set::ExecutableVerdict::OtherFolder,
                                 "The mame file must be in the same folder as Kestrune"},
                      ChoiceCase{"Mame32InCapitals", "MAME32.EXE", true, set::ExecutableVerdict::Mame32,
                                 "Kestrune does not support Mame32 binaries"},
                      ChoiceCase{"NotExecutable", "mame", false, set::ExecutableVerdict::NotExecutable,
                                 "/x/y is not a program that can be run."}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(PreferenceValues, CycleTimesAndColourNumbers) {
  EXPECT_EQ(set::CycleIntervalMs("9"), 9000);
  for (const char* bad : {"", "x", "0", "-3"}) EXPECT_EQ(set::CycleIntervalMs(bad), 2000) << bad;
  EXPECT_EQ(set::ColourNumber({0x12, 0x34, 0x56}), std::to_string(0x563412));
  EXPECT_EQ(set::ColourFromNumber(std::to_string(0x563412)), (set::Rgb{0x12, 0x34, 0x56}));
  for (const char* none : {"", "-16777211", "16777216", "red"}) EXPECT_FALSE(set::ColourFromNumber(none)) << none;
}

}  // namespace
