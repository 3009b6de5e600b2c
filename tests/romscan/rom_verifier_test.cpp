#include "romscan/rom_verifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "romscan/rom_scan.h"
#include "support/file_util.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"

namespace kestrune::romscan {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

// Stored entries whose CRC fields are set by the test: the verification compares the directory's
// values only, so the data need not match them.
std::string TinyZip(const std::vector<std::uint32_t>& crcs) {
  std::vector<test::StoredZipEntry> entries;
  for (std::size_t i = 0; i < crcs.size(); ++i) {
    entries.push_back({"rom" + std::to_string(i) + ".bin", "data", crcs[i]});
  }
  return test::StoredZip(entries);
}

std::uint8_t HexValue(char c) { return static_cast<std::uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10); }

// A CHD header of the given version with `hash` (hex) at `offset`.
std::string ChdHeader(std::uint32_t version, std::size_t offset, const std::string& hash) {
  std::string header(124, '\0');
  header.replace(0, 8, "MComprHD");
  for (int i = 0; i < 4; ++i)
    header[12 + static_cast<std::size_t>(i)] = static_cast<char>((version >> (24 - 8 * i)) & 0xFF);
  for (std::size_t i = 0; i < hash.size() / 2; ++i) {
    header[offset + i] = static_cast<char>((HexValue(hash[2 * i]) << 4) | HexValue(hash[2 * i + 1]));
  }
  return header;
}

const std::string kGarbage = "this is not a zip archive at all, only some bytes";

class ScanFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    a_ = dir_.folder() + "romsA/";
    b_ = dir_.folder() + "romsB/";
    front_ = dir_.folder() + "front/";
    for (const std::string& folder : {a_, b_, front_}) fs::create_directories(folder);
  }

  void Zip(const std::string& folder, const std::string& set, const std::vector<std::uint32_t>& crcs) {
    WriteFileBytes(folder + set + ".zip", TinyZip(crcs));
  }
  void Put(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFileBytes(path, bytes);
  }
  std::string Work(std::string_view name) { return ReadFileBytes(fs::path(front_) / name); }

  // Runs the steps one by one, keeping every work file's bytes before the last step deletes them.
  void Scan(const std::string& fixture) { ScanFile(test::TestDataDir() / "romscan/listxml" / fixture); }
  // The same for a list made by the test.
  void ScanText(const std::string& list) {
    WriteFileBytes(dir_ / "list.xml", list);
    ScanFile(dir_ / "list.xml");
  }
  void ScanFile(const fs::path& list) {
    state_ = RomScanState{};
    state_.frontDir = front_;
    std::string error;
    ASSERT_TRUE(ReadListXml(list, state_.list, &error)) << error;
    const RomFolderIndex folders({a_, b_});
    ASSERT_TRUE(ParseListXmlRoms(state_, folders, &error)) << error;
    ASSERT_TRUE(CollectBiosCrcs(state_, folders, &error)) << error;
    options_.lister = ListArchiveCrcs;
    options_.date = "2024-01-01";
    options_.threads = 3;
    options_.observer.progress = [this](int value) { progress_.push_back(value); };
    options_.observer.content = [this](std::string_view text) { content_.emplace_back(text); };
    CheckBiosZips(state_, folders, options_);
    ASSERT_TRUE(ScanRomZips(state_, folders, options_, &error)) << error;
    crc_ = Work(kCrcFile);
    chd_ = Work(kChdListFile);
    bios_ = Work(kBiosCrcFile);
    filecrc_ = Work(kFileCrcFile);
    ASSERT_TRUE(WriteSetVerdicts(state_, &error)) << error;
    sets_ = Work(kSetsFile);
  }

  test::TempDir dir_;
  std::string a_, b_, front_;
  RomScanState state_;
  RomVerifyOptions options_;
  std::vector<int> progress_;
  std::vector<std::string> content_;
  std::string crc_, chd_, bios_, filecrc_, sets_;
};

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST_F(ScanFixture, OldGameFormWritesEveryWorkFileAndVerdict) {
  Zip(a_, "mslug", {0x08D8DAA5});
  Zip(a_, "mslugo", {0x5A5A5A5A});
  Zip(a_, "kof98", {0x12345678});
  Zip(a_, "orlegend", {0xD5E93543});
  Zip(a_, "ts2", {0x395F3B5B});
  Zip(a_, "sfiii", {0x74205250});
  Zip(a_, "sfiiiu", {0xFB172A8E});
  Zip(a_, "kinst", {0x7B65CA3D});
  Zip(a_, "twochd", {0xC0FFEE00});
  Zip(a_, "robby", {0xABCDEF12, 0x00000000});
  Zip(a_, "nocrc", {});
  Put(a_ + "broken.zip", kGarbage);
  Zip(a_, "split", {0xE1E1E1E1});
  Zip(b_, "neogeo", {0x9036D879, 0x94416D67});
  Put(b_ + "cpzn1.zip", kGarbage);
  Zip(b_, "split", {0xE2E2E2E2});
  Put(a_ + "sfiii/sf3000.chd", ChdHeader(3, 44, "ffffffffffffffffffffffffffffffff"));
  Put(a_ + "sfiiiu/sf3000u.chd", ChdHeader(3, 44, "0123456789abcdef0123456789abcdef"));
  Put(a_ + "twochd/two.chd", ChdHeader(2, 44, "22222222222222222222222222222222"));
  Put(b_ + "twochd/two.chd", ChdHeader(2, 44, "33333333333333333333333333333333"));
  Scan("old_form.xml");

  auto section = [](const std::string& set, const std::string& romof, const std::string& parent, const std::string& dir,
                    std::initializer_list<std::string> crcs) {
    std::string text = Lines({"[" + set + "]", "romof=" + romof, "Parent=" + parent, "dir=" + dir});
    for (const std::string& crc : crcs) text += crc + "\r\n";
    return text + "\r\n";
  };
  EXPECT_EQ(crc_,
            section("neogeo", "", "", b_, {"9036d879", "94416d67"}) +
                section("mslug", "neogeo", "", a_, {"08d8daa5", "9036d879"}) +
                section("mslugm", "mslug", "mslug", a_, {"08d8daa5"}) +
                section("mslugo", "mslug", "mslug", a_, {"5a5a5a5a", "9036d879"}) +
                section("mslugx", "mslug", "mslug", a_, {"81f1f60b"}) +
                section("kof98", "neogeo", "", a_, {"8893df89", "94416d67"}) +
                section("orlegend", "pgm", "", a_, {"d5e93543", "1a7123a0"}) +
                section("cpzn1", "", "", b_, {"50033af6"}) + section("ts2", "cpzn1", "", a_, {"395f3b5b", "50033af6"}) +
                section("sfiii", "", "", a_, {"74205250"}) + section("sfiiiu", "sfiii", "sfiii", a_, {"fb172a8e"}) +
                section("kinst", "", "", a_, {"7b65ca3d"}) + section("twochd", "", "", a_, {"c0ffee00"}) +
                section("robby", "", "", a_, {"ABCDEF12", ""}) + section("nocrc", "", "", a_, {""}) +
                section("broken", "", "", a_, {"b0b0b0b0"}) + section("split", "", "", a_, {"e1e1e1e1", "e2e2e2e2"}));
  // The clone's image is found in its own folder; several sections for one set are kept.
  EXPECT_EQ(chd_, Lines({"[sfiii]", "chd=BAD", "[sfiiiu]", "chd=OK", "[kinst]", "chd=NOK", "[twochd]", "chd=OK",
                         "[twochd]", "chd=BAD"}));
  EXPECT_EQ(bios_, Lines({"[neogeo]", "dir=" + b_, "9036d879", "94416d67", "", "[pgm]", "dir=", "1a7123a0", "",
                          "[cpzn1]", "dir=" + b_, "50033af6", ""}));
  EXPECT_EQ(filecrc_,
            Lines({"[neogeo]", "9036D879", "94416D67", "[mslug]",    "08D8DAA5", "[mslugm]", "[mslugo]", "5A5A5A5A",
                   "[mslugx]", "[kof98]",  "12345678", "[orlegend]", "D5E93543", "[cpzn1]",  "[ts2]",    "395F3B5B",
                   "[sfiii]",  "74205250", "[sfiiiu]", "FB172A8E",   "[kinst]",  "7B65CA3D", "[twochd]", "C0FFEE00",
                   "[robby]",  "ABCDEF12", "00000000", "[nocrc]",    "[broken]", "[split]",  "E1E1E1E1", "E2E2E2E2"}));
  EXPECT_EQ(sets_, Lines({
                       "[roms]", "neogeo=0",
                       "mslug=0",     // its BIOS roms come from the complete BIOS archive
                       "mslugm=0",    // merged clone: everything in the parent's archive
                       "mslugo=0",    // clone with its own roms in its own archive
                       "mslugx=3",    // clone whose own roms are nowhere
                       "kof98=3",     // a rom missing, BIOS present
                       "orlegend=5",  // a rom missing, BIOS missing
                       "cpzn1=3",     // the BIOS set itself, unreadable
                       "ts2=5",       // BIOS archive there but unreadable: MAME cannot load it
                       "sfiii=6",     // wrong image
                       "sfiiiu=6",    // own image good, the parent's bad
                       "kinst=4",     // no image
                       "twochd=0",    // a good image in one folder is enough
                       "robby=1",     // every crc found (upper-case expected), one rom never dumped
                       "nocrc=1",     // nothing to check: runs, no good dump known
                       "broken=3",    // damaged archive
                       "split=0",     // the set's archives in both folders together
                   }));
  // The other work files are gone; sets.dat stays for the catalogue build.
  for (std::string_view name : {kCrcFile, kChdListFile, kBiosCrcFile, kFileCrcFile}) {
    EXPECT_FALSE(fs::exists(fs::path(front_) / name)) << name;
  }
  ASSERT_EQ(content_.size(), 17u);
  EXPECT_EQ(content_.front(), "M.A.M.E. build : 0.106 (May 16 2006) \rScanning " + b_ +
                                  "neogeo.zip\rRoms found     : 17\rRoms checked : 1");
}

