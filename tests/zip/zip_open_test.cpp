#include <dirent.h>
#include <gtest/gtest.h>

#include <functional>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/zip_archiver.h"
#include "zip/zip_builder.h"

namespace kestrune::zip {
namespace {

using test::BuildEntry;
using test::BuildOptions;
using test::BuildZip;

int OpenFileCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) {
      ++count;
    }
    ::closedir(dir);
  }
  return count;
}

class ZipOpenTest : public ::testing::Test {
 protected:
  // Writes the bytes to a file and opens it read-only, as the front-end does.
  void Open(const std::string& bytes, bool rebuild = true) {
    kestrune::test::WriteFileBytes(path_, bytes);
    zip_.FileName = Utf8ToWide(path_.string());
    zip_.RebuildDamagedDirectory = rebuild;
    zip_.OpenZip(kOpenReadOnly);
  }
  int ErrorOf(const std::string& bytes, bool rebuild) {
    try {
      Open(bytes, rebuild);
    } catch (const EZipException& e) {
      return e.ErrorCode();
    }
    return 0;
  }
  const TZipDirArray& Items() { return zip_.DirManager()->Items; }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < Items().Count(); ++i) {
      names.push_back(WideToUtf8(Items().Item(i).FileName));
    }
    return names;
  }

  kestrune::test::TempDir dir_;
  std::filesystem::path path_ = dir_ / "test.zip";
  TZipArchiver zip_;
};

const std::vector<BuildEntry> kThree = {
    {"a.txt", "alpha", 0, 20, "first"}, {"dir/", "", 0, 20, "", "", 0x10}, {"dir/b.png", "bravo!"}};

TEST_F(ZipOpenTest, ReadsEveryEntryInStoredOrder) {
  Open(BuildZip(kThree).bytes);
  EXPECT_TRUE(zip_.Active());
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "dir/", "dir/b.png"}));
  const TDirItem& a = Items().Item(0);
  EXPECT_EQ(a.Comment, "first");
  EXPECT_EQ(a.CentralDir.Crc32, test::Crc32Of("alpha"));
  EXPECT_EQ(a.UncompressedSize, 5u);
  EXPECT_EQ(Items().Item(2).LocalHeaderOffset, BuildZip(kThree).localHeaders[2]);
  EXPECT_EQ(Items().IndexOfName(u"DIR/B.PNG"), 2);
  EXPECT_EQ(Items().IndexOfName(u"dir\\b.png"), -1);
  EXPECT_EQ(zip_.DirManager()->DirectoryStart, static_cast<std::int64_t>(BuildZip(kThree).directoryStart));
}

TEST_F(ZipOpenTest, CommentHoldingAnEndSignatureIsSkipped) {
  BuildOptions options;
  options.comment = std::string("made by PK\5\6 tools") + std::string(30, 'x');
  Open(BuildZip(kThree, options).bytes);
  EXPECT_EQ(Items().Count(), 3);
  EXPECT_EQ(zip_.DirManager()->Comment, options.comment);
}

TEST_F(ZipOpenTest, TrailingBytesRebuildFromLocalHeadersOrFailWith48) {
  BuildOptions options;
  options.trailing = "\n";
  const std::string bytes = BuildZip(kThree, options).bytes;
  Open(bytes, true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "dir/", "dir/b.png"}));
  EXPECT_EQ(Items().Item(0).Comment, "");
  EXPECT_EQ(Items().Item(1).CentralDir.ExternalAttributes, 0x10u);
  EXPECT_EQ(zip_.DirManager()->DirectoryStart, static_cast<std::int64_t>(bytes.size()));
  zip_.CloseZip();
  zip_.Name = "crczipper";
  try {
    Open(bytes, false);
    FAIL() << "opened a damaged archive";
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 48);
    EXPECT_STREQ(e.what(), "crczipper: Archive is damaged. Open failed - Native error: 00048");
  }
  EXPECT_FALSE(zip_.Active());
}

TEST_F(ZipOpenTest, EmptyArchiveHasNoEntries) {
  Open(BuildZip({}).bytes);
  EXPECT_EQ(BuildZip({}).bytes.size(), 22u);
  EXPECT_EQ(Items().Count(), 0);
}

TEST_F(ZipOpenTest, JunkWithoutAnySignatureIsError35WithoutTheName) {
  zip_.Name = "snapzipper";
  for (const std::string& junk : {std::string(), std::string("hello"), std::string(21, 'Z')}) {
    try {
      Open(junk);
      FAIL() << "opened junk";
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), 35);
      EXPECT_STREQ(e.what(), "Invalid archive file. - Native error: 00035");
    }
    EXPECT_EQ(ErrorOf(junk, false), 48);
  }
}

