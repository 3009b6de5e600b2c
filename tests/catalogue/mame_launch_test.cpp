#include "catalogue/mame_launch.h"

#include <gtest/gtest.h>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::catalogue {
namespace {

using Args = std::vector<std::string>;

TEST(MameLaunch, ArgumentsOfEachKindOfStart) {
  const std::string front = "/games/kestrune/";
  const std::string ini = "/games/kestrune/ini";
  const Args inipath{"-inipath", "/games/kestrune/;/games/kestrune/ini/"};
  auto with = [&](Args tail) {
    Args all = inipath;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  EXPECT_EQ(MameArguments(PlayKind::Play, "pacman", "", front, ini), with({"pacman"}));
  EXPECT_EQ(MameArguments(PlayKind::Play, "pacman", "  -video none  -sound none ", front, ini),
            with({"-video", "none", "-sound", "none", "pacman"}));
  EXPECT_EQ(MameArguments(PlayKind::Record, "pacman", "-skip_gameinfo", front, ini),
            with({"-skip_gameinfo", "pacman", "-rec", "pacman.inp"}));
  // A playback takes no extra options.
  EXPECT_EQ(MameArguments(PlayKind::Playback, "pacman", "-video none", front, ini),
            with({"pacman", "-playback", "pacman.inp"}));
}

TEST(MameLaunch, RecordingIsFoundInAnyLetterCase) {
  test::TempDir dir;
  EXPECT_TRUE(FindSetFile(dir.path(), "pacman.inp").empty());
  test::WriteFileBytes(dir / "PacMan.INP", "x");
  EXPECT_EQ(FindSetFile(dir.path(), "pacman.inp"), dir / "PacMan.INP");
  test::WriteFileBytes(dir / "pacman.inp", "x");
  EXPECT_EQ(FindSetFile(dir.path(), "pacman.inp"), dir / "pacman.inp");
  EXPECT_EQ(MameArguments(PlayKind::Playback, "pacman", "", "/f/", "/f/ini", "PacMan.INP").back(), "PacMan.INP");
}

TEST(MameLaunch, ExtraOptionsSplitAtBlanksOutsideQuotes) {
  EXPECT_EQ(SplitOptions(""), Args{});
  EXPECT_EQ(SplitOptions("   "), Args{});
  EXPECT_EQ(SplitOptions("-rompath \"/my roms;/more\" -window"), (Args{"-rompath", "/my roms;/more", "-window"}));
  EXPECT_EQ(SplitOptions("-a\t-b"), (Args{"-a", "-b"}));
  EXPECT_EQ(SplitOptions("\"\""), Args{""});
  EXPECT_EQ(SplitOptions("\"unclosed text"), Args{"unclosed text"});
}

TEST(MameLaunch, OnlyNamesMameCouldWriteAreSetNames) {
  for (const char* name : {"pacman", "sf2ce", "1942", "mspacman_3", "Puckman"}) {
    EXPECT_TRUE(IsMameSetName(name)) << name;
  }
  for (const char* name : {"", "pac man", "../pacman", "pacman;rm", "-listxml", "pac.man", "pacman\n"}) {
    EXPECT_FALSE(IsMameSetName(name)) << name;
  }
}

TEST(MameLaunch, WindowOptionComesFromTheGameFileElseMameIni) {
  struct Case {
    const char* gameIni;  // null: no game file
    const char* mameIni;  // null: no mame.ini
    WindowOption expected;
  };
  const Case cases[] = {
      {"window                    1\r\n", "window 0\r\n", WindowOption::Windowed},
      {"window                    0\r\n", "window 1\r\n", WindowOption::FullScreen},
      {nullptr, "video opengl\r\nwindow 1\r\n", WindowOption::Windowed},
      {nullptr, "window\r\n", WindowOption::FullScreen},
      // Another option whose name starts with "window" is not the window option.
      {"windowed_fullscreen 1\r\nwindow_x 1\r\n", "window 1\r\n", WindowOption::None},
      {"keepaspect 1\r\n", "window 1\r\n", WindowOption::None},
      {nullptr, nullptr, WindowOption::None},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "ini");
    if (c.gameIni != nullptr) test::WriteFileBytes(dir / "ini" / "pacman.ini", c.gameIni);
    if (c.mameIni != nullptr) test::WriteFileBytes(dir / "mame.ini", c.mameIni);
    EXPECT_EQ(ReadWindowOption((dir / "ini").string(), dir.folder(), "pacman"), c.expected)
        << (c.gameIni ? c.gameIni : "-") << " / " << (c.mameIni ? c.mameIni : "-");
  }
}

TEST(MameLaunch, PlaysAreCountedAndTimed) {
  Tgameinfo record;
  record.timesplayed = "7";
  record.playtime = "00:59:30";
  CountStart(record);
  AccountPlay(record, 90'000);
  EXPECT_EQ(record.timesplayed, "8");
  EXPECT_EQ(record.playtime, "01:01:00");

  // Counters past 16 bits and totals of 100 hours and more keep counting; damaged ones start at 0.
  record.timesplayed = "65535";
  record.playtime = "99:59:59";
  CountStart(record);
  AccountPlay(record, 2'000);
  EXPECT_EQ(record.timesplayed, "65536");
  EXPECT_EQ(record.playtime, "100:00:01");

  record.timesplayed = "x1";
  record.playtime = "garbage";
  CountStart(record);
  AccountPlay(record, -5'000);
  EXPECT_EQ(record.timesplayed, "x1");
  EXPECT_EQ(record.playtime, "00:00:00");

  // A count that cannot be read, or that is at the top of its range, stays as it is.
  for (const char* count : {"99999999999999999999", "9223372036854775807", "", "-1"}) {
    record.timesplayed = count;
    CountStart(record);
    EXPECT_EQ(record.timesplayed, count);
  }
}

}  // namespace
}  // namespace kestrune::catalogue