TEST_F(ScanFixture, MachineFormNeedsDeviceRomsAndRunsSetsWithoutFiles) {
  Zip(a_, "galaga", {0xAB036C9F});
  Zip(a_, "bosco", {0x96021267});
  Zip(a_, "xevious", {0x09964DDA, 0xEE7357E0});
  Zip(a_, "digdug", {0xA80EC984});
  Zip(a_, "unclosed", {0x12121212});
  Zip(a_, "afterunclosed", {0x34343434});
  Zip(b_, "namco51", {0xC2F57EF8});
  Put(b_ + "namco53.zip", kGarbage);
  Put(a_ + "crusnexo/exotica.chd", ChdHeader(5, 84, "0123456789abcdef0123456789abcdef01234567"));
  Zip(a_, "ibmpc", {0xC0C0C0C0});
  Zip(b_, "cga", {0x1D1D1D1D});
  Zip(a_, "cbm", {0xC3C3C3C3});
  Zip(b_, "fdc", {0x2E2E2E2E});
  Scan("machine_form.xml");

  auto section = [](const std::string& set, const std::string& dir, std::initializer_list<std::string> crcs) {
    std::string text = Lines({"[" + set + "]", "romof=", "Parent=", "dir=" + dir});
    for (const std::string& crc : crcs) text += crc + "\r\n";
    return text + "\r\n";
  };
  EXPECT_EQ(crc_, section("galaga", a_, {"ab036c9f"}) + section("bosco", a_, {"96021267"}) +
                      section("xevious", a_, {"09964dda"}) + section("digdug", a_, {"a80ec984"}) +
                      section("unclosed", a_, {"12121212"}) + section("afterunclosed", a_, {"34343434"}) +
                      section("ibmpc", a_, {"c0c0c0c0", "1d1d1d1d"}) + section("cbm", a_, {"c3c3c3c3"}) +
                      section("namco51", b_, {"c2f57ef8"}) + section("namco53", b_, {"b326fecb"}) +
                      section("cga", b_, {"1d1d1d1d"}) + section("fdc", b_, {"2e2e2e2e"}));
  // The clone's image is kept only in the parent's folder, under the parent's name for it.
  EXPECT_EQ(chd_, Lines({"[crusnexo]", "chd=OK", "[crusnexoa]", "chd=OK"}));
  EXPECT_EQ(bios_, "");
  EXPECT_EQ(filecrc_, Lines({"[galaga]", "AB036C9F",  "[bosco]",  "96021267",   "[xevious]", "09964DDA",
                             "EE7357E0", "[digdug]",  "A80EC984", "[unclosed]", "12121212",  "[afterunclosed]",
                             "34343434", "[ibmpc]",   "C0C0C0C0", "[cbm]",      "C3C3C3C3",  "[namco51]",
                             "C2F57EF8", "[namco53]", "[cga]",    "1D1D1D1D",   "[fdc]",     "2E2E2E2E"}));
  EXPECT_EQ(sets_, Lines({
                       "[roms]",
                       "galaga=0",    // namco51's rom in the device's own archive
                       "bosco=5",     // namco54's archive is nowhere
                       "xevious=0",   // namco54's rom inside the machine's own archive
                       "digdug=5",    // namco53's archive cannot be read
                       "pong=0",      // needs no file at all
                       "crusnexo=0",  // only a disk, found with the right SHA-1
                       "cdnodump=1",  // the undumped disc may be absent
                       "unclosed=0",
                       "afterunclosed=0",  // its rom is not taken by the unclosed set before it
                       "crusnexoa=0",
                       "ibmpc=3",  // MAME never looks in a device's archive for the set's own roms
                       "cbm=5",    // nor in one device's archive for another's
                       "namco51=0",
                       "namco53=3",
                       "cga=0",
                       "fdc=0",
                   }));
  EXPECT_EQ(state_.mameVersionText, "M.A.M.E. build : 0.251 (unknown) ");
}

