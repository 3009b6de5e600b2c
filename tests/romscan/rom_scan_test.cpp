#include "romscan/rom_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "support/file_util.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace kestrune::romscan {
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

TEST(AppendWorkLine, KeepsAnyTextOnOneLine) {
  using namespace std::string_literals;
  std::string out = "[set]\r\n";
  AppendWorkLine(out, "a\rb\nc\0d"s);
  EXPECT_EQ(out, "[set]\r\na b c d\r\n");
}

std::vector<std::string> FileLines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::string_view line : platform::SplitTextLines(text)) lines.emplace_back(line);
  return lines;
}

// A crafted name must not write a line of its own into sets.dat, read back by a reader that ends
// lines at CR too, nor reach a file outside the set's folder through a disk's name.
TEST_F(RomScanRun, KeepsCraftedNamesOutOfTheWorkFilesAndTheFileSystem) {
  using namespace std::string_literals;  // the list holds a NUL
  for (const char* set : {"up", "cut", "game"}) fs::create_directories(roms_ + set);
  test::WriteFileBytes(roms_ + "cut/sec", "an image of sorts");
  test::WriteFileBytes(roms_ + "game/sec ret, v1.2.chd", "an image of sorts");
  test::WriteFileBytes(dir_.folder() + "secret.chd", "an image of sorts");
  const std::string list = kHeader + kPacman + kGalaga +
                           "<machine name=\"x&#13;&#10;galaga=0\">\n</machine>\n"
                           "<machine name=\"x\rgalaga=0\">\n</machine>\n"
                           "<machine name=\"up\">\n<disk name=\"../../secret\"/>\n</machine>\n"
                           "<machine name=\"cut\">\n<disk name=\"sec\0ret\"/>\n</machine>\n"
                           "<machine name=\"game\">\n<disk name=\"sec ret, v1.2\"/>\n</machine>\n"
                           "<machine name=\"clone\" cloneof=\"game\">\n<disk name=\"own\" merge=\"../../secret\"/>\n"
                           "</machine>\n</mame>\n"s;
  std::string error;
  ASSERT_TRUE(Run(list, &error)) << error;
  EXPECT_EQ(FileLines(Work(kSetsFile)), (std::vector<std::string>{
                                            "[roms]", "pacman=0",
                                            "up=4",     // not looked for, so missing
                                            "cut=4",    // not "sec", where the NUL would have cut the path
                                            "game=0",   // the image in the set's own folder
                                            "clone=4",  // the parent's name for it leads outside
                                        }));
}

}  // namespace
}  // namespace kestrune::romscan
