#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/zip_archiver.h"
#include "zip/zip_builder.h"

namespace kestrune::zip {
namespace {

using test::BuildEntry;
using test::BuildZip;

struct MaskCase {
  const char* name;
  const char* mask;
  bool matches;
};

TEST(MatchesMaskTest, FileMasksAsUsersWriteThem) {
  const MaskCase cases[] = {
      {"readme", "*.*", true},
      {"a.b.c", "*.*", true},
      {"dir", "*.*", true},
      {"readme", "*", true},
      {"a.b.c", "*", true},
      {"readme", "*.", true},
      {"readme.txt", "*.", false},
      {"a.png", "?.png", true},
      {"ab.png", "?.png", false},
      {"abc.png", "A*.PNG", true},
      {"abc.png", "", false},
      {"dir/x.png", "*/*.png", true},
      {"x.png", "*/*.png", false},
      {"readme.", "readme", true},
      {"Ünïcode.PNG", "ünïcode.png", true},
      {"a", "a*", true},
      {"abc", "a*c", true},
      {"abd", "a*c", false},
      {"mame.ini", "*.*.*", true},
      {"pacman.zip", "pac*.z?p", true},
      {"pacman.zip", "*man", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesMask(Utf8ToWide(c.name), Utf8ToWide(c.mask)), c.matches) << c.name << " / " << c.mask;
  }
}

TEST(MatchesMaskTest, ManyStarsStayLinear) {
  // A backtracking matcher needs far more steps than there are atoms in the universe for these.
  const WideString name(20000, u'a');
  WideString mask;
  for (int i = 0; i < 300; ++i) {
    mask += u"*a";
  }
  EXPECT_FALSE(WildcardMatch(name, mask + u"b", false));
  EXPECT_TRUE(WildcardMatch(name, mask + u"*", false));
  EXPECT_FALSE(MatchesMask(name, mask + u"*.zip"));
}

class ZipSearchTest : public ::testing::Test {
 protected:
  void Open(const std::vector<BuildEntry>& entries) {
    kestrune::test::WriteFileBytes(path_, BuildZip(entries).bytes);
    zip_.FileName = Utf8ToWide(path_.string());
    zip_.OpenZip(kOpenReadOnly);
  }
  // The stored names a search visits, in order.
  std::vector<std::string> Search(const char* mask, int attributes, const char* exclusion = "") {
    std::vector<std::string> names;
    TZipArchiveItem f;
    for (bool found = zip_.FindFirstEntry(Utf8ToWide(mask), f, attributes, Utf8ToWide(exclusion)); found;
         found = zip_.FindNextEntry(f)) {
      names.push_back(WideToUtf8(zip_.DirManager()->Items.Item(f.SearchRec.EntryIndex).FileName));
    }
    return names;
  }