TEST_F(ScanFixture, ProgressShowsRoundedShareOfSetsDone) {
  const std::string list =
      "<?xml version=\"1.0\"?>\n<mame build=\"x\">\n"
      "<game name=\"a\"><rom name=\"1\" crc=\"00000001\"/></game>\n"
      "<game name=\"b\"><rom name=\"1\" crc=\"00000002\"/></game>\n"
      "<game name=\"c\"><rom name=\"1\" crc=\"00000003\"/></game>\n</mame>\n";
  Put(front_ + "roms.dat", list);
  for (const char* set : {"a", "b", "c"}) Zip(a_, set, {1});
  RomScanParams params;
  params.listXml = front_ + "roms.dat";
  params.frontDir = front_;
  params.romFolders = {a_};
  params.verify.lister = ListArchiveCrcs;
  std::vector<std::string> instructions;
  params.verify.observer.progress = [this](int value) { progress_.push_back(value); };
  params.verify.observer.instruction = [&](std::string_view text) { instructions.emplace_back(text); };
  std::string error;
  ASSERT_TRUE(RunRomScan(params, state_, &error)) << error;
  EXPECT_EQ(progress_, (std::vector<int>{0, 33, 67}));
  EXPECT_EQ(instructions, (std::vector<std::string>{"Preparing data...", "Verifying roms..."}));
  EXPECT_EQ(Work(kSetsFile), Lines({"[roms]", "a=0", "b=3", "c=3"}));
}

// A game list made of machines: name, attributes, CRCs of its roms and the devices it references.
struct ListMachine {
  std::string name;
  std::string attributes;
  std::vector<std::uint32_t> crcs;
  std::vector<std::string> devices;
};

std::string MachineList(const std::vector<ListMachine>& machines) {
  std::string list = "<?xml version=\"1.0\"?>\n<mame build=\"0.251\">\n";
  char crc[9];
  for (const ListMachine& machine : machines) {
    list += "<machine name=\"" + machine.name + "\"" + machine.attributes + ">\n";
    for (std::uint32_t value : machine.crcs) {
      std::snprintf(crc, sizeof crc, "%08x", value);
      list += "<rom name=\"r\" size=\"1\" crc=\"" + std::string(crc) + "\"/>\n";
    }
    for (const std::string& device : machine.devices) list += "<device_ref name=\"" + device + "\"/>\n";
    list += "</machine>\n";
  }
  return list + "</mame>\n";
}

const std::string kDevice = " isdevice=\"yes\" runnable=\"no\"";

