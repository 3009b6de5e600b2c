#include "settings/game_ini_chain.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::TempDir;
using test::WriteFileBytes;

// MAME 0.251's chains, as `mame GAME -verbose` names them.
struct ChainCase {
  GameIniTraits game;
  IniChain chain;
};

const ChainCase kChains[] = {
    {{"asteroid", false, "Vector", "atari/asteroid.cpp", "", ""},
     {"mame.ini", "horizont.ini", "arcade.ini", "vector.ini", "source/asteroid.ini", "asteroid.ini"}},
    {{"galaga", true, "Raster", "namco/galaga.cpp", "", ""},
     {"mame.ini", "vertical.ini", "arcade.ini", "raster.ini", "source/galaga.ini", "galaga.ini"}},
    {{"mslug", false, "Raster", "neogeo/neogeo.cpp", "", "Neogeo"},
     {"mame.ini", "horizont.ini", "arcade.ini", "raster.ini", "source/neogeo.ini", "neogeo.ini", "mslug.ini"}},
    {{"kof98a", false, "Raster", "neogeo/neogeo.cpp", "kof98", "Neogeo"},
     {"mame.ini", "horizont.ini", "arcade.ini", "raster.ini", "source/neogeo.ini", "neogeo.ini", "kof98.ini",
      "kof98a.ini"}},
    {{"pc_smb2", false, "Raster", "nintendo/playch10.cpp", "", "Playch10"},
     {"mame.ini", "horizont.ini", "arcade.ini", "raster.ini", "source/playch10.ini", "playch10.ini", "pc_smb2.ini"}},
    {{"gnw_ball", false, "Svg", "handheld/hh_sm510.cpp", "", ""},
     {"mame.ini", "horizont.ini", "arcade.ini", "source/hh_sm510.ini", "gnw_ball.ini"}},
};

TEST(IniChainOfTest, TheGameListsFactsNameMamesChainOfAnArcadeGame) {
  for (const ChainCase& row : kChains) {
    EXPECT_EQ(IniChainOf(row.game), row.chain) << row.game.romname;
  }
}

TEST(IniChainFromVerboseTest, TakesTheFilesMameNamesForTheGame) {
  const std::string both =
      "Attempting load of mame.ini\nAttempting load of mame.ini\nParsing mame.ini\nAttempting load of horizont.ini\n"
      "Attempting load of console.ini\r\nAttempting load of raster.ini\nAttempting load of source/vc4000.ini\n"
      "Attempting load of 1292apvs.ini\nAttempting load of 1392apvs.ini\n";
  const IniChain clone{"mame.ini",          "horizont.ini", "console.ini", "raster.ini",
                       "source/vc4000.ini", "1292apvs.ini", "1392apvs.ini"};
  EXPECT_EQ(IniChainFromVerbose(both + both + "Attempting load of default.cfg\n", "1392apvs"), clone);
  EXPECT_TRUE(NamesWholeIniChain(both, "1392apvs"));
  // Cut in the middle of a line or before the game's own file: not yet.
  EXPECT_FALSE(NamesWholeIniChain(both.substr(0, both.size() - 1), "1392apvs"));
  EXPECT_FALSE(NamesWholeIniChain("Attempting load of mame.ini\nAttempting load of mame.ini\n", "1392apvs"));

  // A mame.ini that says not to read the others: MAME goes on to the game after it.
  const std::string alone = "Attempting load of mame.ini\nParsing mame.ini\nAvailable videodrivers: x11\n";
  EXPECT_TRUE(NamesWholeIniChain(alone, "pong"));
  EXPECT_EQ(IniChainFromVerbose(alone, "pong"), IniChain{"mame.ini"});

  // No file named (not MAME at all), and a name outside the ini path's folders, which is never read.
  EXPECT_EQ(IniChainFromVerbose("", "pong"), std::nullopt);
  EXPECT_EQ(IniChainFromVerbose("usage: mame [options]\n", "pong"), std::nullopt);
  EXPECT_EQ(IniChainFromVerbose("Attempting load of mame.ini\nAttempting load of ../x.ini\n"
                                "Attempting load of pong.ini\n",
                                "pong"),
            (IniChain{"mame.ini", "pong.ini"}));
}

std::filesystem::path Script(const TempDir& dir, const std::string& body) {
  const auto path = dir / "mame";
  WriteFileBytes(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms(0755));
  return path;
}

// MAME goes on to run the game once it has named the files (here: for a minute); it is ended at once.
TEST(AskMameIniChainTest, MameIsEndedOnceItHasNamedTheFilesAndASilentOneIsNoAnswer) {
  TempDir dir;
  const auto mame = Script(dir,
                           "[ \"$*\" = '-inipath a/;b/ pong -verbose -video none -sound none' ] || exit 9\n"
                           "printf 'Attempting load of mame.ini\\nAttempting load of vertical.ini\\n'\n"
                           "printf 'Attempting load of pong.ini\\n'\nexec sleep 60");
  IniChain chain;
  std::string error;
  ASSERT_TRUE(AskMameIniChain(mame, {"-inipath", "a/;b/", "pong"}, "pong", chain, &error)) << error;
  EXPECT_EQ(chain, (IniChain{"mame.ini", "vertical.ini", "pong.ini"}));

  const auto silent = Script(dir, "exit 0");
  EXPECT_FALSE(AskMameIniChain(silent, {"pong"}, "pong", chain, &error));
  EXPECT_EQ(chain.size(), 3u);
  EXPECT_NE(error.find("pong"), std::string::npos) << error;
}

// The installed MAME names the chains, also of a machine whose ROMs are missing, and is ended before a
// machine that needs none starts.
TEST(AskMameIniChainTest, TheInstalledMameNamesItsChains) {
  if (::access("/usr/games/mame", X_OK) != 0) GTEST_SKIP() << "MAME is not installed";
  TempDir dir;
  const std::string inipath = dir.folder() + ";" + dir.folder() + "ini/";
  const ChainCase apvs{
      {"1392apvs", false, "", "", "", ""},
      {"mame.ini", "horizont.ini", "console.ini", "raster.ini", "source/vc4000.ini", "1292apvs.ini", "1392apvs.ini"}};
  for (const ChainCase& row : {kChains[0], kChains[1], kChains[4], apvs}) {
    IniChain chain;
    std::string error;
    EXPECT_TRUE(
        AskMameIniChain("/usr/games/mame", {"-inipath", inipath, row.game.romname}, row.game.romname, chain, &error))
        << error;
    EXPECT_EQ(chain, row.chain) << row.game.romname;
  }
}

}  // namespace
}  // namespace kestrune::settings