TEST_F(ZipOpenTest, PrependedStubMovesLocalHeaderOffsets) {
  for (const bool inOffsets : {false, true}) {
    BuildOptions options;
    options.prefix = "MZ stub PK\3\4 that is not a header" + std::string(100, '\0');
    options.prefixInOffsets = inOffsets;
    const auto built = BuildZip(kThree, options);
    Open(built.bytes);
    ASSERT_EQ(Items().Count(), 3);
    EXPECT_EQ(zip_.DirManager()->BaseOffset, inOffsets ? 0 : static_cast<std::int64_t>(options.prefix.size()));
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(Items().Item(i).LocalHeaderOffset, built.localHeaders[static_cast<std::size_t>(i)]) << i;
    }
    zip_.CloseZip();
  }
}

TEST_F(ZipOpenTest, Zip64ArchivesOpen) {
  struct Case {
    const char* what;
    BuildOptions options;
  };
  BuildOptions forced;
  forced.zip64 = true;
  BuildOptions escaped = forced;
  escaped.zip64Entries = true;
  BuildOptions extensible = escaped;
  extensible.zip64Extensible = std::string(40, 'e');
  BuildOptions stubbed = extensible;
  stubbed.prefix = std::string(333, 's');
  for (const auto& c :
       {Case{"forced", forced}, Case{"escaped", escaped}, Case{"extensible", extensible}, Case{"stubbed", stubbed}}) {
    const auto built = BuildZip(kThree, c.options);
    Open(built.bytes, false);
    EXPECT_TRUE(zip_.DirManager()->IsZip64) << c.what;
    ASSERT_EQ(Names(), (std::vector<std::string>{"a.txt", "dir/", "dir/b.png"})) << c.what;
    EXPECT_EQ(Items().Item(2).CompressedSize, 6u) << c.what;
    EXPECT_EQ(Items().Item(2).LocalHeaderOffset, built.localHeaders[2]) << c.what;
    EXPECT_EQ(Items().Item(2).Zip64, c.options.zip64Entries) << c.what;
    zip_.CloseZip();
  }
}

TEST_F(ZipOpenTest, Zip64LocatorWithoutItsRecordIsError40) {
  BuildOptions options;
  options.zip64 = true;
  auto built = BuildZip(kThree, options);
  built.bytes[built.endRecord - 20 - 56] = 'X';  // the ZIP64 end record's signature
  EXPECT_EQ(ErrorOf(built.bytes, true), 40);
}

TEST_F(ZipOpenTest, MoreThan65535EntriesThroughZip64) {
  BuildOptions options;
  options.zip64 = true;
  Open(BuildZip(test::NumberedEntries(70000), options).bytes, false);
  ASSERT_EQ(Items().Count(), 70000);
  EXPECT_EQ(WideToUtf8(Items().Item(69999).FileName), "f070000");
  EXPECT_EQ(Items().IndexOfName(u"F065536"), 65535);
}

TEST_F(ZipOpenTest, Exactly65535EntriesWalkTheDirectory) {
  const auto built = BuildZip(test::NumberedEntries(65535));
  for (const bool rebuild : {true, false}) {
    Open(built.bytes, rebuild);
    ASSERT_EQ(Items().Count(), 65535);
    EXPECT_EQ(zip_.DirManager()->DirectoryStart, static_cast<std::int64_t>(built.directoryStart)) << rebuild;
    zip_.CloseZip();
  }
  // A damaged directory of that size is refused, not silently rebuilt, when repairs are off.
  std::string cut = built.bytes;
  cut.erase(built.directoryStart + 100, 10);
  test::PatchLE32(cut, cut.size() - 22 + 12, static_cast<std::uint32_t>(built.directorySize - 10));
  EXPECT_EQ(ErrorOf(cut, false), 48);
  Open(cut, true);
  EXPECT_EQ(zip_.DirManager()->DirectoryStart, static_cast<std::int64_t>(cut.size()));
}

