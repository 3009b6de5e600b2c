#include "zip/wide_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/wide_string_list.h"
#include "zip/zip_stream.h"

namespace kestrune::zip {
namespace {

WideString W(const std::filesystem::path& path) { return Utf8ToWide(path.string()); }

TEST(WideFile, NamesSplitAtEitherSeparator) {
  struct Row {
    std::u16string name, path, file, ext;
  };
  const Row rows[] = {
      {u"c:\\roms\\pacman.zip", u"c:\\roms\\", u"pacman.zip", u".zip"},
      {u"roms/sub\\x.tar.gz", u"roms/sub\\", u"x.tar.gz", u".gz"},
      {u"dir.d/readme", u"dir.d/", u"readme", u""},
      {u"c:x.png", u"c:", u"x.png", u".png"},
      {u"plain", u"", u"plain", u""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(WideExtractFilePath(row.name), row.path);
    EXPECT_EQ(WideExtractFileName(row.name), row.file);
    EXPECT_EQ(WideExtractFileExt(row.name), row.ext);
  }
  EXPECT_EQ(WideExpandFileName(u"/a/./b/../c\\d"), u"/a/c/d");
  EXPECT_EQ(WideExpandFileName(u"/a/b/"), u"/a/b/");
}

TEST(WideFile, ExistenceAttributesMoveAndDelete) {
  kestrune::test::TempDir dir;
  kestrune::test::WriteFileBytes(dir / "a.txt", "a");
  kestrune::test::WriteFileBytes(dir / "b.txt", "b");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(WideFileExists(W(dir / "a.txt")));
  EXPECT_FALSE(WideFileExists(W(dir / "sub")));
  EXPECT_TRUE(WideDirectoryExists(W(dir / "sub")));
  EXPECT_TRUE(WideDirectoryExists(Utf8ToWide(dir.path().string() + "\\sub")));
  EXPECT_EQ(WideFileGetAttr(W(dir / "sub")) & faDirectory, faDirectory);
  EXPECT_EQ(WideFileGetAttr(W(dir / "missing")), -1);
  if (::geteuid() != 0) {
    EXPECT_TRUE(WideFileSetAttr(W(dir / "a.txt"), faReadOnly));
    EXPECT_EQ(WideFileGetAttr(W(dir / "a.txt")) & faReadOnly, faReadOnly);
    EXPECT_TRUE(WideFileSetAttr(W(dir / "a.txt"), 0));
  }
  // Moving never replaces a file silently.
  EXPECT_FALSE(WideRenameFile(W(dir / "a.txt"), W(dir / "b.txt")));
  EXPECT_EQ(kestrune::test::ReadFileBytes(dir / "b.txt"), "b");
  EXPECT_TRUE(WideRenameFile(W(dir / "a.txt"), W(dir / "sub" / "a.txt")));
  EXPECT_EQ(kestrune::test::ReadFileBytes(dir / "sub" / "a.txt"), "a");
  EXPECT_FALSE(WideDeleteFile(W(dir / "sub")));
  EXPECT_TRUE(WideDeleteFile(W(dir / "b.txt")));
  EXPECT_FALSE(WideFileExists(W(dir / "b.txt")));
}

TEST(WideFile, SearchWithMaskAndAttributes) {
  kestrune::test::TempDir dir;
  for (const char* name : {"a.zip", "b.ZIP", "c.txt", ".hidden.zip"}) {
    kestrune::test::WriteFileBytes(dir / name, "12345");
  }
  std::filesystem::create_directory(dir / "d.zip");
  const auto search = [&](const char* mask, int attr) {
    std::set<std::string> found;
    TWSearchRec rec;
    for (int r = WideFindFirst(Utf8ToWide(dir.folder() + mask), attr, rec); r == 0; r = WideFindNext(rec)) {
      found.insert(WideToUtf8(rec.Name));
      EXPECT_EQ(rec.Size, (rec.Attr & faDirectory) ? rec.Size : 5);
      EXPECT_NE(rec.Time, 0u);
    }
    WideFindClose(rec);
    return found;
  };
  EXPECT_EQ(search("*.zip", faArchive), (std::set<std::string>{"a.zip", "b.ZIP"}));
  EXPECT_EQ(search("*.zip", faAnyFile), (std::set<std::string>{"a.zip", "b.ZIP", ".hidden.zip", "d.zip"}));
  EXPECT_EQ(search("?.txt", faArchive), (std::set<std::string>{"c.txt"}));
  TWSearchRec rec;
  EXPECT_NE(WideFindFirst(Utf8ToWide(dir.folder() + "*.none"), faAnyFile, rec), 0);
}

TEST(WideFileStream, OpenCreateAndTheirErrors) {
  kestrune::test::TempDir dir;
  const WideString missing = W(dir / "missing.bin");
  try {
    TWFileStream stream(missing, 0);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + (dir / "missing.bin").string() + "\". No such file or directory");
  }
  try {
    TWFileStream stream(W(dir / "no" / "dir.bin"), TWFileStream::kCreateMode);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"", 0), 0u);
  }
  {
    TWFileStream created(W(dir / "f.bin"), TWFileStream::kCreateMode);
    created.WriteBuffer("abcdef", 6);
  }
  // Deny-write sharing still lets others read.
  TWFileStream first(W(dir / "f.bin"), 0x20);
  TWFileStream second(W(dir / "f.bin"), 0x20);
  char buffer[6];
  second.ReadBuffer(buffer, 6);
  EXPECT_EQ(std::string(buffer, 6), "abcdef");
  EXPECT_THROW(second.ReadBuffer(buffer, 1), EReadError);
  EXPECT_THROW(first.ReadAt(-1, 1), EReadError);
  EXPECT_EQ(first.Size(), 6);
}

