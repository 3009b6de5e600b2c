#include "romscan/listxml_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::romscan {
namespace {

std::vector<std::string> SourceLines(const std::string& bytes) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "roms.dat", bytes);
  ListXmlLineSource source;
  std::string error;
  EXPECT_TRUE(source.Open(dir / "roms.dat", &error)) << error;
  std::vector<std::string> lines;
  std::string_view line;
  while (source.Next(line)) lines.emplace_back(line);
  EXPECT_FALSE(source.Failed());
  EXPECT_EQ(source.BytesRead(), bytes.size());
  return lines;
}

TEST(ListXmlLineSource, HandsOutTrimmedDecodedLines) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SourceLines("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SourceLines("\ta\r\n  b  \r\nc"), (Lines{"a", "b", "c"}));  // CR LF, no final line end
  EXPECT_EQ(SourceLines("x &amp;lt; y\n"), (Lines{"x &lt; y"}));
  EXPECT_EQ(SourceLines("caf\xE9\n"), (Lines{"caf\xC3\xA9"}));  // not UTF-8: Windows-1252
  EXPECT_EQ(SourceLines("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(SourceLines(""), (Lines{}));
  // Lines longer than the read block, and one crossing its end.
  const std::string longLine(9u << 20, 'x');
  const Lines lines = SourceLines("a\n" + longLine + "\nb\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], longLine);
  EXPECT_EQ(lines[2], "b");
}

// A file with a line past the bound is no game list: the lines before it are handed out, then the
// reading fails instead of growing its buffer without end.
struct LongLineCase {
  const char* name;
  std::size_t bound;
  std::string bytes;
  std::size_t lines;  // handed out before the end
  bool fails;
};

void PrintTo(const LongLineCase& c, std::ostream* os) { *os << c.name; }

class ListXmlLineBound : public ::testing::TestWithParam<LongLineCase> {};

TEST_P(ListXmlLineBound, FailsAtALineLongerThanTheBound) {
  const LongLineCase& c = GetParam();
  test::TempDir dir;
  test::WriteFileBytes(dir / "roms.dat", c.bytes);
  ListXmlLineSource source(c.bound);
  std::string error;
  ASSERT_TRUE(source.Open(dir / "roms.dat", &error)) << error;
  std::size_t lines = 0;
  std::string_view line;
  while (source.Next(line)) ++lines;
  EXPECT_EQ(lines, c.lines);
  EXPECT_EQ(source.Failed(), c.fails);
  if (c.fails) {
    EXPECT_EQ(source.Error(), "MAME's game list \"" + (dir / "roms.dat").string() +
                                  "\" is damaged: line 2 is longer than " + std::to_string(c.bound) + " bytes.");
    EXPECT_FALSE(source.Next(line));
  }
}

const std::size_t kPastBlock = 5u << 20;  // longer than one read block

INSTANTIATE_TEST_SUITE_P(
    Lines, ListXmlLineBound,
    ::testing::Values(LongLineCase{"AtTheBound", 100, "a\n" + std::string(100, 'x') + "\nb\n", 3, false},
                      LongLineCase{"PastTheBound", 100, "a\n" + std::string(101, 'x') + "\nb\n", 1, true},
                      LongLineCase{"PastTheBoundAtTheEnd", 100, "a\n" + std::string(101, 'x'), 1, true},
                      LongLineCase{"AtTheBoundPastABlock", kPastBlock, "a\n" + std::string(kPastBlock, 'x'), 2, false},
                      LongLineCase{"PastTheBoundAndABlock", kPastBlock,
                                   "a\n" + std::string(kPastBlock + 1, 'x') + "\nb\n", 1, true},
                      LongLineCase{"WithoutAnyLineEnd", kPastBlock, "a\n" + std::string(3 * kPastBlock, 'x'), 1, true}),
    [](const ::testing::TestParamInfo<LongLineCase>& info) { return std::string(info.param.name); });

TEST(ListXmlLineSource, ReportsAMissingFile) {
  ListXmlLineSource source;
  std::string error;
  EXPECT_FALSE(source.Open("/nonexistent/roms.dat", &error));
  EXPECT_NE(error.find("roms.dat"), std::string::npos);
}

// A list is whole only with its closing line: MAME stopped half-way, or a full disk, gives a list
// that looks fine up to the cut.
struct ListEndCase {
  const char* name;
  std::string bytes;
  std::size_t sets;  // read from a whole list
  bool whole;
};

void PrintTo(const ListEndCase& c, std::ostream* os) { *os << c.name; }

const std::string kHeader =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE mame [\n<!ELEMENT mame (machine+)>\n]>\n<mame build=\"0.251\">\n";
const std::string kFirst =
    "\t<machine name=\"a\">\n\t\t<rom name=\"a.bin\" size=\"1\" crc=\"00000001\"/>\n\t</machine>\n";
const std::string kSecond =
    "\t<machine name=\"b\">\n\t\t<rom name=\"b.bin\" size=\"1\" crc=\"00000002\"/>\n\t</machine>\n";

class ListXmlEnd : public ::testing::TestWithParam<ListEndCase> {};

TEST_P(ListXmlEnd, TakesOnlyAListWithItsClosingLine) {
  const ListEndCase& c = GetParam();
  test::TempDir dir;
  test::WriteFileBytes(dir / "roms.dat", c.bytes);
  ListXmlData data;
  std::string error;
  EXPECT_EQ(ReadListXml(dir / "roms.dat", data, &error), c.whole);
  if (c.whole) {
    EXPECT_EQ(data.sets.size(), c.sets);
  } else {
    EXPECT_EQ(error, "MAME's game list \"" + (dir / "roms.dat").string() +
                         "\" is incomplete: it ends before its closing </mame> line.");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListXmlEnd,
    ::testing::Values(ListEndCase{"Whole", kHeader + kFirst + kSecond + "</mame>\n", 2, true},
                      ListEndCase{"WholeWithoutLastLineEnd", kHeader + kFirst + kSecond + "</mame>", 2, true},
                      ListEndCase{"WholeOldDatafile", "<datafile>\n" + kFirst + "</datafile>\r\n", 1, true},
                      ListEndCase{"CutInsideAMachine", kHeader + kFirst + kSecond.substr(0, 30), 0, false},
                      ListEndCase{"CutBetweenMachines", kHeader + kFirst, 0, false},
                      ListEndCase{"CutInsideTheClosingLine", kHeader + kFirst + kSecond + "</mam", 0, false},
                      ListEndCase{"HeaderOnly", kHeader, 0, false}, ListEndCase{"Empty", "", 0, false}),
    [](const ::testing::TestParamInfo<ListEndCase>& info) { return std::string(info.param.name); });

// MAME names each machine once: a list that names one twice is not one run of MAME's (two lists in one
// file, a wrapper that printed it twice), and no choice of either element can be trusted.
struct RepeatCase {
  const char* name;
  std::string bytes;
  std::string error;  // "" when the list is taken
};

void PrintTo(const RepeatCase& c, std::ostream* os) { *os << c.name; }

class ListXmlRepeat : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(ListXmlRepeat, RefusesAListThatNamesASetTwice) {
  const RepeatCase& c = GetParam();
  test::TempDir dir;
  test::WriteFileBytes(dir / "roms.dat", c.bytes);
  ListXmlData data;
  std::string error;
  EXPECT_EQ(ReadListXml(dir / "roms.dat", data, &error), c.error.empty());
  EXPECT_EQ(error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListXmlRepeat,
    ::testing::Values(
        RepeatCase{"EveryMachineTwice", kHeader + kFirst + kSecond + kFirst + kSecond + "</mame>\n",
                   "MAME's game list names the set \"a\" twice (again on line 12)."},
        RepeatCase{"TwoListsInOneFile", kHeader + kFirst + "</mame>\n" + kHeader + kFirst + "</mame>\n",
                   "MAME's game list goes on after its closing </mame> line, on line 10."},
        RepeatCase{"OneMachineAgainInCapitals",
                   kHeader + kFirst + kSecond + "\t<machine name=\"B\">\n\t</machine>\n</mame>\n",
                   "MAME's game list names the set \"B\" twice (again on line 12)."},
        RepeatCase{"ASkippedNameTwiceIsNoRepeat",
                   kHeader + "\t<machine name=\"a/b\">\n\t</machine>\n\t<machine name=\"a/b\">\n\t</machine>\n" +
                       kFirst + "</mame>\n",
                   ""},
        RepeatCase{"ACloneNamingItsParentIsNoRepeat",
                   kHeader + kFirst + "\t<machine name=\"a2\" cloneof=\"a\" romof=\"a\">\n\t</machine>\n</mame>\n",
                   ""}),
    [](const ::testing::TestParamInfo<RepeatCase>& info) { return std::string(info.param.name); });

// The list ends at its closing line: whatever follows (a machine, a second list, any element or
// text) is refused with the list, not built into the catalogue. Blank lines may follow.
struct AfterEndCase {
  const char* name;
  std::string tail;  // what follows the closing line
  int line;          // the line named in the message; 0 when the list is taken
};

void PrintTo(const AfterEndCase& c, std::ostream* os) { *os << c.name; }

class ListXmlAfterEnd : public ::testing::TestWithParam<AfterEndCase> {};

TEST_P(ListXmlAfterEnd, RefusesAnythingButBlankLinesAfterTheClosingLine) {
  const AfterEndCase& c = GetParam();
  for (const std::string& closing : {std::string("</mame>"), std::string("</datafile>")}) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "roms.dat", kHeader + kFirst + closing + c.tail);
    ListXmlData data;
    std::string error;
    EXPECT_EQ(ReadListXml(dir / "roms.dat", data, &error), c.line == 0) << closing;
    if (c.line == 0) {
      EXPECT_EQ(data.sets.size(), 1u) << closing;
    } else {
      EXPECT_EQ(error,
                "MAME's game list goes on after its closing </mame> line, on line " + std::to_string(c.line) + ".")
          << closing;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tails, ListXmlAfterEnd,
    ::testing::Values(AfterEndCase{"Nothing", "", 0}, AfterEndCase{"BlankLines", "\n\r\n \t\n", 0},
                      AfterEndCase{"AMachine", "\n" + kSecond, 10},
                      AfterEndCase{"ASecondList", "\n" + kHeader + kSecond, 10},
                      AfterEndCase{"AnElementAfterBlankLines", "\n\n\n<x/>\n", 12},
                      AfterEndCase{"TextAfterBlankLines", "\n\ngarbage\n", 11},
                      AfterEndCase{"AMachineOnTheClosingLine", "<machine name=\"b\"></machine>\n", 9}),
    [](const ::testing::TestParamInfo<AfterEndCase>& info) { return std::string(info.param.name); });

ListXmlData Parse(const std::vector<std::string>& lines) {
  ListXmlData data;
  ListXmlParser parser(data);
  for (std::size_t i = 0; i < lines.size(); ++i) parser.Line(lines[i], static_cast<std::int64_t>(i));
  parser.Finish();
  return data;
}

TEST(ListXmlParser, ReadsSetsOfBothForms) {
  const ListXmlData data = Parse({
      R"(<?xml version="1.0"?>)",
      R"x(<mame build="0.251 (unknown)" debug="no">)x",
      R"(<!ATTLIST machine name CDATA #REQUIRED>)",
      R"(<rom name="outside" crc="99999999"/>)",  // outside any set: ignored
      R"(<game name="old" cloneof="p" romof="b">)",
      R"(<rom name="a" size="1" crc="11111111"/>)",
      R"(<rom name="n" size="1" status="nodump"/>)",
      R"(<disk name="d" md5="0123"/>)",
      R"(</game>)",
      R"(<rom name="between" crc="88888888"/>)",
      R"(<machine name="new" sourcefile="x.cpp" isbios="yes">)",
      R"(<rom name="o" crc="22222222" optional="yes"/>)",
      R"(<disk name="cd" region="cdrom" status="nodump"/>)",
      R"(<disk name="hd" sha1="abcd" status="baddump"/>)",
      R"(<device_ref name="z80"/>)",
      R"(<machine name="dev" isdevice="yes" runnable="no">)",  // the open set ends here
      R"(<rom name="r" crc="33333333"/>)",
      R"(</machine>)",
  });
  EXPECT_EQ(data.mameBuild, "0.251 (unknown)");
  ASSERT_EQ(data.sets.size(), 3u);
  const ListXmlSet& old = data.sets[0];
  EXPECT_EQ(old.name, "old");
  EXPECT_EQ(old.cloneof, "p");
  EXPECT_EQ(old.romof, "b");
  ASSERT_EQ(old.roms.size(), 2u);
  EXPECT_EQ(old.roms[0].crc, "11111111");
  EXPECT_EQ(old.roms[1].crc, "");
  EXPECT_TRUE(old.noGoodDump);
  ASSERT_EQ(old.disks.size(), 1u);
  EXPECT_EQ(old.disks[0].md5, "0123");
  EXPECT_TRUE(old.disks[0].required);
  EXPECT_TRUE(old.IsGame());

  const ListXmlSet& now = data.sets[1];
  EXPECT_TRUE(now.isbios);
  EXPECT_FALSE(now.IsGame());
  ASSERT_EQ(now.roms.size(), 1u);
  EXPECT_TRUE(now.roms[0].optional);
  ASSERT_EQ(now.disks.size(), 2u);
  EXPECT_FALSE(now.disks[0].required);
  EXPECT_TRUE(now.disks[1].required);
  EXPECT_EQ(now.disks[1].sha1, "abcd");
  EXPECT_TRUE(now.noGoodDump);
  EXPECT_EQ(now.deviceRefs, (std::vector<std::string>{"z80"}));

  const ListXmlSet& device = data.sets[2];
  EXPECT_TRUE(device.isdevice);
  EXPECT_FALSE(device.runnable);
  ASSERT_EQ(device.roms.size(), 1u);
  EXPECT_EQ(data.Find("DEV"), &device);  // names are found in any letter case
  EXPECT_EQ(data.Find("absent"), nullptr);
}

TEST(ListXmlParser, ToleratesShortAndOddLines) {
  const ListXmlData data = Parse({
      R"(<game name="first">)",  // the first line is never a set
      R"(<game name="odd">)",
      R"(<rom name)",
      R"(<rom name="x" crc=")",
      R"(<disk name=)",
      R"(<device_ref name)",
      R"(<mame build)",
      R"(<)",
      R"(</)",
      R"(<game name=")",  // no name: no set, and its lines belong to none
      R"(<rom name="y" crc="12345678"/>)",
  });
  ASSERT_EQ(data.sets.size(), 1u);
  EXPECT_EQ(data.sets[0].name, "odd");
  ASSERT_EQ(data.sets[0].roms.size(), 2u);
  EXPECT_EQ(data.sets[0].roms[1].crc, "");
  ASSERT_EQ(data.sets[0].disks.size(), 1u);
  EXPECT_TRUE(data.sets[0].deviceRefs.empty());
  EXPECT_EQ(data.mameBuild, "");
}

TEST(SetAndDiskNames, AreThoseThatStayInsideTheirFolderAndLine) {
  struct Case {
    std::string name;
    bool set;
    bool disk;
  } cases[] = {
      {"pacman", true, true},
      {"Pac_Man-2", true, true},
      {"", false, false},
      {"gt2k.1 ver 1,5", false, true},  // disk names today hold dots, commas and blanks
      {"pac man", false, true},
      {"pacman=0", false, true},
      {"a|b", false, true},
      {"..", false, false},
      {"../roms", false, false},
      {"a/b", false, false},
      {"a\\b", false, false},
      {"evil\rpacman=0", false, false},
      {"evil\npacman", false, false},
      {std::string("nul\0name", 8), false, false},
      {"tab\tname", false, false},
      {"caf\xC3\xA9", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSetName(c.name), c.set) << c.name;
    EXPECT_EQ(IsDiskName(c.name), c.disk) << c.name;
  }
}

// Names MAME could not have written, as they reach the parser through the line source: references
// to CR and LF decode to blanks, a raw CR or NUL passes as it is.
TEST(ReadListXml, SkipsSetsAndDropsReferencesWithNamesMameNeverWrites) {
  test::TempDir dir;
  using namespace std::string_literals;  // the list holds a NUL
  test::WriteFileBytes(dir / "roms.dat",
                       "<?xml version=\"1.0\"?>\n<mame build=\"x\">\n"
                       "<machine name=\"evil&#13;&#10;pacman=0\">\n"
                       "<rom name=\"a\" crc=\"11111111\"/>\n</machine>\n"
                       "<machine name=\"evil\rpacman=0\">\n</machine>\n"
                       "<machine name=\"../../etc\">\n</machine>\n"
                       "<machine name=\"nul\0name\">\n</machine>\n"
                       "<machine name=\"puckman\" cloneof=\"../pacman\" romof=\"pac\rman\">\n"
                       "<device_ref name=\"z80/\"/>\n<device_ref name=\"namco51\"/>\n"
                       "</machine>\n</mame>\n"s);
  ListXmlData data;
  std::string error;
  ASSERT_TRUE(ReadListXml(dir / "roms.dat", data, &error)) << error;
  ASSERT_EQ(data.sets.size(), 1u);
  const ListXmlSet& set = data.sets[0];
  EXPECT_EQ(set.name, "puckman");
  EXPECT_EQ(set.cloneof, "");
  EXPECT_EQ(set.romof, "");
  EXPECT_EQ(set.deviceRefs, (std::vector<std::string>{"namco51"}));
  EXPECT_TRUE(set.roms.empty());
}

// The list read while its writer (MAME) is still writing it: the reader waits at the end of the file
// until the writer is done, and a list the writer left cut short stays an error.
struct FollowCase {
  const char* name;
  bool whole;      // the writer writes the closing line
  bool cancelled;  // the reading is stopped while the writer still runs
  std::string error;
};

void PrintTo(const FollowCase& c, std::ostream* os) { *os << c.name; }

class ListXmlFollow : public ::testing::TestWithParam<FollowCase> {};

TEST_P(ListXmlFollow, WaitsForTheWriterAndRefusesACutList) {
  const FollowCase& c = GetParam();
  test::TempDir dir;
  const std::string path = (dir / "roms.dat").string();
  test::WriteFileBytes(path, "");
  std::atomic<bool> done{false};
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    std::fputs("<?xml version=\"1.0\"?>\n<mame build=\"0.251\">\n", file);
    for (int i = 0; i < 50; ++i) {
      // A line written in two pieces: the reader must not take the first for a whole line.
      std::fprintf(file, "<machine name=\"set%d\"><rom name=\"r\" ", i);
      std::fflush(file);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::fputs("crc=\"12345678\"/>\n</machine>\n", file);
      std::fflush(file);
    }
    if (c.whole) std::fputs("</mame>\n", file);
    std::fclose(file);
    if (c.cancelled) {
      stop = true;
    } else {
      done = true;
    }
  });
  ListXmlData data;
  std::string error;
  ListXmlReadOptions options;
  options.writerDone = [&] { return done.load(); };
  options.cancelled = [&] { return stop.load(); };
  const bool read = ReadListXml(path, data, &error, options);
  writer.join();
  EXPECT_EQ(read, c.error.empty());
  if (read) {
    EXPECT_EQ(data.sets.size(), 50u);
    EXPECT_EQ(data.sets.back().roms.size(), 1u);
  } else {
    EXPECT_EQ(error, c.error == "cut"
                         ? "MAME's game list \"" + path + "\" is incomplete: it ends before its closing </mame> line."
                         : c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Writers, ListXmlFollow,
    ::testing::Values(FollowCase{"Whole", true, false, ""}, FollowCase{"CutShort", false, false, "cut"},
                      FollowCase{"Stopped", false, true, "The reading of MAME's game list was stopped."}),
    [](const ::testing::TestParamInfo<FollowCase>& info) { return std::string(info.param.name); });

// The BIOS choices of a machine come from the same pass.
TEST(ReadListXml, KeepsTheBiosSetsOfAMachine) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "roms.dat", test::ReadFileBytes(test::TestDataDir() / "romscan/listxml/catalogue.xml"));
  ListXmlData list;
  std::string error;
  ASSERT_TRUE(ReadListXml(dir / "roms.dat", list, &error)) << error;
  EXPECT_EQ(list.Find("neogeo")->biosSets, (std::vector<settings::BiosSet>{{"euro", "Europe MVS (Ver. 2)", true},
                                                                           {"asia", "Asia MVS (Ver. 3)", false}}));
}

}  // namespace
}  // namespace kestrune::romscan
