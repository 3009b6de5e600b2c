#include "catalogue/icon_source.h"

#include <gtest/gtest.h>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

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

TEST(ArchiveIconSource, FindsEntriesInAnyCaseAndIsPreferredToTheFolder) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "icons.zip", test::StoredZip({{"pacman.ico", "zipped own", std::nullopt},
                                                           {"DKONG.ICO", "zipped parent", std::nullopt},
                                                           {"broken.ico", "data", 0x12345678u}}));
  test::WriteFileBytes(dir / "pacman.ico", "from the folder");
  test::WriteFileBytes(dir / "galaga.ico", "only in the folder");
  std::unique_ptr<IconSource> source = OpenIconSource(dir.path());
  ASSERT_NE(dynamic_cast<ArchiveIconSource*>(source.get()), nullptr);

  std::string bytes;
  ASSERT_TRUE(ReadGameIcon(*source, "pacman", "", bytes));
  EXPECT_EQ(bytes, "zipped own");
  ASSERT_TRUE(ReadGameIcon(*source, "dkongjr", "dkong", bytes));
  EXPECT_EQ(bytes, "zipped parent");
  // An open archive is the only source: the folder is not looked at too.
  EXPECT_FALSE(ReadGameIcon(*source, "galaga", "", bytes));
  // An entry whose data does not match its CRC-32 is no icon.
  EXPECT_FALSE(source->ReadIcon("broken.ico", bytes));
}

TEST(ArchiveIconSource, DamagedArchiveFallsBackToTheFolder) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "icons.zip", "not a zip archive");
  test::WriteFileBytes(dir / "pacman.ico", "from the folder");
  ArchiveIconSource archive(dir / "icons.zip");
  EXPECT_FALSE(archive.IsOpen());
  EXPECT_FALSE(archive.OpenError().empty());

  std::unique_ptr<IconSource> source = OpenIconSource(dir.path());
  std::string bytes;
  ASSERT_TRUE(ReadGameIcon(*source, "pacman", "", bytes));
  EXPECT_EQ(bytes, "from the folder");
}

// Icons larger than kMaxIconBytes, in the folder or in icons.zip, are not read: an archive with
// entries of hundreds of megabytes took them whole into memory.
TEST(IconSources, ReadNoIconLargerThanTheLimit) {
  const std::string atLimit(kMaxIconBytes, 'a');
  const std::string overLimit(kMaxIconBytes + 1, 'o');
  test::TempDir folder;
  test::WriteFileBytes(folder / "atlimit.ico", atLimit);
  test::WriteFileBytes(folder / "overlimit.ico", overLimit);
  test::TempDir zipped;
  test::WriteFileBytes(zipped / "icons.zip", test::StoredZip({{"atlimit.ico", atLimit, std::nullopt},
                                                              {"overlimit.ico", overLimit, std::nullopt}}));
  for (const test::TempDir* dir : {&folder, &zipped}) {
    std::unique_ptr<IconSource> source = OpenIconSource(dir->path());
    std::string bytes;
    EXPECT_TRUE(source->ReadIcon("atlimit.ico", bytes));
    EXPECT_EQ(bytes.size(), kMaxIconBytes);
    bytes.clear();
    EXPECT_FALSE(source->ReadIcon("overlimit.ico", bytes));
    EXPECT_TRUE(bytes.empty());
  }
}

// An .ico whose directory says 256 x 256 (0) may hold a PNG of any size.
TEST(IcoPicturesWithinLimits, ReadsThePngSizeBehindTheDirectory) {
  const auto ico = [](std::uint32_t side) {
    std::string bytes("\0\0\1\0\1\0", 6);
    bytes += std::string(12, '\0') + std::string("\x16\0\0\0", 4);  // its picture at offset 22
    bytes += std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (int i = 0; i < 2; ++i) {
      bytes += {static_cast<char>(side >> 24), static_cast<char>(side >> 16), static_cast<char>(side >> 8),
                static_cast<char>(side)};
    }
    return bytes;
  };
  EXPECT_TRUE(IcoPicturesWithinLimits(ico(kMaxIconSide)));
  EXPECT_FALSE(IcoPicturesWithinLimits(ico(kMaxIconSide + 1)));
  EXPECT_FALSE(IcoPicturesWithinLimits(ico(5000)));
  EXPECT_TRUE(IcoPicturesWithinLimits(ico(5000).substr(0, 40)));  // cut short: left to the decoder
  EXPECT_TRUE(IcoPicturesWithinLimits("\x89PNG\r\n\x1a\n"));     // no .ico
}

}  // namespace
}  // namespace kestrune::catalogue
