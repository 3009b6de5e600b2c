// Archives whose end records lie about their central directory: each is refused (or, with repairs on,
// rebuilt from what the file really holds) without memory or time in proportion to the lie.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/zip_archiver.h"
#include "zip/zip_builder.h"
#include "zip/zip_listing.h"

namespace kestrune::zip {
namespace {

namespace fs = std::filesystem;
using test::BuildEntry;
using test::BuildOptions;
using test::BuildZip;

const std::vector<BuildEntry> kThree = {{"a.rom", "alpha"}, {"b.rom", "bravo"}, {"c.rom", "charlie!"}};
constexpr const char* kNoEndRecord = "Archive is damaged. Open failed - Native error: 00048";
constexpr const char* kReadError = kNoEndRecord;  // a directory that cannot be read is damaged the same way
constexpr std::size_t kZip64TailSize = 56 + 20 + 22;

// The ZIP64 end record, locator and end record of an archive whose directory would be the `directory`
// bytes in front of them, holding `count` entries.
std::string Zip64TailClaiming(std::uint64_t directory, std::uint64_t count) {
  BuildOptions options;
  options.zip64 = true;
  std::string tail = BuildZip({}, options).bytes;
  test::PatchLE64(tail, 24, count);
  test::PatchLE64(tail, 32, count);
  test::PatchLE64(tail, 40, directory);
  test::PatchLE64(tail, 56 + 8, directory);
  test::PatchLE16(tail, 76 + 8, 0xFFFF);
  test::PatchLE16(tail, 76 + 10, 0xFFFF);
  return tail;
}

std::string Patched(std::string bytes, std::size_t at, std::uint64_t value, int width) {
  if (width == 2) test::PatchLE16(bytes, at, static_cast<std::uint16_t>(value));
  if (width == 4) test::PatchLE32(bytes, at, static_cast<std::uint32_t>(value));
  if (width == 8) test::PatchLE64(bytes, at, value);
  return bytes;
}

std::string Zip64Three() {
  BuildOptions options;
  options.zip64 = true;
  return BuildZip(kThree, options).bytes;
}
std::size_t Zip64RecordOf(const std::string& bytes) { return bytes.size() - kZip64TailSize; }

// Local headers 32 bytes apart, each naming 65,535 bytes that run over the headers after it; no end record.
std::string OverlappingLocalHeaders() {
  std::string header = BuildZip({{"", ""}}).bytes.substr(0, 30) + "..";
  test::PatchLE16(header, 26, 0xFFFF);
  std::string bytes;
  for (int i = 0; i < 6250; ++i) {
    bytes += header;
  }
  return bytes;
}

// A sparse 1 GiB file: nothing but zeros, and a ZIP64 tail that calls all of them the directory.
void WriteSparseGigabyteLie(const fs::path& path) {
  constexpr std::uint64_t kFileSize = std::uint64_t{1} << 30;
  constexpr std::uint64_t kDirectory = kFileSize - kZip64TailSize;
  { std::ofstream create(path, std::ios::binary); }
  fs::resize_file(path, kDirectory);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << Zip64TailClaiming(kDirectory, kDirectory / 46);
}

struct DirectoryLie {
  const char* name;
  std::function<void(const fs::path&)> write;
  std::string listError;  // what the ROM scan's lister reports
  int repairedError;      // opening with repairs on: the error code, or 0 when it opens
  int repairedEntries;    // ... with this many entries
};

void PrintTo(const DirectoryLie& lie, std::ostream* os) { *os << lie.name; }

std::function<void(const fs::path&)> Bytes(std::function<std::string()> make) {
  return [make](const fs::path& path) { kestrune::test::WriteFileBytes(path, make()); };
}

const DirectoryLie kLies[] = {
    {"Zip64DirectoryFarBiggerThanTheFile", Bytes([] {
       const std::string b = Zip64Three();
       return Patched(b, Zip64RecordOf(b) + 40, std::uint64_t{1} << 40, 8);
     }),
     kReadError, 0, 3},
    {"CountBiggerThanTheDirectoryHolds", Bytes([] {
       const auto built = BuildZip(kThree);
       return Patched(built.bytes, built.endRecord + 10, built.directorySize / 46 + 1, 2);
     }),
     kReadError, 0, 3},
    {"ZeroByteDirectoryWithABigCount", Bytes([] {
       const std::string b = Zip64Three();
       return Patched(Patched(b, Zip64RecordOf(b) + 40, 0, 8), Zip64RecordOf(b) + 32, 1u << 30, 8);
     }),
     kReadError, 0, 3},
    {"DirectorySizeReachingIntoEntryData", Bytes([] {
       const auto built = BuildZip(kThree);
       return Patched(built.bytes, built.endRecord + 12, built.directorySize + 4, 4);
     }),
     kReadError, 0, 3},
    {"Zip64CountOfEveryZeroByte",
     Bytes([] { return std::string(1 << 20, '\0') + Zip64TailClaiming(1 << 20, (1 << 20) / 46); }), kReadError, 35, 0},
    {"SparseGigabyteClaimedAsDirectory", WriteSparseGigabyteLie, kReadError, 35, 0},
    {"OverlappingLocalHeadersWithoutEndRecord", Bytes(OverlappingLocalHeaders), kNoEndRecord, 0, 4},
};

long PeakRssKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class DirectoryLieTest : public ::testing::TestWithParam<DirectoryLie> {
 protected:
  kestrune::test::TempDir dir_;
};

TEST_P(DirectoryLieTest, FailsWithoutMemoryOrTimeForTheLie) {
  const DirectoryLie& lie = GetParam();
  const fs::path path = dir_ / "lie.zip";
  lie.write(path);
  // Only memory is asserted: time on a loaded machine says nothing, and a read of the whole lie would
  // show in the memory as well as hang the test until ctest's limit.
  const long peakBefore = PeakRssKiB();

  std::vector<std::uint32_t> crcs{7};
  std::string error;
  EXPECT_FALSE(ListZipCrcs(path, crcs, &error));
  EXPECT_EQ(crcs, std::vector<std::uint32_t>{7});
  EXPECT_EQ(error, lie.listError);

  TZipArchiver zip;
  zip.FileName = Utf8ToWide(path.string());
  int code = 0;
  try {
    zip.OpenZip(kOpenReadOnly);
    EXPECT_EQ(zip.DirManager()->Items.Count(), lie.repairedEntries);
    // Rebuilt from the local headers: the lying directory was not used.
    EXPECT_EQ(zip.DirManager()->DirectoryStart, static_cast<std::int64_t>(fs::file_size(path)));
  } catch (const EZipException& e) {
    code = e.ErrorCode();
  }
  EXPECT_EQ(code, lie.repairedError);
  zip.CloseZip();

  EXPECT_LT(PeakRssKiB() - peakBefore, 256 * 1024);
}

INSTANTIATE_TEST_SUITE_P(ZipDirectory, DirectoryLieTest, ::testing::ValuesIn(kLies),
                         [](const ::testing::TestParamInfo<DirectoryLie>& info) { return info.param.name; });

// A directory that tells the truth still opens whole, entry by entry, when it is larger than one read.
TEST(ZipDirectory, LargeTruthfulDirectoryOpens) {
  kestrune::test::TempDir dir;
  auto entries = test::NumberedEntries(40000);
  for (auto& e : entries) {
    e.comment = std::string(40, 'c');
  }
  const auto built = BuildZip(entries);
  ASSERT_GT(built.directorySize, std::size_t{3} << 20);
  kestrune::test::WriteFileBytes(dir / "big.zip", built.bytes);
  std::vector<std::uint32_t> crcs;
  std::string error;
  ASSERT_TRUE(ListZipCrcs(dir / "big.zip", crcs, &error)) << error;
  ASSERT_EQ(crcs.size(), 40000u);
  EXPECT_EQ(crcs[39999], test::Crc32Of(entries[39999].data));
}

}  // namespace
}  // namespace kestrune::zip
