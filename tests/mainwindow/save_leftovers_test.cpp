// What saves cut off last time (the program killed mid-save) left in the program's folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "settings/settings_schema.h"
#include "support/program_folder_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace set = kestrune::settings;

struct Leftover {
  const char* path;
  bool removed;
  const char* what;
};

constexpr Leftover kFiles[] = {
    {"ini/.kestrune.ini.tmp-Ab12Cd", true, "a save of the settings"},
    {"ini/.kestrune.dat.tmp-9zY8xW", true, "a save of the game list"},
    {".mame.ini.tmp-Q1w2E3", true, "a save of mame.ini"},
    {"ini/.pacman.ini.tmp-a1B2c3", true, "a save of a game's options"},
    {"ini/.neogeo.ini.tmp-ZZZZZZ", true, "a save of a BIOS's options"},
    {"myini/.galaga.ini.tmp-000000", true, "a save in the ini folder the settings name"},
    {"elsewhere/.linked.ini.tmp-LnK123", true, "a save through a game's options file that is a link"},
    {"lang/.dutch.lng.tmp-NlNlNl", true, "a save of a language file"},
    {".crc.dat.tmp-CrC000", true, "a save of a work file of the scan"},
    {"ini/pacman.ini", false, "a game's options"},
    {"myini/galaga.ini", false, "a game's options in the other ini folder"},
    {"elsewhere/linked.ini", false, "the file a link leads to"},
    {"ini/.pacman.ini.tmp-a1B2", false, "a name too short for a temporary file"},
    {"ini/.pacman.ini.tmp-a1B2c!", false, "a name with a character mkstemp does not write"},
    {"ini/pacman.ini.tmp-a1B2c3", false, "a name without the leading dot"},
    {"ini/.pacman.cfg.tmp-a1B2c3", false, "a temporary name of a file no save writes there"},
    {"elsewhere/.other.ini.tmp-a1B2c3", false, "a folder reached only by a link, another file's name"},
    {".notes.txt.tmp-a1B2c3", false, "a temporary name of a file no save writes"},
    {"lang/notes.txt", false, "the user's file among the language files"},
};

class SaveLeftovers : public kestrune::test::ProgramFolderTest {};

TEST_F(SaveLeftovers, AreRemovedAtStartWhileEveryOtherFileOfTheirFoldersStays) {
  set::Settings settings(folder_);
  settings.WriteDefaults(folder_, "", "");
  settings.WriteText(set::kMameSection, "inidir", folder_ + "myini");
  std::string error;
  ASSERT_TRUE(settings.Save(&error)) << error;
  for (const Leftover& file : kFiles) Write(file.path, "x");
  fs::create_symlink("../elsewhere/linked.ini", Path("ini/mslug.ini"));

  CreateWindows();

  for (const Leftover& file : kFiles) EXPECT_EQ(fs::exists(Path(file.path)), !file.removed) << file.what;
  EXPECT_TRUE(fs::is_symlink(Path("ini/mslug.ini")));
}

}  // namespace