// The central directory loses bytes at a point; the end record still describes what is left.
TEST_F(ZipOpenTest, CutDirectoryRebuildsOrIsError48) {
  const auto built = BuildZip(kThree);
  const std::size_t last = built.centralHeaders[2];
  struct Case {
    const char* where;
    std::size_t at;
  };
  for (const auto& c : {Case{"first header", built.centralHeaders[0] + 10},
                        Case{"a name", built.centralHeaders[1] + 47}, Case{"last header", last + 20},
                        Case{"last name", last + 50}, Case{"before the end record", built.endRecord - 1}}) {
    std::string bytes = built.bytes;
    const std::size_t removed = built.endRecord - c.at;
    bytes.erase(c.at, removed);
    test::PatchLE32(bytes, bytes.size() - 22 + 12, static_cast<std::uint32_t>(built.directorySize - removed));
    EXPECT_EQ(ErrorOf(bytes, false), 48) << c.where;
    ASSERT_EQ(ErrorOf(bytes, true), 0) << c.where;
    EXPECT_EQ(Items().Count(), 3) << c.where;
    zip_.CloseZip();
  }
}

// A central header whose signature is wrong while its lengths and offset agree with the directory.
TEST_F(ZipOpenTest, WrongCentralSignatureIsAcceptedWhenTheDirectoryChecksOut) {
  for (const std::size_t header : {0, 1, 2}) {
    auto built = BuildZip(kThree);
    test::PatchLE32(built.bytes, built.centralHeaders[header], 0x02014B51);
    for (const bool rebuild : {true, false}) {
      ASSERT_EQ(ErrorOf(built.bytes, rebuild), 0) << header;
      ASSERT_EQ(Names(), (std::vector<std::string>{"a.txt", "dir/", "dir/b.png"}));
      EXPECT_EQ(Items().Item(0).Comment, "first");  // read from the directory, not rebuilt
      EXPECT_EQ(Items().Item(1).CentralDir.ExternalAttributes, 0x10u);
      EXPECT_EQ(zip_.DirManager()->DirectoryStart, static_cast<std::int64_t>(built.directoryStart));
      zip_.CloseZip();
    }
  }
  // Not when the header's lengths or offset lead elsewhere: then the directory is damaged.
  struct Damage {
    const char* what;
    std::size_t field;
    std::uint32_t value;
  };
  for (const Damage d : {Damage{"offset inside the directory", 42, 0}, Damage{"name length", 28, 3}}) {
    auto built = BuildZip(kThree);
    const std::size_t at = built.centralHeaders[1];
    test::PatchLE32(built.bytes, at, 0);
    if (d.field == 42) {
      test::PatchLE32(built.bytes, at + 42, static_cast<std::uint32_t>(built.directoryStart));
    } else {
      built.bytes[at + 28] = static_cast<char>(d.value);
    }
    EXPECT_EQ(ErrorOf(built.bytes, false), 48) << d.what;
    ASSERT_EQ(ErrorOf(built.bytes, true), 0) << d.what;
    EXPECT_EQ(Items().Item(0).Comment, "") << d.what;  // rebuilt from the local headers
    zip_.CloseZip();
  }
}

TEST_F(ZipOpenTest, CompressedSizesBeyondTheFileAreError57) {
  auto built = BuildZip(kThree);
  test::PatchLE32(built.bytes, built.centralHeaders[0] + 20, 0x7FFFFFFF);
  EXPECT_EQ(ErrorOf(built.bytes, false), 57);
  EXPECT_EQ(ErrorOf(built.bytes, true), 0);
  // Two ZIP64 sizes whose sum wraps around in 64 bits.
  BuildOptions options;
  options.zip64 = true;
  options.zip64Entries = true;
  auto wide = BuildZip(kThree, options);
  test::PatchLE64(wide.bytes, wide.centralHeaders[0] + 46 + 5 + 4 + 8, 0x8000000000000000ull);
  test::PatchLE64(wide.bytes, wide.centralHeaders[1] + 46 + 4 + 4 + 8, 0x8000000000000000ull);
  EXPECT_EQ(ErrorOf(wide.bytes, false), 57);
}