TEST(WideStringList, SortedDuplicatesAndErrors) {
  TWStringList list;
  list.SetSorted(true);
  list.Add(u"pacman");
  list.Add(u"Galaga");
  EXPECT_EQ(list.Add(u"PACMAN"), 1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(0), u"Galaga");
  list.Duplicates = TDuplicates::dupError;
  try {
    list.Add(u"galaga");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "String list does not allow duplicates");
  }
  list.Duplicates = TDuplicates::dupAccept;
  EXPECT_EQ(list.Add(u"GALAGA"), 0);
  EXPECT_EQ(list.Count(), 3);
  try {
    list.Insert(0, u"x");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "Operation not allowed on sorted list");
  }
  EXPECT_THROW(list.Put(0, u"x"), EStringListError);
  try {
    (void)list.Get(3);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  EXPECT_EQ(list.IndexOf(u"PacMan"), 2);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(u"PacMan"), -1);
}

TEST(WideStringList, ValuesAndAnsiView) {
  TWStringList list;
  int changes = 0;
  list.OnChange = [&] { ++changes; };
  list.SetText(u"rompath=roms\r\nsnap=\u00E9\nlast");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Values(u"SNAP"), u"\u00E9");
  EXPECT_EQ(list.Names(0), u"rompath");
  EXPECT_EQ(list.Text(), u"rompath=roms\r\nsnap=\u00E9\r\nlast\r\n");
  EXPECT_EQ(list.AnsiStrings().Get(1), "snap=\xE9");
  list.AnsiStrings().Add("\x80");
  EXPECT_EQ(list.Get(3), u"\u20AC");
  EXPECT_EQ(changes, 2);
}

TEST(WideStringList, LoadsByByteOrderMarkAndSavesUtf16) {
  struct Row {
    const char* what;
    std::string bytes;
    std::vector<std::u16string> lines;
  };
  const Row rows[] = {
      {"UTF-16 LE",
       std::string("\xFF\xFE"
                   "a\0\xE9\0\r\0\n\0b\0",
                   12),
       {u"a\u00E9", u"b"}},
      {"UTF-16 BE", std::string("\xFE\xFF\0a\x26\x3A", 6), {u"a\u263A"}},
      {"UTF-8", "\xEF\xBB\xBFx\xC3\xA9", {u"x\u00E9"}},
      {"8-bit", "\xE9t\xE9", {u"\u00E9t\u00E9"}},
      {"one byte", "\xE9", {u"\u00E9"}},
      {"UTF-16 without text", "\xFF\xFE", {}},
  };
  for (const auto& row : rows) {
    TMemoryStream stream;
    stream.WriteBuffer(row.bytes.data(), row.bytes.size());
    stream.SetPosition(0);
    TWStringList list;
    list.LoadFromStream(stream);
    std::vector<std::u16string> lines;
    for (int i = 0; i < list.Count(); ++i) {
      lines.push_back(list.Get(i));
    }
    EXPECT_EQ(lines, row.lines) << row.what;
  }
  kestrune::test::TempDir dir;
  TWStringList list;
  list.Add(u"\u00E9");
  list.SaveToFile(W(dir / "l.txt"));
  EXPECT_EQ(kestrune::test::ReadFileBytes(dir / "l.txt"), std::string("\xFF\xFE\xE9\0\r\0\n\0", 8));
  TWStringList back;
  back.LoadFromFile(W(dir / "l.txt"));
  EXPECT_EQ(back.Get(0), u"\u00E9");
}

}  // namespace
}  // namespace kestrune::zip
