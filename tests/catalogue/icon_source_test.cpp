#include "catalogue/icon_source.h"

#include <gtest/gtest.h>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::catalogue {
namespace {

TEST(FolderIconSource, FindsTheSetThenTheParentExactlyOrInAnyCase) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "pacman.ico", "own");
  test::WriteFileBytes(dir / "Galaga.ICO", "folded");
  test::WriteFileBytes(dir / "dkong.ico", "parent");
  FolderIconSource source(dir.path());
  struct Case {
    const char* rom;
    const char* clone;
    bool found;
    const char* bytes;
  };
  for (const Case& c :
       {Case{"pacman", "", true, "own"}, Case{"galaga", "", true, "folded"}, Case{"dkongjr", "dkong", true, "parent"},
        Case{"pacman", "dkong", true, "own"}, Case{"unknown", "", false, ""}, Case{"unknown", "none", false, ""},
        Case{"../pacman", "", false, ""}, Case{"", "", false, ""}}) {
    std::string bytes;
    EXPECT_EQ(ReadGameIcon(source, c.rom, c.clone, bytes), c.found) << c.rom;
    if (c.found) {
      EXPECT_EQ(bytes, c.bytes) << c.rom;
    }
  }
}

TEST(FolderIconSource, SeesIconsAddedAfterARescan) {
  test::TempDir dir;
  FolderIconSource source(dir.path());
  std::string bytes;
  EXPECT_FALSE(source.ReadIcon("mspacman.ico", bytes));
  test::WriteFileBytes(dir / "MsPacMan.ico", "late");
  EXPECT_TRUE(source.ReadIcon("MsPacMan.ico", bytes));  // the exact name needs no listing
  EXPECT_FALSE(source.ReadIcon("mspacman.ico", bytes));
  source.Rescan();
  EXPECT_TRUE(source.ReadIcon("mspacman.ico", bytes));
  EXPECT_EQ(bytes, "late");
}

}  // namespace
}  // namespace kestrune::catalogue