  kestrune::test::TempDir dir_;
  std::filesystem::path path_ = dir_ / "search.zip";
  TZipArchiver zip_;
};

std::vector<BuildEntry> MixedEntries() {
  return {
      BuildEntry("readme", "r"),
      BuildEntry("a.b.c", "abc"),
      BuildEntry("dir/", "", 0, 20, {}, {}, 0x10),
      BuildEntry("dir/x.png", "x"),
      BuildEntry("dir/sub/y.PNG", "y"),
      BuildEntry("X.PNG", "X"),
      BuildEntry("h.txt", "h", 0, 20, {}, {}, 0x22),
      BuildEntry("s.sys", "s", 0, 20, {}, {}, 0x24),
      BuildEntry("label", "", 0, 20, {}, {}, 0x08),
  };
}

struct SearchCase {
  const char* mask;
  int attributes;
  bool recurse;
  const char* exclusion;
  std::vector<std::string> expected;
};

TEST_F(ZipSearchTest, MasksAttributesAndRecurse) {
  Open(MixedEntries());
  const std::vector<std::string> all = {"readme", "a.b.c", "dir/",  "dir/x.png", "dir/sub/y.PNG",
                                        "X.PNG",  "h.txt", "s.sys", "label"};
  const SearchCase cases[] = {
      {"*.*", 63, true, "", all},
      {"*", 63, true, "", all},
      {"*.png", 63, true, "", {"dir/x.png", "dir/sub/y.PNG", "X.PNG"}},
      {"*.png", 63, false, "", {"X.PNG"}},
      {"dir\\*.png", 63, false, "", {"dir/x.png"}},
      {"DIR/SUB/*", 63, false, "", {"dir/sub/y.PNG"}},
      {"*\\*.png", 63, true, "", {"dir/x.png", "dir/sub/y.PNG"}},
      {"C:dir\\x.png", 63, true, "", {"dir/x.png"}},
      {"C:*.png", 63, false, "", {"X.PNG"}},
      {"*.", 63, true, "", {"readme", "dir/", "label"}},
      {"?.png", 63, true, "", {"dir/x.png", "dir/sub/y.PNG", "X.PNG"}},
      {"*.*", 0, true, "", {"readme", "a.b.c", "dir/x.png", "dir/sub/y.PNG", "X.PNG"}},
      {"*.*", 0x10, true, "", {"readme", "a.b.c", "dir/", "dir/x.png", "dir/sub/y.PNG", "X.PNG"}},
      {"*.*", 0x02 | 0x04, true, "", {"readme", "a.b.c", "dir/x.png", "dir/sub/y.PNG", "X.PNG", "h.txt", "s.sys"}},
      {"*.*", 0x08, true, "", {"readme", "a.b.c", "dir/x.png", "dir/sub/y.PNG", "X.PNG", "label"}},
      {"*.*", 63, true, "*.png", {"readme", "a.b.c", "dir/", "h.txt", "s.sys", "label"}},
      {"nothing*", 63, true, "", {}},
  };
  for (const auto& c : cases) {
    zip_.Options.Recurse = c.recurse;
    EXPECT_EQ(Search(c.mask, c.attributes, c.exclusion), c.expected) << c.mask << " attributes " << c.attributes;
  }
}

TEST_F(ZipSearchTest, EveryEntryOnceInDirectoryOrderWithItsIndex) {
  Open(test::NumberedEntries(1200));
  TZipArchiveItem f;
  int visited = 0;
  for (bool found = zip_.FindFirstEntry(u"*.*", f, 63, {}); found; found = zip_.FindNextEntry(f)) {
    ASSERT_EQ(f.SearchRec.EntryIndex, visited);
    ++visited;
  }
  EXPECT_EQ(visited, 1200);
}

TEST_F(ZipSearchTest, RecordDescribesTheEntry) {
  std::vector<BuildEntry> entries = MixedEntries();
  entries.push_back(BuildEntry("dir/sub/", "", 0, 20, {}, {}, 0x10));
  entries.push_back(BuildEntry("note.txt", "note text", 0x0001, 20, "a comment"));
  entries.push_back(test::DeflatedEntry("packed.txt", std::string(1000, 'z')));
  Open(entries);
  struct Expected {
    const char* mask;
    const char* fileName;
    const char* storedPath;
  };
  const Expected cases[] = {
      {"readme", "readme", ""},        {"dir", "dir", ""},
      {"dir/x.png", "x.png", "dir\\"}, {"dir/sub/y.PNG", "y.PNG", "dir\\sub\\"},
      {"dir/sub", "sub", "dir\\"},
  };
  for (const auto& c : cases) {
    TZipArchiveItem f;
    ASSERT_TRUE(zip_.FindFirstEntry(Utf8ToWide(c.mask), f, 63, {})) << c.mask;
    EXPECT_EQ(WideToUtf8(f.FileName), c.fileName);
    EXPECT_EQ(WideToUtf8(f.StoredPath), c.storedPath);
  }
  TZipArchiveItem note;
  ASSERT_TRUE(zip_.FindFirstEntry(u"note.txt", note, 63, {}));
  EXPECT_TRUE(note.Encrypted);
  EXPECT_EQ(note.Comment, "a comment");
  EXPECT_EQ(note.CRC, test::Crc32Of("note text"));
  EXPECT_EQ(note.UncompressedSize, 9);
  EXPECT_EQ(note.CompressionRate, 0.0);
  EXPECT_EQ(note.LastModFileTime, 0x6000);
  EXPECT_EQ(note.LastModFileDate, 0x5A21);
  EXPECT_EQ(note.ExternalFileAttr, 0x20u);
  TZipArchiveItem packed;
  ASSERT_TRUE(zip_.FindFirstEntry(u"packed.txt", packed, 63, {}));
  EXPECT_EQ(packed.UncompressedSize, 1000);
  EXPECT_LT(packed.CompressedSize, 100);
  EXPECT_GT(packed.CompressionRate, 90.0);
  TZipArchiveItem empty;
  ASSERT_TRUE(zip_.FindFirstEntry(u"label", empty, 63, {}));
  EXPECT_EQ(empty.CompressionRate, 100.0);
}

TEST_F(ZipSearchTest, TwoSearchesSideBySide) {
  Open(MixedEntries());
  TZipArchiveItem pictures;
  TZipArchiveItem everything;
  std::vector<std::string> pictureNames;
  std::vector<std::string> allNames;
  bool morePictures = zip_.FindFirstEntry(u"*.png", pictures, 63, {});
  bool moreAll = zip_.FindFirstEntry(u"*.*", everything, 63, {});
  while (morePictures || moreAll) {
    if (morePictures) {
      pictureNames.push_back(WideToUtf8(pictures.FileName));
      morePictures = zip_.FindNextEntry(pictures);
    }
    if (moreAll) {
      allNames.push_back(WideToUtf8(everything.FileName));
      moreAll = zip_.FindNextEntry(everything);
    }
  }
  EXPECT_EQ(pictureNames, (std::vector<std::string>{"x.png", "y.PNG", "X.PNG"}));
  EXPECT_EQ(allNames.size(), 9u);
}

TEST_F(ZipSearchTest, DuplicateNames) {
  Open({BuildEntry("dup.bin", "first"), BuildEntry("other", "o"), BuildEntry("DUP.BIN", "second")});
  EXPECT_EQ(Search("dup.bin", 63), (std::vector<std::string>{"dup.bin", "DUP.BIN"}));
  int index = -1;
  ASSERT_TRUE(zip_.FindEntryByName(u"Dup.Bin", index));
  EXPECT_EQ(index, 2);
  TMemoryStream out;
  zip_.ExtractEntryByIndex(0, out);
  EXPECT_EQ(std::string(out.Data().begin(), out.Data().end()), "first");
}

TEST_F(ZipSearchTest, NoMatchLeavesTheRecordAlone) {
  Open({});
  TZipArchiveItem f;
  f.FileName = u"kept";
  f.CRC = 1234;
  EXPECT_FALSE(zip_.FindFirstEntry(u"*.*", f, 63, {}));
  EXPECT_EQ(f.FileName, u"kept");
  EXPECT_EQ(f.CRC, 1234u);
}

TEST_F(ZipSearchTest, LookUpByNameInAnyCaseAndWithEitherSeparator) {
  Open({BuildEntry("snap/x.png", "1"), BuildEntry("art\\pic.png", "2"), BuildEntry("Mixed.Case", "3"),
        BuildEntry("x.png", "4")});
  struct LookUp {
    const char* name;
    bool recurse;
    int index;  // -1: not found
  };
  const LookUp cases[] = {
      {"snap/x.png", false, 0}, {"SNAP\\X.PNG", false, 0}, {"art/pic.png", false, 1}, {"ART\\PIC.PNG", false, 1},
      {"mixed.case", false, 2}, {"X.PNG", false, 3},       {"pic.png", false, -1},    {"pic.png", true, 1},
      {"?.png", false, 3},      {"snap/?.png", false, 0},  {"nothing", true, -1},
  };
  for (const auto& c : cases) {
    zip_.Options.Recurse = c.recurse;
    int index = -1;
    const bool found = zip_.FindEntryByName(Utf8ToWide(c.name), index);
    EXPECT_EQ(found ? index : -1, c.index) << c.name;
  }
}

TEST_F(ZipSearchTest, ClosedArchiveGivesError13) {
  TZipArchiveItem f;
  zip_.Name = "snapzipper";
  const auto expect13 = [](const auto& call) {
    try {
      call();
      ADD_FAILURE() << "no exception";
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), 13);
      EXPECT_STREQ(e.what(), "snapzipper: Archive is not open - Native error: 00013");
    }
  };
  expect13([&] { zip_.FindFirstEntry(u"*.*", f, 63, {}); });
  expect13([&] { zip_.FindNextEntry(f); });
  int index = 0;
  expect13([&] { zip_.FindEntryByName(u"x", index); });
}

}  // namespace
}  // namespace kestrune::zip
