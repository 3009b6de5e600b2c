#include "romscan/scan_pass.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "romscan/scan_work_files.h"
#include "support/file_util.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace kestrune::romscan {
namespace {

namespace fs = std::filesystem;

const std::string kList =
    "<?xml version=\"1.0\"?>\n<mame build=\"0.251\">\n"
    "\t<machine name=\"pacman\">\n\t\t<rom name=\"pm.6e\" size=\"4\" crc=\"c1e6ab10\"/>\n\t</machine>\n"
    "\t<machine name=\"galaga\">\n\t\t<rom name=\"gg1.1\" size=\"4\" crc=\"ab036c9f\"/>\n\t</machine>\n"
    "\t<machine name=\"dkong\">\n\t\t<rom name=\"c_5et_g.bin\" size=\"4\" crc=\"ba70b88b\"/>\n\t</machine>\n"
    "</mame>\n";

// When Cancel is pressed: never, while MAME still writes its list, or once the first archive was read.
enum class CancelAt { kNever, kWhileMameWrites, kAtTheFirstArchive };

struct CancelCase {
  const char* name;
  CancelAt at;
  int archivesRead;
};

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class ScanPassCancel : public ::testing::TestWithParam<CancelCase> {};

TEST_P(ScanPassCancel, StopsReadingAndGivesNoCatalogue) {
  const CancelCase& c = GetParam();
  test::TempDir dir;
  const std::string front = dir.folder();
  test::WriteFileBytes(dir / "roms.dat", kList);
  fs::create_directories(dir / "roms");
  for (const char* set : {"pacman", "galaga", "dkong"}) {
    test::WriteFileBytes(dir / "roms" / (std::string(set) + ".zip"), test::StoredZip({{"x", "data", 1}}));
  }
  std::atomic<int> read{0};
  ScanPassParams params;
  params.frontDir = front;
  params.romFolders = std::vector<std::string>{front + "roms/"};
  params.verify.threads = 1;
  params.verify.lister = [&read](const fs::path& archive, std::vector<std::uint32_t>& crcs) {
    ++read;
    return ListArchiveCrcs(archive, crcs);
  };
  params.read.cancelled = [&] {
    return c.at == CancelAt::kWhileMameWrites || (c.at == CancelAt::kAtTheFirstArchive && read > 0);
  };
  // MAME never ends while it is to be cancelled during its list.
  if (c.at == CancelAt::kWhileMameWrites) params.read.writerDone = [] { return false; };
  ScanPassResult result;
  std::string error;
  const bool succeeded = RunScanPass(params, result, &error);
  EXPECT_EQ(succeeded, c.at == CancelAt::kNever) << error;
  EXPECT_EQ(error, c.at == CancelAt::kNever ? "" : "The scan was cancelled.");
  EXPECT_EQ(read, c.archivesRead);
  EXPECT_EQ(result.build.lines.size(), c.at == CancelAt::kNever ? 3u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Moments, ScanPassCancel,
                         ::testing::Values(CancelCase{"Never", CancelAt::kNever, 3},
                                           CancelCase{"WhileMameWrites", CancelAt::kWhileMameWrites, 0},
                                           CancelCase{"AtTheFirstArchive", CancelAt::kAtTheFirstArchive, 1}),
                         [](const ::testing::TestParamInfo<CancelCase>& info) { return std::string(info.param.name); });

// What a scan that was cut off leaves (MAME's list of up to 270 MB among it) goes; the user's files stay.
TEST(RemoveScanFiles, RemovesTheListAndEveryWorkFileOnly) {
  test::TempDir dir;
  const std::vector<std::string_view> left = {"roms.dat",   "temp.bat",   kCrcFile, kChdListFile,
                                              kBiosCrcFile, kFileCrcFile, kSetsFile};
  const std::vector<std::string_view> kept = {"mame.ini", "catver.ini", "history.dat", "ini/kestrune.dat"};
  fs::create_directories(dir / "ini");
  for (std::string_view name : left) test::WriteFileBytes(dir / std::string(name), "left");
  for (std::string_view name : kept) test::WriteFileBytes(dir / std::string(name), "kept");
  RemoveScanFiles(dir.folder());
  for (std::string_view name : left) EXPECT_FALSE(fs::exists(dir / std::string(name))) << name;
  for (std::string_view name : kept) EXPECT_TRUE(fs::exists(dir / std::string(name))) << name;
}

}  // namespace
}  // namespace kestrune::romscan
