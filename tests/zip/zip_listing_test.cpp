#include "zip/zip_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/zip_builder.h"

namespace kestrune::zip {
namespace {

using test::BuildEntry;
using test::BuildZip;
using test::Crc32Of;

class ZipListingTest : public ::testing::Test {
 protected:
  std::filesystem::path Write(const std::string& bytes, const char* name = "set.zip") {
    const auto path = dir_ / name;
    kestrune::test::WriteFileBytes(path, bytes);
    return path;
  }

  kestrune::test::TempDir dir_;
};

TEST_F(ZipListingTest, ListsEveryEntryInDirectoryOrder) {
  const auto path = Write(
      BuildZip({BuildEntry("pacman.6e", "rom one"), BuildEntry("sub/", "", 0, 20, {}, {}, 0x10),
                test::DeflatedEntry("sub/pacman.6f", std::string(5000, 'f')), BuildEntry("\xc3\xbc.bin", "u", 0x0800)})
          .bytes);
  const ZipListing listing = ListZipEntries(path);
  ASSERT_TRUE(listing.ok) << listing.error;
  ASSERT_EQ(listing.entries.size(), 4u);
  EXPECT_EQ(listing.entries[0].name, "pacman.6e");
  EXPECT_EQ(listing.entries[0].crc32, Crc32Of("rom one"));
  EXPECT_EQ(listing.entries[0].uncompressedSize, 7u);
  EXPECT_FALSE(listing.entries[0].isDirectory);
  EXPECT_EQ(listing.entries[1].name, "sub/");
  EXPECT_TRUE(listing.entries[1].isDirectory);
  EXPECT_EQ(listing.entries[2].crc32, Crc32Of(std::string(5000, 'f')));
  EXPECT_EQ(listing.entries[2].uncompressedSize, 5000u);
  EXPECT_LT(listing.entries[2].compressedSize, 100u);
  EXPECT_EQ(listing.entries[3].name, "\xc3\xbc.bin");

  std::vector<std::uint32_t> crcs{0xDEADBEEF};
  ASSERT_TRUE(ListZipCrcs(path, crcs));
  EXPECT_EQ(crcs, (std::vector<std::uint32_t>{0xDEADBEEF, Crc32Of("rom one"), 0, Crc32Of(std::string(5000, 'f')),
                                              Crc32Of("u")}));
}

TEST_F(ZipListingTest, ReadsNothingButTheDirectory) {
  // Every local header and all entry data wiped: the listing never looks there.
  test::BuiltArchive built =
      BuildZip({BuildEntry("a.rom", std::string(3000, 'a')), test::DeflatedEntry("b.rom", std::string(3000, 'b'))});
  std::fill(built.bytes.begin(), built.bytes.begin() + static_cast<std::ptrdiff_t>(built.directoryStart), '\0');
  std::vector<std::uint32_t> crcs;
  ASSERT_TRUE(ListZipCrcs(Write(built.bytes), crcs));
  EXPECT_EQ(crcs, (std::vector<std::uint32_t>{Crc32Of(std::string(3000, 'a')), Crc32Of(std::string(3000, 'b'))}));
}

TEST_F(ZipListingTest, ListsFromSeveralThreadsAtOnce) {
  std::vector<std::filesystem::path> archives;
  for (int i = 0; i < 40; ++i) {
    const std::string name = "set" + std::to_string(i) + ".zip";
    archives.push_back(Write(BuildZip(test::NumberedEntries(1 + i % 7)).bytes, name.c_str()));
  }
  std::vector<int> failures(4, 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < failures.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 10; ++round) {
        for (std::size_t i = 0; i < archives.size(); ++i) {
          std::vector<std::uint32_t> crcs;
          if (!ListZipCrcs(archives[i], crcs) || crcs.size() != 1 + i % 7) {
            ++failures[t];
          }
        }
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// One row per way an archive cannot be listed, with the message the caller gets.
TEST_F(ZipListingTest, FailuresComeBackAsMessages) {
  const std::string good = BuildZip({BuildEntry("a.rom", "aaaa"), BuildEntry("b.rom", "bbbb")}).bytes;
  test::BuiltArchive oversized = BuildZip({BuildEntry("a.rom", "aaaa")});
  test::PatchLE32(oversized.bytes, oversized.centralHeaders[0] + 20, 0x7FFFFFFF);
  test::BuiltArchive shortDirectory = BuildZip({BuildEntry("a.rom", "aaaa"), BuildEntry("b.rom", "bbbb")});
  test::PatchLE16(shortDirectory.bytes, shortDirectory.endRecord + 10, 40);
  test::PatchLE16(shortDirectory.bytes, shortDirectory.endRecord + 8, 40);
  struct Case {
    const char* name;
    std::string bytes;  // empty with write false: no file at all
    bool write;
    std::string error;
  };
  const Case cases[] = {
      {"missing file", "", false, ""},
      {"empty file", "", true, "Archive is damaged. Open failed - Native error: 00048"},
      {"bytes after the end record", good + "junk", true, "Archive is damaged. Open failed - Native error: 00048"},
      {"sizes larger than the file", oversized.bytes, true, "Archive is damaged. Open failed - Native error: 00057"},
      {"more entries than the directory holds", shortDirectory.bytes, true,
       "Archive is damaged. Open failed - Native error: 00048"},
      {"not an archive", std::string(100, 'x'), true, "Archive is damaged. Open failed - Native error: 00048"},
  };
  for (const auto& c : cases) {
    const auto path = dir_ / "case.zip";
    std::filesystem::remove(path);
    if (c.write) {
      kestrune::test::WriteFileBytes(path, c.bytes);
    }
    const std::string expected = c.write ? c.error : "File \"" + path.string() + "\" not found - Native error: 00012";
    const ZipListing listing = ListZipEntries(path);
    EXPECT_FALSE(listing.ok) << c.name;
    EXPECT_TRUE(listing.entries.empty()) << c.name;
    EXPECT_EQ(listing.error, expected) << c.name;
    std::vector<std::uint32_t> crcs{7};
    std::string error;
    EXPECT_FALSE(ListZipCrcs(path, crcs, &error)) << c.name;
    EXPECT_EQ(crcs, std::vector<std::uint32_t>{7}) << c.name;
    EXPECT_EQ(error, expected) << c.name;
  }
}

TEST_F(ZipListingTest, ReadsOneEntryIntoMemory) {
  const std::string icon(3000, 'i');
  const auto path =
      Write(BuildZip({BuildEntry("credits.txt", "Skin by someone\r\n"), test::DeflatedEntry("icons/pacman.ico", icon),
                      BuildEntry("Snap/MsPacman.png", "p")})
                .bytes);
  ZipEntryData byName = ReadZipEntry(path, "CREDITS.TXT");
  ASSERT_TRUE(byName.ok) << byName.error;
  EXPECT_EQ(std::string(byName.bytes.begin(), byName.bytes.end()), "Skin by someone\r\n");
  ZipEntryData byIndex = ReadZipEntry(path, 1);
  ASSERT_TRUE(byIndex.ok) << byIndex.error;
  EXPECT_EQ(std::string(byIndex.bytes.begin(), byIndex.bytes.end()), icon);

  TZipArchiver zip;
  zip.FileName = Utf8ToWide(path.string());
  zip.OpenZip(kOpenReadOnly);
  ZipEntryData open = ReadZipEntry(zip, "snap/mspacman.png");
  ASSERT_TRUE(open.ok) << open.error;
  EXPECT_EQ(std::string(open.bytes.begin(), open.bytes.end()), "p");
  EXPECT_TRUE(ReadZipEntry(zip, 0).ok);
  EXPECT_TRUE(zip.Active());

  const ZipEntryData missing = ReadZipEntry(zip, "mspacman.png");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, "File \"mspacman.png\" not found - Native error: 00015");
  const ZipEntryData outside = ReadZipEntry(path, 3);
  EXPECT_FALSE(outside.ok);
  EXPECT_EQ(outside.error, "Index out of bounds - Native error: 00016");
  const ZipEntryData noArchive = ReadZipEntry(dir_ / "none.zip", "a");
  EXPECT_FALSE(noArchive.ok);
  EXPECT_NE(noArchive.error.find("not found"), std::string::npos);
}

TEST_F(ZipListingTest, BrokenEntryGivesNoBytes) {
  BuildEntry broken("art.png", "picture bytes");
  broken.crc = 1;
  const ZipEntryData data = ReadZipEntry(Write(BuildZip({broken}).bytes), "art.png");
  EXPECT_FALSE(data.ok);
  EXPECT_TRUE(data.bytes.empty());
  EXPECT_EQ(data.error, "Invalid size or check sum of file or unsupported compression format - Native error: 00008");
}

}  // namespace
}  // namespace kestrune::zip