// Two devices that reference each other: a machine on either side needs the ROMs of both, however the
// sets happen to be judged. devb's archive is missing.
TEST_F(ScanFixture, ADeviceCycleGivesEverySetOnItTheWholeCycle) {
  Zip(a_, "m1", {1});
  Zip(a_, "m2", {2});
  Zip(a_, "deva", {0xA});
  Zip(a_, "held", {3, 0xB});
  ScanText(MachineList({{"m1", "", {1}, {"deva"}},
                        {"m2", "", {2}, {"devb"}},
                        {"held", "", {3}, {"devb"}},
                        {"deva", kDevice, {0xA}, {"devb"}},
                        {"devb", kDevice, {0xB}, {"deva"}}}));
  EXPECT_EQ(sets_, Lines({"[roms]", "m1=5", "m2=5", "held=0", "deva=5"}));
  // devb's own rom inside held's archive serves held only.
  const std::string expected = "5505-";  // per set in list order; "-": no verdict
  std::vector<std::size_t> order = {0, 1, 2, 3, 4};
  do {
    const SetJudge judge(state_);
    std::string verdicts(order.size(), '?');
    for (std::size_t i : order) {
      const std::optional<SetVerdict> verdict = judge.Judge(i);
      verdicts[i] = verdict ? static_cast<char>(*verdict) : '-';
    }
    EXPECT_EQ(verdicts, expected) << "judged in the order " << order[0] << order[1] << order[2] << order[3] << order[4];
  } while (std::next_permutation(order.begin(), order.end()));
}

// A chain of 100,000 devices, the last with a rom: walked once, without a call per link.
TEST_F(ScanFixture, AHundredThousandDevicesDeepChainIsFollowedToItsEnd) {
  const int depth = 100'000;
  std::vector<ListMachine> machines = {{"deep", "", {1}, {"d0"}}, {"held", "", {2}, {"d0"}}, {"bare", "", {}, {"d0"}}};
  for (int k = 0; k < depth; ++k) {
    ListMachine device{"d" + std::to_string(k), kDevice, {}, {}};
    if (k + 1 < depth) {
      device.devices.push_back("d" + std::to_string(k + 1));
    } else {
      device.crcs.push_back(0xDEAD);
    }
    machines.push_back(std::move(device));
  }
  Zip(a_, "deep", {1});
  Zip(a_, "held", {2, 0xDEAD});
  ScanText(MachineList(machines));
  // bare needs no file of its own, but the last device's rom is nowhere.
  EXPECT_EQ(sets_, Lines({"[roms]", "deep=5", "held=0"}));
}

// A hub device referencing 5,000 devices with roms, and 5,000 clones referencing the hub, whose device
// roms are all in the parent's archive: each clone needs the same 5,000 roms.
TEST_F(ScanFixture, ManySetsSharingAWideDeviceTreeAreJudgedQuickly) {
  const int width = 5'000;
  std::vector<ListMachine> machines = {{"parent", "", {1}, {"hub"}}, {"lonely", "", {}, {"hub"}}};
  std::vector<std::uint32_t> parentCrcs = {1};
  ListMachine hub{"hub", kDevice, {}, {}};
  for (int k = 0; k < width; ++k) {
    machines.push_back({"c" + std::to_string(k), " cloneof=\"parent\" romof=\"parent\"", {}, {"hub"}});
    hub.devices.push_back("f" + std::to_string(k));
    machines.push_back({"f" + std::to_string(k), kDevice, {0x10000u + static_cast<std::uint32_t>(k)}, {}});
    parentCrcs.push_back(0x10000u + static_cast<std::uint32_t>(k));
  }
  machines.push_back(hub);
  Zip(a_, "parent", parentCrcs);
  const auto start = std::chrono::steady_clock::now();
  ScanText(MachineList(machines));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);
  std::string expected = Lines({"[roms]", "parent=0"});
  for (int k = 0; k < width; ++k) expected += "c" + std::to_string(k) + "=0\r\n";
  EXPECT_EQ(sets_, expected);
}

TEST(ScanProgressValue, RoundsHalvesToEven) {
  EXPECT_EQ(ScanProgressValue(0, 3), 0);
  EXPECT_EQ(ScanProgressValue(1, 3), 33);
  EXPECT_EQ(ScanProgressValue(2, 3), 67);
  EXPECT_EQ(ScanProgressValue(1, 8), 12);  // 12.5
  EXPECT_EQ(ScanProgressValue(3, 8), 38);  // 37.5
  EXPECT_EQ(ScanProgressValue(0, 0), 0);
}

