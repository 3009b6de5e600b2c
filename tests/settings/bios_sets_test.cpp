#include "settings/bios_sets.h"

#include <gtest/gtest.h>

#include "settings/option_file_reader.h"
#include "settings/option_file_writer.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using test::TempDir;

// Today's form for most machines, the old <game> form for one, and lines that must not count.
constexpr std::string_view kListXml =
    "<?xml version=\"1.0\"?>\n"
    "<mame build=\"0.251 (unknown)\" debug=\"no\" mameconfig=\"10\">\n"
    "\t<machine name=\"ar_bios\" sourcefile=\"amiga/arsystems.cpp\" isbios=\"yes\">\n"
    "\t\t<description>Arcadia System BIOS</description>\n"
    "\t\t<biosset name=\"onep300\" description=\"OnePlay 3.00\"/>\n"
    "\t\t<biosset name=\"tenp211\" description=\"TenPlay &amp; more &#x2122;\"/>\n"
    "\t\t<biosset description=\"no name\"/>\n"
    "\t</machine>\n"
    "\t<machine name=\"mslug\" sourcefile=\"neogeo/neogeo.cpp\" romof=\"neogeo\">\n"
    "\t\t<biosset name=\"euro\" description=\"a game's own lines are not the BIOS machine's\"/>\n"
    "\t</machine>\n"
    "\t<machine name=\"stvbios\" sourcefile=\"sega/stv.cpp\" isbios=\"yes\">\n"
    "\t\t<biosset name=\"jp\" description=\"EPR-20091 (Japan 97/08/21)\"/>\n"
    "\t\t<biosset name=\"us\" description=\"EPR-17952A (USA 95/04/25)\" default=\"yes\"/>\n"
    "\t\t<biosset name=\"broken description=\"no closing quote\n"
    "\t</machine>\n"
    "\t<game name=\"playch10\" sourcefile=\"playch10.c\">\n"
    "\t\t<biosset name=\"dual\" description=\"Dual Monitor Version\"/>\n"
    "\t\t<biosset name=\"single\" description=\"Single Monitor Version\"/>\n"
    "\t</game>\n"
    "</mame>\n";

TEST(BiosSetsTest, TakesTheBiosSetsOfTheBiosMachinesOnly) {
  const BiosSetLists lists = BiosSetsFromListXml(kListXml);
  EXPECT_EQ(lists, (BiosSetLists{
                       {"ar_bios", {{"onep300", "OnePlay 3.00"}, {"tenp211", "TenPlay & more \xE2\x84\xA2"}}},
                       {"stvbios",
                        {{"jp", "EPR-20091 (Japan 97/08/21)"},
                         {"us", "EPR-17952A (USA 95/04/25)", true},
                         {"broken description=", ""}}},
                       {"playch10", {{"dual", "Dual Monitor Version"}, {"single", "Single Monitor Version"}}},
                   }));
}

TEST(BiosSetsTest, ReadsAFileAndSkipsLinesLongerThanItsBlocks) {
  TempDir dir;
  const std::string longLine = "\t<!-- " + std::string(3 << 20, 'x') + " -->\n";
  test::WriteFileBytes(dir / "roms.dat", longLine + std::string(kListXml));
  BiosSetLists lists;
  std::string error;
  ASSERT_TRUE(ReadBiosSets(dir / "roms.dat", lists, &error)) << error;
  EXPECT_EQ(lists, BiosSetsFromListXml(kListXml));

  EXPECT_FALSE(ReadBiosSets(dir / "missing.dat", lists, &error));
  EXPECT_NE(error.find("missing.dat"), std::string::npos) << error;
}

TEST(BiosSetsTest, ChoicesOfferMamesSetsDefaultFirstAndKeepTheChosenSet) {
  MameOptions options;
  ASSERT_TRUE(options.SetNumber(Option::stvbios, 2));         // "us"
  ASSERT_TRUE(options.SetNumber(Option::arbios, 1));          // "onep211": MAME's list lacks it
  ASSERT_TRUE(options.SetNumber(Option::playchoicebios, 1));  // "single"
  ASSERT_TRUE(options.SetNumber(Option::neogeobios, 4));      // "asia": no sets known, the list stays
  ApplyBiosSets(options, BiosSetsFromListXml(kListXml));

  EXPECT_EQ(options.BiosNames(Option::stvbios), (std::vector<std::string>{"us", "jp", "broken description="}));
  EXPECT_EQ(options.Items(Option::stvbios)[0], "EPR-17952A (USA 95/04/25)");
  EXPECT_EQ(options.Items(Option::stvbios)[2], "broken description=");  // no description: its name
  EXPECT_EQ(options.Number(Option::stvbios), 0);
  EXPECT_EQ(options.Number(Option::arbios), 0);
  EXPECT_EQ(options.Number(Option::playchoicebios), 1);
  EXPECT_TRUE(options.BiosFromMame(Option::playchoicebios));
  EXPECT_FALSE(options.BiosFromMame(Option::neogeobios));
  EXPECT_EQ(options.Number(Option::neogeobios), 4);
  EXPECT_FALSE(options.SetNumber(Option::playchoicebios, 2));
}

const BiosFile& FileOf(Option control) {
  for (const BiosFile& file : BiosFiles()) {
    if (file.control == control) return file;
  }
  throw std::logic_error("no BIOS file");
}

std::string BiosLine(const MameOptions& options, Option control) {
  const auto lines = BiosIniLines(FileOf(control), options);
  return lines.size() == 4 ? lines[3] : std::string();
}

TEST(BiosSetsTest, FilesNameMamesSetsAndASetMameLacksReadsAsTheDefault) {
  TempDir dir;
  MameOptions options;
  ApplyBiosSets(options, BiosSetsFromListXml(kListXml));
  ASSERT_TRUE(options.SetNumber(Option::stvbios, 1));
  EXPECT_EQ(BiosLine(options, Option::stvbios), "bios                    jp");
  ASSERT_TRUE(options.SetNumber(Option::stvbios, 0));
  EXPECT_EQ(BiosLine(options, Option::stvbios), "bios                    default");

  const std::pair<const char*, int> cases[] = {
      {"bios                    jp", 1},      {"bios                    us", 0},
      {"bios                    default", 0}, {"bios                    japana", 0},  // a set of an older MAME
      {"bios                    jp ", 1},
  };
  for (const auto& [line, choice] : cases) {
    test::WriteFileBytes(dir / "stvbios.ini", std::string(line) + "\r\n");
    ASSERT_TRUE(options.SetNumber(Option::stvbios, 2));
    ReadBiosInis(options, dir.path().string());
    EXPECT_EQ(options.Number(Option::stvbios), choice) << line;
  }
}

}  // namespace
}  // namespace kestrune::settings
