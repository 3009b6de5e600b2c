#include "romscan/rom_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::romscan {
namespace {

using Folders = std::vector<std::string>;

TEST(SplitRomPath, GivesEachFolderWithASlash) {
  struct Case {
    std::string path;
    Folders folders;
  } cases[] = {
      {"\"roms\"", {"roms/"}},
      {"\"a;b\"", {"a/", "b/"}},
      {"\"/home/x/roms/;/mnt/roms\"", {"/home/x/roms/", "/mnt/roms/"}},
      // Empty entries name no folder, never the root.
      {"\"a;;b\"", {"a/", "b/"}},
      {"\"roms;\"", {"roms/"}},
      {"\";roms\"", {"roms/"}},
      {"\";\"", {}},
      {"\"\"", {}},
      {"\"", {}},
      {"", {}},
      // Quotes that are not a pair keep the text.
      {"\"roms", {"roms/"}},
      {"\"a;b", {"a/", "b/"}},
      {"roms", {"roms/"}},
      {"roms\"", {"roms\"/"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitRomPath(c.path), c.folders) << c.path;
}

std::optional<std::string> TestEnvironment(const std::string& name) {
  if (name == "HOME") return "/home/ann";
  if (name == "MYV") return "/tmp/myv";
  if (name == "EMPTY") return "";
  return std::nullopt;
}

// Each row as Debian's MAME 0.251 expands the folder when it reads it from mame.ini.
TEST(ExpandPathFolder, ExpandsAsMameDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"$HOME/mame/roms", "/home/ann/mame/roms"},
      {"${HOME}/mame/roms", "/home/ann/mame/roms"},
      {"~/roms", "/home/ann/roms"},
      {"~", "/home/ann"},
      {"~x/q", "~x/q"},  // another user's home is not looked up
      {"/a/~/b", "/a/~/b"},
      {"$MYV-1", "/tmp/myv-1"},
      {"$MYV_2", ""},  // "_" belongs to the name
      {"$NOPE/z", "/z"},
      {"${NOPE}/w", "/w"},
      {"$EMPTY/e", "/e"},
      {"a$/b", "a$/b"},
      {"$$MYV", "$/tmp/myv"},
      {"$", "$"},
      {"${MYV", "${MYV"},  // unclosed
      {"/roms", "/roms"},
      {"", ""},
  };
  for (const auto& [folder, expanded] : cases) EXPECT_EQ(ExpandPathFolder(folder, TestEnvironment), expanded) << folder;
  EXPECT_EQ(ExpandPathFolder("~/roms", [](const std::string&) { return std::optional<std::string>(); }), "~/roms");
}

TEST(SplitRomPath, ExpandsEveryFolderAndSkipsThoseThatComeToNothing) {
  EXPECT_EQ(SplitRomPath("\"$HOME/mame/roms;~/r2;${MYV}/y;$NOPE;/usr/share/games/mame/roms\"", TestEnvironment),
            (Folders{"/home/ann/mame/roms/", "/home/ann/r2/", "/tmp/myv/y/", "/usr/share/games/mame/roms/"}));
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    EXPECT_EQ(SplitRomPath("$HOME/mame/roms"), Folders{std::string(home) + "/mame/roms/"});
  }
}

TEST(ReadRomPath, TakesTheFirstRomLineAndQuotesIt) {
  struct Case {
    std::string ini;
    std::string romPath;
  } cases[] = {
      {"# CORE SEARCH PATH OPTIONS\r\nhomepath                 .\r\nrompath                  roms\r\n", "\"roms\""},
      {"rompath                  \"a;b\"\r\n", "\"a;b\""},
      {"rompath                  a;b\r\nrompath  c\r\n", "\"a;b\""},
      {"rompath\r\n", "\"old\""},         // no value: kept
      {"ROMPATH  x\r\n", "\"old\""},      // case-sensitive key
      {"samplepath   s\r\n", "\"old\""},  // no rom line
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    test::WriteFileBytes(dir / "mame.ini", c.ini);
    std::string romPath = "\"old\"";
    std::string error;
    ASSERT_TRUE(ReadRomPath(dir / "mame.ini", romPath, &error)) << error;
    EXPECT_EQ(romPath, c.romPath) << c.ini;
    EXPECT_EQ(SplitRomPath(romPath).size(), romPath == "\"a;b\"" ? 2u : 1u);
  }
  std::string romPath;
  std::string error;
  EXPECT_FALSE(ReadRomPath(dir / "missing.ini", romPath, &error));
  EXPECT_NE(error.find("missing.ini"), std::string::npos);
}

TEST(RomFolderIndex, ListsFilesOnceAndIgnoresFoldersAndMissingOnes) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "pacman.zip", "x");
  std::filesystem::create_directories(dir / "sfiii.zip");
  const RomFolderIndex index({dir.folder(), dir.folder() + "nothing/"});
  EXPECT_TRUE(index.HasFile(0, "pacman.zip"));
  EXPECT_FALSE(index.HasFile(0, "Pacman.zip"));
  EXPECT_FALSE(index.HasFile(0, "sfiii.zip"));
  EXPECT_FALSE(index.HasFile(1, "pacman.zip"));
  EXPECT_FALSE(index.HasFile(7, "pacman.zip"));
  EXPECT_TRUE(index.AnyHasFile("pacman.zip"));
}

}  // namespace
}  // namespace kestrune::romscan
