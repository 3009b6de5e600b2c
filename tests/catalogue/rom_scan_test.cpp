#include "catalogue/rom_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace kestrune::catalogue {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = "<?xml version=\"1.0\"?>\n<mame build=\"0.251\">\n";
const std::string kPacman =
    "\t<machine name=\"pacman\">\n\t\t<rom name=\"pm.6e\" size=\"4096\" crc=\"c1e6ab10\"/>\n\t</machine>\n";
const std::string kGalaga =
    "\t<machine name=\"galaga\">\n\t\t<rom name=\"gg1.1\" size=\"4096\" crc=\"ab036c9f\"/>\n\t</machine>\n";

class RomScanRun : public ::testing::Test {
 protected:
  void SetUp() override {
    front_ = dir_.folder() + "front/";
    roms_ = dir_.folder() + "roms/";
    fs::create_directories(front_);
    fs::create_directories(roms_);
    test::WriteFileBytes(roms_ + "pacman.zip", test::StoredZip({{"pm.6e", "data", 0xC1E6AB10}}));
  }

  bool Run(const std::string& list, std::string* error) {
    test::WriteFileBytes(front_ + "roms.dat", list);
    RomScanParams params;
    params.listXml = front_ + "roms.dat";
    params.frontDir = front_;
    params.romFolders = {roms_};
    params.verify.threads = 1;
    return RunRomScan(params, state_, error);
  }
  std::string Work(std::string_view name) const { return test::ReadFileBytes(fs::path(front_) / name); }

  test::TempDir dir_;
  std::string front_;
  std::string roms_;
  RomScanState state_;
};

// A list MAME did not finish fails the scan before any work file is written, so the verdicts of the
// last whole scan (and the catalogue built from them) stay.
TEST_F(RomScanRun, KeepsTheOldWorkFilesWhenTheListIsCut) {
  const std::string whole = kHeader + kPacman + kGalaga + "</mame>\n";
  const std::vector<std::string> cuts = {whole.substr(0, whole.find("<rom", whole.find("galaga"))), kHeader + kPacman,
                                         kHeader, ""};
  const std::vector<std::string_view> files = {kSetsFile, kCrcFile, kChdListFile, kBiosCrcFile, kFileCrcFile};
  for (std::string_view file : files) test::WriteFileBytes(fs::path(front_) / file, "old " + std::string(file));
  for (const std::string& cut : cuts) {
    std::string error;
    EXPECT_FALSE(Run(cut, &error)) << cut;
    EXPECT_EQ(error,
              "MAME's game list \"" + front_ + "roms.dat\" is incomplete: it ends before its closing </mame> line.");
    for (std::string_view file : files) EXPECT_EQ(Work(file), "old " + std::string(file)) << cut;
  }
  std::string error;
  ASSERT_TRUE(Run(whole, &error)) << error;
  EXPECT_EQ(Work(kSetsFile), "[roms]\r\npacman=0\r\n");
}

}  // namespace
}  // namespace kestrune::catalogue
