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

// A vertical vector clone on a BIOS reads mame.ini, vertical.ini, arcade.ini, vector.ini, source/drv.ini,
// bios.ini, parent.ini and clone.ini, each from the program folder ("") or else the ini folder ("ini/").
TEST(MameLaunch, AnOptionComesFromTheLastFileOfTheGamesChainThatSetsIt) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> files;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {{{"mame.ini", "window 0\n"}, {"ini/vector.ini", "window 1\n"}}, "window", "1"},
      {{{"mame.ini", "video opengl\n"}, {"ini/parent.ini", "video none\n"}, {"ini/clone.ini", "keepaspect 1\n"}},
       "video",
       "none"},
      {{{"ini/mame.ini", "video opengl\n"}, {"source/drv.ini", "video none\n"}}, "video", "none"},
      {{{"ini/parent.ini", "window 1\n"}, {"ini/clone.ini", "window 0\r\n"}}, "window", "0"},
      {{{"mame.ini", "window 1\n"}, {"ini/clone.ini", "windowed_fullscreen 0\nwindow_x 0\n# window 0\n"}},
       "window",
       "1"},
      // Read as MAME reads a line: after white space, up to a comment, the last line of a file winning.
      {{{"ini/bios.ini", "\xEF\xBB\xBF  window 0\n\twindow\t1 # not 0\n"}}, "window", "1"},
      // MAME takes the first folder's file only, and reads no file after one that turns readconfig off.
      {{{"vector.ini", "keepaspect 1\n"}, {"ini/vector.ini", "window 1\n"}}, "window", std::nullopt},
      {{{"mame.ini", "window 0\n"}, {"ini/vertical.ini", "readconfig 0\n"}, {"ini/clone.ini", "window 1\n"}},
       "window",
       "0"},
      {{}, "window", std::nullopt},
  };
  Tgameinfo game;
  game.romname = "clone";
  game.cloneof = "parent";
  game.bios = "Bios";
  game.driver = "maker/drv.cpp";
  game.video = "Vector";
  game.orientation = "Vertical (90°)";
  for (const Case& c : cases) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "ini");
    std::filesystem::create_directories(dir / "source");
    for (const auto& [name, text] : c.files) test::WriteFileBytes(dir / name, text);
    EXPECT_EQ(GameOptionValue((dir / "ini").string(), dir.folder(), game, c.key), c.value)
        << c.files.size() << " " << (c.files.empty() ? "" : c.files.back().second);
  }
  test::TempDir dir;
  std::filesystem::create_directories(dir / "ini");
  EXPECT_EQ(ReadWindowOption((dir / "ini").string(), dir.folder(), game), WindowOption::None);
  test::WriteFileBytes(dir / "clone.ini", "window\n");
  EXPECT_EQ(ReadWindowOption((dir / "ini").string(), dir.folder(), game), WindowOption::FullScreen);
  test::WriteFileBytes(dir / "arcade.ini", "window 1\n");
  test::WriteFileBytes(dir / "clone.ini", "");
  EXPECT_EQ(ReadWindowOption((dir / "ini").string(), dir.folder(), game), WindowOption::Windowed);
  // A parent named by a damaged catalogue line is no way out of the folders.
  test::WriteFileBytes(dir / "ini" / "x.ini", "window 0\n");
  game.cloneof = "../ini/x";
  EXPECT_EQ(ReadWindowOption((dir / "ini").string(), dir.folder(), game), WindowOption::Windowed);
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