TEST(MameVersionText, IsCutAfterTheBracketAndItsBlank) {
  struct Case {
    std::string text;
    std::string cut;
  } cases[] = {
      {"M.A.M.E. build : 0.251 (unknown) - Rom Scan Date: 1/2/24", "M.A.M.E. build : 0.251 (unknown) "},
      {"M.A.M.E. build : Unknown - Rom Scan Date: 1/2/24", "M.A.M.E. build : Unknown - Rom Scan Date: 1/2/24"},
      {"ends with )", "ends with )"},
  };
  for (const Case& c : cases) EXPECT_EQ(CutMameVersionText(c.text), c.cut) << c.text;
  EXPECT_EQ(ReadMameBuild(std::nullopt, "d"), "M.A.M.E. build : Unknown - Rom Scan Date: d");
  EXPECT_EQ(ReadMameBuild(std::string("0.251 (unknown)"), "d"), "M.A.M.E. build : 0.251 (unknown) - Rom Scan Date: d");
}

// A clone with a good image of its own, beside its parent's image missing or bad. Today's list names
// every disk a clone needs, so the parent's image no longer decides for it; the old list keeps the rule
// that the parent's image counts for the clone.
struct CloneDiskCase {
  const char* name;
  bool machineForm;
  bool parentImageBad;  // else missing
  std::string sets;
};

void PrintTo(const CloneDiskCase& c, std::ostream* os) { *os << c.name; }

class CloneDisks : public ScanFixture, public ::testing::WithParamInterface<CloneDiskCase> {};

TEST_P(CloneDisks, FollowTheCloneOwnDisksInTodaysForm) {
  const CloneDiskCase& c = GetParam();
  const std::string md5(32, '1');
  const std::string sha1(40, '2');
  const std::string element = c.machineForm ? "machine" : "game";
  const std::string hash = c.machineForm ? "sha1=\"" + sha1 + "\"" : "md5=\"" + md5 + "\"";
  const std::string own = c.machineForm ? ChdHeader(5, 84, sha1) : ChdHeader(3, 44, md5);
  Put(a_ + "clone/cdisk.chd", own);
  if (c.parentImageBad)
    Put(a_ + "parent/pdisk.chd",
        c.machineForm ? ChdHeader(5, 84, std::string(40, '9')) : ChdHeader(3, 44, std::string(32, '9')));
  ScanText("<?xml version=\"1.0\"?>\n<mame build=\"x\">\n<" + element + " name=\"parent\">\n<disk name=\"pdisk\" " +
           hash + "/>\n</" + element + ">\n<" + element +
           " name=\"clone\" cloneof=\"parent\" romof=\"parent\">\n<disk name=\"cdisk\" " + hash + "/>\n</" + element +
           ">\n</mame>\n");
  EXPECT_EQ(sets_, c.sets);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CloneDisks,
    ::testing::Values(CloneDiskCase{"MachineParentMissing", true, false, Lines({"[roms]", "parent=4", "clone=0"})},
                      CloneDiskCase{"MachineParentBad", true, true, Lines({"[roms]", "parent=6", "clone=0"})},
                      CloneDiskCase{"GameParentMissing", false, false, Lines({"[roms]", "parent=4", "clone=4"})},
                      CloneDiskCase{"GameParentBad", false, true, Lines({"[roms]", "parent=6", "clone=6"})}),
    [](const ::testing::TestParamInfo<CloneDiskCase>& info) { return std::string(info.param.name); });

TEST(ReadArchivesInOrder, HandsResultsOverInArchiveOrderFromSeveralThreads) {
  std::vector<fs::path> archives;
  for (int i = 0; i < 200; ++i) archives.emplace_back(std::to_string(i));
  const ArchiveCrcLister lister = [](const fs::path& path, std::vector<std::uint32_t>& crcs) {
    const int n = std::stoi(path.string());
    if (n % 7 == 0) throw std::runtime_error("damaged");
    crcs.push_back(static_cast<std::uint32_t>(n));
    return n % 5 != 0;
  };
  std::vector<std::size_t> order;
  ReadArchivesInOrder(archives, lister, 4, [&](std::size_t k, bool read, std::vector<std::uint32_t>& crcs) {
    order.push_back(k);
    const bool expectRead = k % 7 != 0 && k % 5 != 0;
    EXPECT_EQ(read, expectRead) << k;
    if (expectRead) {
      EXPECT_EQ(crcs, (std::vector<std::uint32_t>{static_cast<std::uint32_t>(k)}));
    }
  });
  ASSERT_EQ(order.size(), archives.size());
  for (std::size_t k = 0; k < order.size(); ++k) EXPECT_EQ(order[k], k);
}

}  // namespace
}  // namespace kestrune::romscan
