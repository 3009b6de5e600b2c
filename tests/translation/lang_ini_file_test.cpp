#include "translation/lang_ini_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>

#include "platform/peak_memory.h"
#include "support/file_util.h"
#include "support/temp_dir.h"
#include "translation/lang_encoding.h"

namespace {

namespace fs = std::filesystem;
namespace tr = kestrune::translation;
using kestrune::test::ReadFileBytes;
using kestrune::test::WriteFileBytes;
using Entries = std::vector<tr::TLangIniFile::Entry>;

TEST(LangIniFile, ReadsSectionsAndKeysByTheFileRules) {
  kestrune::test::TempDir dir;
  WriteFileBytes(dir / "dutch.lng",
                 "Caption='before any section'\r\n"
                 "[TForm4]\r\n"
                 "; a comment = not a key\r\n"
                 "  Caption = 'Voorkeuren'  \r\n"
                 "a line without equals\r\n"
                 "Button2.Caption='OK'\r\n"
                 "[TForm1]\n"
                 "File1.Caption='&Bestand'\n"
                 "[tform4]\r\n"
                 "CAPTION='Voorkeuren 2'\r\n"
                 "Hint=a=b\r\n");
  const tr::TLangIniFile ini(dir / "dutch.lng");
  EXPECT_EQ(ini.LoadError(), "");
  // The repeated section continues the first; the repeated key reads as its first line.
  EXPECT_EQ(ini.ReadSectionValues("TFORM4"),
            (Entries{{"Caption", "'Voorkeuren'"}, {"Button2.Caption", "'OK'"}, {"Hint", "a=b"}}));
  EXPECT_EQ(ini.ReadString("TForm4", "Caption"), "'Voorkeuren'");
  EXPECT_EQ(ini.ReadString("TForm1", "file1.caption"), "'&Bestand'");
  EXPECT_FALSE(ini.ReadString("TForm1", "Caption").has_value());
  EXPECT_TRUE(ini.ReadSectionValues("TForm2").empty());
  EXPECT_FALSE(ini.Modified());
}

struct EncodingCase {
  const char* name;
  std::string bytes;
  const char* language;
  std::string text;
};

void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.name << " in " << c.language; }

class LangFileEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(LangFileEncoding, ReadsAsUtf8) {
  const EncodingCase& c = GetParam();
  EXPECT_EQ(tr::DecodeLangFileBytes(c.bytes, tr::LegacyCodePageOf(c.language)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LangFileEncoding,
    ::testing::Values(EncodingCase{"Utf8", "Caf\xC3\xA9", "dutch", "Caf\xC3\xA9"},
                      EncodingCase{"Utf8WithMark",
                                   "\xEF\xBB\xBF"
                                   "Caf\xC3\xA9",
                                   "russian", "Caf\xC3\xA9"},
                      EncodingCase{"Windows1252", "Caf\xE9", "dutch", "Caf\xC3\xA9"},
                      EncodingCase{"Windows1251", "\xD4\xE0\xE9\xEB", "Russian", "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB"},
                      EncodingCase{"Windows1253", "\xC1\xF1\xF7\xE5\xDF\xEF", "greek",
                                   "\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xBF"},
                      EncodingCase{"Gbk", "\xCE\xC4\xBC\xFE", "chinese(simp)", "\xE6\x96\x87\xE4\xBB\xB6"},
                      EncodingCase{"UndefinedByteIsReplaced",
                                   "a\xAA"
                                   "b",
                                   "greek",
                                   "a\xEF\xBF\xBD"
                                   "b"},
                      EncodingCase{"CutCharacterAtEndIsReplaced", "a\xCE", "chinese(simp)", "a\xEF\xBF\xBD"},
                      EncodingCase{"Utf16WithMark",
                                   std::string("\xFF\xFE"
                                               "A\0\xE9\0",
                                               6),
                                   "dutch", "A\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LangIniFile, UnchangedFileIsNeverWrittenBack) {
  kestrune::test::TempDir dir;
  const fs::path file = dir / "dutch.lng";
  WriteFileBytes(file, "[TForm4]\r\nCaption='Voorkeuren'\r\n");
  {
    const tr::TLangIniFile ini(file);
    fs::remove(file);  // gone while it was open: it stays gone
  }
  EXPECT_FALSE(fs::exists(file));
  WriteFileBytes(file, "[TForm4]\r\nCaption='Voorkeuren'\r\n");
  {
    const tr::TLangIniFile ini(file);
    WriteFileBytes(file, "edited meanwhile");
  }
  EXPECT_EQ(ReadFileBytes(file), "edited meanwhile");
}

TEST(LangIniFile, ChangedFileIsWrittenBackOnRelease) {
  kestrune::test::TempDir dir;
  const fs::path file = dir / "dutch.lng";
  WriteFileBytes(file, "[TForm4]\r\nCaption='Voorkeuren'\r\nHint='x'\r\n[TForm1]\r\nA=1\r\n");
  {
    tr::TLangIniFile ini(file);
    ini.WriteString("TForm4", "caption", "'Opties'");
    ini.DeleteKey("TForm4", "Hint");
    ini.EraseSection("TForm1");
    ini.WriteString("TForm2", "Caption", "'Nieuw'");
    EXPECT_TRUE(ini.Modified());
  }
  EXPECT_EQ(ReadFileBytes(file), "[TForm4]\r\nCaption='Opties'\r\n\r\n[TForm2]\r\nCaption='Nieuw'\r\n\r\n");
}

TEST(LangIniFile, ReadOnlyFileIsReportedNotWritten) {
  kestrune::test::TempDir dir;
  const fs::path file = dir / "dutch.lng";
  WriteFileBytes(file, "[TForm4]\r\nCaption='Voorkeuren'\r\n");
  fs::permissions(file, fs::perms(0444));
  std::vector<std::string> reported;
  {
    tr::TLangIniFile ini(file);
    ini.SetReporter([&reported](const std::string& message) { reported.push_back(message); });
    ini.WriteString("TForm4", "Caption", "'Opties'");
  }
  EXPECT_EQ(reported, std::vector<std::string>{"File \"" + file.string() + "\" is read-only"});
  EXPECT_EQ(ReadFileBytes(file), "[TForm4]\r\nCaption='Voorkeuren'\r\n");
}

// Large or padded language files, each under the 16 MB a language file may have: a file of many
// sections or keys took a linear search per line, so 16 MB of them hung start-up for an hour, and each
// line held took tens of bytes besides its text.
struct LargeFileCase {
  const char* name;
  std::string (*text)();
  const char* section;  // a section and key the file ends with, and the value read for them
  const char* key;
  const char* value;
  std::size_t sections;
  const char* error;             // the load error after the file's name; "" when the file is read
  std::uint64_t guardMegabytes;  // what reading it may take at most, generously
};

void PrintTo(const LargeFileCase& c, std::ostream* out) { *out << c.name; }

class LangLargeFile : public ::testing::TestWithParam<LargeFileCase> {};

TEST_P(LangLargeFile, IsReadInOnePassOrRefused) {
  const LargeFileCase& c = GetParam();
  kestrune::test::TempDir dir;
  const std::string text = c.text();
  WriteFileBytes(dir / "big.lng", text);
  std::unique_ptr<tr::TLangIniFile> ini;
  const std::uint64_t growth =
      kestrune::test::PeakGrowth([&] { ini = std::make_unique<tr::TLangIniFile>(dir / "big.lng"); });
  if (*c.error == '\0') {
    EXPECT_EQ(ini->LoadError(), "");
  } else {
    EXPECT_EQ(ini->LoadError(), "Cannot read \"" + (dir / "big.lng").string() + "\": " + c.error);
  }
  EXPECT_EQ(ini->ReadString(c.section, c.key).value_or("none"), c.value);
  EXPECT_EQ(ini->SectionNames().size(), c.sections);
  EXPECT_LT(growth, c.guardMegabytes * kestrune::test::kMegabyte);
}

std::string ManyKeys() {
  std::string text = "[TForm1]\r\n";
  for (int i = 0; i < 200000; ++i) text += "Component" + std::to_string(i) + ".Caption='Some caption text'\r\n";
  return text + "component0.CAPTION='Again'\r\n";
}

std::string ManySections() {
  std::string text;
  for (int i = 0; i < 200000; ++i)
    text += "[TForm" + std::to_string(i) + "]\r\nCaption='The caption of one of the windows of this program'\r\n";
  return text + "[tform0]\r\nHint='Last'\r\n";
}

std::string EmptyLines() { return "[TForm1]\r\nCaption='Kept'\r\n" + std::string(4 << 20, '\n'); }

INSTANTIATE_TEST_SUITE_P(
    Files, LangLargeFile,
    ::testing::Values(LargeFileCase{"ManyKeysInOneSection", ManyKeys, "TForm1", "Component0.Caption",
                                    "'Some caption text'", 1, "", 256},
                      LargeFileCase{"ManySections", ManySections, "TForm0", "Hint", "'Last'", 200000, "", 256},
                      LargeFileCase{"EmptyLines", EmptyLines, "TForm1", "Caption", "none", 0,
                                    "the file has too many lines for its size (4194306 lines in 4194330 bytes)", 32}),
    [](const ::testing::TestParamInfo<LargeFileCase>& info) { return std::string(info.param.name); });

TEST(LangIniFile, ChangesKeepTheLookUpsRight) {
  kestrune::test::TempDir dir;
  WriteFileBytes(dir / "dutch.lng", "[A]\r\nx=1\r\ny=2\r\nz=3\r\n[B]\r\nx=4\r\n[C]\r\nx=5\r\n");
  tr::TLangIniFile ini(dir / "dutch.lng");
  ini.DeleteKey("a", "X");
  ini.EraseSection("b");
  ini.WriteString("A", "y", "20");
  ini.WriteString("A", "w", "0");
  EXPECT_EQ(ini.ReadSectionValues("A"), (Entries{{"y", "20"}, {"z", "3"}, {"w", "0"}}));
  EXPECT_EQ(ini.ReadString("c", "X").value_or("none"), "5");
  EXPECT_FALSE(ini.SectionExists("B"));
  ini.WriteString("b", "v", "6");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"A", "C", "b"}));
  EXPECT_EQ(ini.ReadString("B", "V").value_or("none"), "6");
}

}  // namespace