TEST_F(ZipOpenTest, BlankOrMissingFileNameErrors) {
  zip_.Name = "snapzipper";
  struct Case {
    std::u16string fileName;
    int code;
    std::string message;
  };
  for (const auto& c :
       {Case{u"", 10, "snapzipper: File name is blank. Specify appropriate file name - Native error: 00010"},
        Case{u"roms/", 10, "snapzipper: File name is blank. Specify appropriate file name - Native error: 00010"},
        Case{u"roms\\", 10, "snapzipper: File name is blank. Specify appropriate file name - Native error: 00010"},
        Case{u"/no/such/pacman.zip", 12, "snapzipper: File \"/no/such/pacman.zip\" not found - Native error: 00012"}}) {
    zip_.FileName = c.fileName;
    try {
      zip_.OpenZip(kOpenReadOnly);
      FAIL() << c.message;
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), c.code);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST_F(ZipOpenTest, NamesByFlagAndCodePage) {
  BuildEntry oem{
      "\x81"
      "ber.png",
      "x"};
  BuildEntry utf8{
      "\xC3\xBC"
      "ber.txt",
      "y", 0x0800};
  BuildEntry badUtf8{"\xFF.txt", "z", 0x0800};
  std::string unicodeBlock =
      std::string("NU\x0C\0", 4) + "NUCX" + std::string("\x02\0\0\0", 4) + std::string("\x3A\x04\x30\x00", 4);
  BuildEntry own{"ignored", "w", 0, 20, "", unicodeBlock};
  Open(BuildZip({oem, utf8, badUtf8, own}).bytes);
  EXPECT_EQ(Items().Item(0).FileName, u"\u00FCber.png");
  EXPECT_EQ(Items().Item(1).FileName, u"\u00FCber.txt");
  EXPECT_EQ(Items().Item(2).FileName, u"\uFFFD.txt");
  EXPECT_EQ(Items().Item(3).FileName, u"\u043A0");
  EXPECT_EQ(Items().IndexOfName(u"\u00DCBER.PNG"), 0);
  zip_.CloseZip();
  zip_.Options.OEMFileNames = false;
  Open(BuildZip({{"\xFC"
                  "ber.png",
                  "x"},
                 {"\x80.txt", "e"}})
           .bytes);
  EXPECT_EQ(Items().Item(0).FileName, u"\u00FCber.png");
  EXPECT_EQ(Items().Item(1).FileName, u"\u20AC.txt");
}

// Damaged and hostile fields: every row opens or fails with a known error, never anything worse.
TEST_F(ZipOpenTest, HostileFieldsAreBounded) {
  const auto built = BuildZip(kThree);
  const std::size_t end = built.endRecord;
  const std::size_t c0 = built.centralHeaders[0];
  BuildOptions z64;
  z64.zip64 = true;
  z64.zip64Entries = true;
  const auto wide = BuildZip(kThree, z64);
  const std::size_t z64Record = wide.endRecord - 20 - 56;
  struct Case {
    const char* what;
    std::function<std::string()> make;
    int withRebuild;
    int withoutRebuild;
  };
  const auto patched = [](std::string bytes, std::size_t at, std::uint64_t value, int width) {
    if (width == 2) test::PatchLE16(bytes, at, static_cast<std::uint16_t>(value));
    if (width == 4) test::PatchLE32(bytes, at, static_cast<std::uint32_t>(value));
    if (width == 8) test::PatchLE64(bytes, at, value);
    return bytes;
  };
  const std::string& b = built.bytes;
  const std::string& w = wide.bytes;
  const Case cases[] = {
      {"entry count far above the directory", [&] { return patched(b, end + 10, 0xFFFE, 2); }, 0, 48},
      {"directory larger than the file", [&] { return patched(b, end + 12, 0xFFFFFF00u, 4); }, 0, 48},
      {"directory size zero", [&] { return patched(b, end + 12, 0, 4); }, 0, 48},
      {"extra length past the directory", [&] { return patched(b, c0 + 30, 0xFFFF, 2); }, 0, 48},
      {"comment length past the directory", [&] { return patched(b, c0 + 32, 0xFFFF, 2); }, 0, 48},
      {"name length past the directory", [&] { return patched(b, c0 + 28, 0xFFFF, 2); }, 0, 48},
      {"local-header offset past the file", [&] { return patched(b, c0 + 42, 0xFFFFFFF0u, 4); }, 0, 0},
      {"ZIP64 entry count of 2^40", [&] { return patched(w, z64Record + 32, 1ull << 40, 8); }, 0, 48},
      {"ZIP64 directory size of 2^63", [&] { return patched(w, z64Record + 40, 1ull << 63, 8); }, 0, 48},
      {"ZIP64 record offset of 2^64-1", [&] { return patched(w, wide.endRecord - 12, ~0ull, 8); }, 0, 0},
      {"ZIP64 block longer than its extra field",
       [&] { return patched(w, wide.centralHeaders[0] + 46 + 5 + 2, 0xFFFF, 2); }, 0, 0},
      {"ZIP64 local-header offset of 2^64-1",
       [&] { return patched(w, wide.centralHeaders[0] + 46 + 5 + 4 + 16, ~0ull, 8); }, 0, 0},
      {"end record at the very start", [&] { return BuildZip({}).bytes + std::string(3, 'x'); }, 35, 48},
  };
  for (const auto& c : cases) {
    const std::string bytes = c.make();
    EXPECT_EQ(ErrorOf(bytes, true), c.withRebuild) << c.what;
    zip_.CloseZip();
    EXPECT_EQ(ErrorOf(bytes, false), c.withoutRebuild) << c.what;
    zip_.CloseZip();
  }
}

TEST_F(ZipOpenTest, EveryByteFlipOpensOrFailsCleanly) {
  const std::string original = BuildZip(kThree).bytes;
  for (std::size_t i = 0; i < original.size(); ++i) {
    for (const bool rebuild : {true, false}) {
      std::string bytes = original;
      bytes[i] = static_cast<char>(bytes[i] ^ 0xFF);
      try {
        Open(bytes, rebuild);
        for (int k = 0; k < Items().Count(); ++k) {
          (void)Items().IndexOfName(Items().Item(k).FileName);
        }
      } catch (const EZipException&) {
      }
      zip_.CloseZip();
    }
  }
}

TEST_F(ZipOpenTest, FailedOpenReleasesTheFile) {
  const int before = OpenFileCount();
  EXPECT_EQ(ErrorOf("junk", false), 48);
  EXPECT_FALSE(zip_.Active());
  EXPECT_EQ(zip_.DirManager(), nullptr);
  EXPECT_EQ(OpenFileCount(), before);
}

TEST_F(ZipOpenTest, ClosingNeverWritesToAReadOnlyArchive) {
  const std::string bytes = BuildZip(kThree).bytes;
  Open(bytes);
  zip_.CloseZip();
  zip_.CloseZip();
  EXPECT_EQ(kestrune::test::ReadFileBytes(path_), bytes);
  {
    TZipArchiver other;
    other.FileName = Utf8ToWide(path_.string());
    other.OpenZip(kOpenReadOnly);
  }
  EXPECT_EQ(kestrune::test::ReadFileBytes(path_), bytes);
}

TEST_F(ZipOpenTest, CreatedEmptyArchiveGetsItsEndRecordAtClose) {
  zip_.FileName = Utf8ToWide((dir_ / "new.zip").string());
  zip_.OpenZip(kOpenCreate);
  EXPECT_TRUE(zip_.Active());
  zip_.CloseZip();
  EXPECT_EQ(kestrune::test::ReadFileBytes(dir_ / "new.zip"), BuildZip({}).bytes);
  zip_.OpenZip(kOpenReadOnly);
  EXPECT_EQ(Items().Count(), 0);
}

TEST_F(ZipOpenTest, AfterOpenFiresOnceOpen) {
  int fired = 0;
  zip_.AfterOpen = [&](TZipBaseArchiver& sender) {
    EXPECT_TRUE(sender.Active());
    ++fired;
  };
  Open(BuildZip(kThree).bytes);
  EXPECT_EQ(fired, 1);
}

// Opening reads the tail once and the directory once, whatever the number of entries.
TEST(ZipDirManager, ReadsAFewBlocksNotOnePerEntry) {
  class CountingStream : public TMemoryStream {
   public:
    std::size_t Read(void* buffer, std::size_t count) override {
      ++reads;
      return TMemoryStream::Read(buffer, count);
    }
    int reads = 0;
  };
  auto entries = test::NumberedEntries(3000);
  for (auto& e : entries) {
    e.data = std::string(100, 'd');
  }
  const std::string bytes = BuildZip(entries).bytes;
  CountingStream stream;
  stream.WriteBuffer(bytes.data(), bytes.size());
  TZipDirManager manager(stream, false, nullptr, TZipReadOptions{});
  manager.LoadDirectory();
  EXPECT_EQ(manager.Items.Count(), 3000);
  EXPECT_LE(stream.reads, 3);
}

TEST(ZipDirArray, GrowsByADoublingStepAndChecksIndexes) {
  TZipDirArray array;
  array.SetCount(1);
  EXPECT_EQ(array.Capacity(), 1000);
  array.SetCount(1001);
  EXPECT_EQ(array.Capacity(), 3000);
  array.SetCount(50000);
  EXPECT_EQ(array.Capacity(), 50000);
  array.SetCount(10);
  EXPECT_EQ(array.Count(), 10);
  array.SetEntryName(3, u"Snap/X.png");
  EXPECT_EQ(array.IndexOfName(u"snap/x.PNG"), 3);
  try {
    (void)array.Item(10);
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 1);
    EXPECT_STREQ(e.what(), "Index out of bounds - Native error: 00001");
  }
  array.SetCount(0);
  EXPECT_EQ(array.Count(), 0);
}

}  // namespace
}  // namespace kestrune::zip
