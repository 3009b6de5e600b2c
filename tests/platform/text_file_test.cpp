#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/code_pages.h"
#include "platform/peak_memory.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

using kestrune::platform::SplitTextLines;
using kestrune::test::ReadFileBytes;
using kestrune::test::TempDir;
using kestrune::test::WriteFileBytes;

std::vector<std::string> Lines(std::string_view text, bool stopAtEof = false) {
  std::vector<std::string> out;
  for (auto line : SplitTextLines(text, stopAtEof)) {
    out.emplace_back(line);
  }
  return out;
}

TEST(SplitTextLines, EveryLineEndAndTheLastLine) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("a"), V{"a"});
  EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(Lines("a\rb\r"), (V{"a", "b"}));
  EXPECT_EQ(Lines("a\nb"), (V{"a", "b"}));
  EXPECT_EQ(Lines("a\n\r\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(Lines("a\r\rb"), (V{"a", "", "b"}));
  EXPECT_EQ(Lines("\n"), V{""});
  EXPECT_EQ(Lines("a\x1A"
                  "b",
                  true),
            V{"a"});
  EXPECT_EQ(Lines("a\x1A"
                  "b",
                  false),
            V{"a\x1A"
              "b"});
}

TEST(CodePages, LinesThatAreNotUtf8AreWindows1252) {
  using kestrune::platform::DecodeTextLine;
  EXPECT_EQ(DecodeTextLine("Vertical (90\xB0)"), "Vertical (90\xC2\xB0)");
  EXPECT_EQ(DecodeTextLine("Vertical (90\xC2\xB0)"), "Vertical (90\xC2\xB0)");
  EXPECT_EQ(DecodeTextLine("\x80 \x9F"), "\xE2\x82\xAC \xC5\xB8");
  // Overlong forms and surrogates are not UTF-8.
  EXPECT_FALSE(kestrune::platform::IsValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(kestrune::platform::IsValidUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(kestrune::platform::IsValidUtf8("\xE2\x82"));
}

TEST(CodePages, Cp437AndCp1252RoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    EXPECT_EQ(kestrune::platform::UnicodeToCp437(kestrune::platform::Cp437ToUnicode(byte)), b);
    EXPECT_EQ(kestrune::platform::UnicodeToCp1252(kestrune::platform::Cp1252ToUnicode(byte)), b);
  }
  EXPECT_EQ(kestrune::platform::UnicodeToCp437(U'\u20AC'), -1);
}

TEST(WriteFileAtomic, ReplacesTheFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  const auto file = dir / "kestrune.dat";
  WriteFileBytes(file, "old");
  std::string error;
  ASSERT_TRUE(kestrune::platform::WriteFileAtomic(file, "new\r\n", &error)) << error;
  EXPECT_EQ(ReadFileBytes(file), "new\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteFileAtomic, LinkedFileIsWrittenThroughItsLink) {
  TempDir dir;
  std::filesystem::create_directory(dir / "elsewhere");
  const auto target = dir / "elsewhere" / "kestrune.ini";
  WriteFileBytes(target, "old");
  const auto link = dir / "kestrune.ini";
  std::filesystem::create_symlink(target, link);
  std::string error;
  ASSERT_TRUE(kestrune::platform::WriteFileAtomic(link, "new", &error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(target), "new");
}

std::filesystem::perms ModeOf(const std::filesystem::path& path) {
  return std::filesystem::status(path).permissions() & std::filesystem::perms::mask;
}

TEST(WriteFileAtomic, ReadOnlyFileIsRefusedAsAnInputOutputErrorAndLeftAsItIs) {
  TempDir dir;
  const auto file = dir / "mame.ini";
  WriteFileBytes(file, "old");
  // The mode bits decide, so this holds when the tests run as root too; any other user is refused by the
  // system, which names its own reason.
  std::filesystem::permissions(file, std::filesystem::perms(0444));
  std::string error;
  EXPECT_FALSE(kestrune::platform::WriteFileAtomic(file, "new", &error));
  EXPECT_EQ(error, "Cannot replace \"" + file.string() + "\": the file is read-only (" +
                       std::strerror(::geteuid() == 0 ? EIO : EACCES) + ")");
  EXPECT_EQ(ReadFileBytes(file), "old");
  EXPECT_EQ(ModeOf(file), std::filesystem::perms(0444));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteFileAtomic, ReadOnlyFileBehindALinkIsRefused) {
  TempDir dir;
  const auto target = dir / "real.ini";
  WriteFileBytes(target, "old");
  std::filesystem::permissions(target, std::filesystem::perms(0400));
  std::filesystem::create_symlink("real.ini", dir / "mame.ini");
  std::string error;
  EXPECT_FALSE(kestrune::platform::WriteFileAtomic(dir / "mame.ini", "new", &error));
  EXPECT_NE(error.find("real.ini\": the file is read-only"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST(WriteFileAtomic, ReplacedFileKeepsItsPermissionBits) {
  TempDir dir;
  const auto file = dir / "kestrune.ini";
  for (const unsigned mode : {0600u, 0640u, 0664u, 0755u}) {
    WriteFileBytes(file, "old");
    std::filesystem::permissions(file, std::filesystem::perms(mode));
    std::string error;
    ASSERT_TRUE(kestrune::platform::WriteFileAtomic(file, "new", &error)) << error;
    EXPECT_EQ(ModeOf(file), std::filesystem::perms(mode)) << std::oct << mode;
  }
}

TEST(WriteFileAtomic, FailedWriteKeepsTheOldFileWhole) {
  TempDir dir;
  const auto file = dir / "kestrune.ini";
  WriteFileBytes(file, "[kestruneui]\r\nlist=1\r\n\r\n");
  std::string error;
  {
    kestrune::test::ScopedFileSizeLimit limit(1000);
    EXPECT_FALSE(kestrune::platform::WriteFileAtomic(file, std::string(5000, 'x'), &error));
  }
  EXPECT_NE(error.find("kestrune.ini"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(file), "[kestruneui]\r\nlist=1\r\n\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteFileAtomic, MissingFolderIsReported) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(kestrune::platform::WriteFileAtomic(dir / "no" / "such.ini", "x", &error));
  EXPECT_FALSE(error.empty());
}

TEST(ReadTextFileLines, MissingFileIsReported) {
  TempDir dir;
  std::vector<std::string> lines;
  std::string error;
  EXPECT_FALSE(kestrune::platform::ReadTextFileLines(dir / "absent.dat", lines, &error));
  EXPECT_NE(error.find("absent.dat"), std::string::npos);
}

TEST(ReadTextFileLines, LatinOneLinesAreConvertedUnlessReadAsTheyStand) {
  TempDir dir;
  WriteFileBytes(dir / "mame.ini", "rompath  \"/data/r\xf4ms\"\r\nsamplepath \"/s\xc3\xb4\"\r\n");
  std::vector<std::string> decoded;
  std::vector<std::string> asIs;
  ASSERT_TRUE(kestrune::platform::ReadTextFileLines(dir / "mame.ini", decoded, nullptr));
  ASSERT_TRUE(kestrune::platform::ReadTextFileLinesAsIs(dir / "mame.ini", asIs, nullptr));
  EXPECT_EQ(decoded, (std::vector<std::string>{"rompath  \"/data/r\xc3\xb4ms\"", "samplepath \"/s\xc3\xb4\""}));
  EXPECT_EQ(asIs, (std::vector<std::string>{"rompath  \"/data/r\xf4ms\"", "samplepath \"/s\xc3\xb4\""}));
}

// One row per kind of path a text file may turn out to be, read with a lowered bound of 100 bytes.
struct ReadCase {
  const char* name;
  void (*make)(const std::filesystem::path& path);
  const char* message;  // "" when the read succeeds
};

void PrintTo(const ReadCase& row, std::ostream* out) { *out << row.name; }

class ReadWholeFileTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadWholeFileTest, ReadsRegularFilesWithinTheBoundOnly) {
  const ReadCase& row = GetParam();
  TempDir dir;
  const auto path = dir / "kestrune.ini";
  row.make(path);
  std::string out = "stale";
  std::string error;
  const bool read = kestrune::platform::ReadWholeFile(path, out, &error, 100);
  if (*row.message == '\0') {
    EXPECT_TRUE(read) << error;
    EXPECT_EQ(out.size(), 100U);
  } else {
    EXPECT_FALSE(read);
    EXPECT_EQ(error, "Cannot read \"" + path.string() + "\": " + row.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReadWholeFileTest,
    testing::Values(
        ReadCase{"FileAtTheBound", [](const auto& path) { WriteFileBytes(path, std::string(100, 'x')); }, ""},
        ReadCase{"LinkToAFile",
                 [](const auto& path) {
                   WriteFileBytes(path.parent_path() / "real.ini", std::string(100, 'x'));
                   std::filesystem::create_symlink("real.ini", path);
                 },
                 ""},
        ReadCase{"FileOneByteOverTheBound", [](const auto& path) { WriteFileBytes(path, std::string(101, 'x')); },
                 "the file is larger than 100 bytes"},
        ReadCase{"Folder", [](const auto& path) { std::filesystem::create_directory(path); },
                 "it is a folder, not a file"},
        ReadCase{"NamedPipeWithoutAWriter", [](const auto& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
                 "it is a named pipe, not a file"},
        ReadCase{"LinkToAnEndlessDevice", [](const auto& path) { std::filesystem::create_symlink("/dev/zero", path); },
                 "it is a device, not a file"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

std::string Repeat(std::string_view line, std::size_t times) {
  std::string text;
  text.reserve(line.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += line;
  return text;
}

// One row per shape of a file's lines, read with a lowered bound of 4096 lines read whatever their
// length: past it, lines must average 32 bytes.
struct LineCountCase {
  const char* name;
  std::string text;
  bool stopAtEof;
  std::size_t lines;    // the lines read
  const char* message;  // "" when the read succeeds
};

void PrintTo(const LineCountCase& row, std::ostream* out) { *out << row.name; }

class LineCountTest : public testing::TestWithParam<LineCountCase> {};

TEST_P(LineCountTest, FilesOfManyShortLinesAreRefusedByEitherReader) {
  const LineCountCase& row = GetParam();
  TempDir dir;
  const auto path = dir / "history.dat";
  WriteFileBytes(path, row.text);
  for (const bool asIs : {false, true}) {
    if (asIs && row.stopAtEof) continue;
    std::vector<std::string> lines{"stale"};
    std::string error;
    const bool read = asIs ? kestrune::platform::ReadTextFileLinesAsIs(path, lines, &error,
                                                                       kestrune::platform::kMaxTextFileBytes, 4096)
                           : kestrune::platform::ReadTextFileLines(path, lines, &error, row.stopAtEof,
                                                                   kestrune::platform::kMaxTextFileBytes, 4096);
    if (*row.message == '\0') {
      EXPECT_TRUE(read) << error;
      EXPECT_EQ(lines.size(), row.lines) << "as is: " << asIs;
    } else {
      EXPECT_FALSE(read);
      EXPECT_EQ(error, "Cannot read \"" + path.string() + "\": " + row.message) << "as is: " << asIs;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, LineCountTest,
    testing::Values(LineCountCase{"AsManyEmptyLinesAsReadFreely", Repeat("\n", 4096), false, 4096, ""},
                    LineCountCase{"OneEmptyLineMore", Repeat("\n", 4097), false, 0,
                                  "the file has too many lines for its size (4097 lines in 4097 bytes)"},
                    LineCountCase{"EmptyLinesEndingInCrLf", Repeat("\r\n", 8192), false, 0,
                                  "the file has too many lines for its size (8192 lines in 16384 bytes)"},
                    LineCountCase{"LinesOfTheAverageLength", Repeat(std::string(30, 'x') + "\r\n", 8192), false, 8192,
                                  ""},
                    LineCountCase{"LinesOneByteShorter", Repeat(std::string(30, 'x') + "\n", 8192), false, 0,
                                  "the file has too many lines for its size (8192 lines in 253952 bytes)"},
                    LineCountCase{"EmptyLinesAfterTheEndOfFileByteAreNotRead",
                                  Repeat("\n", 10) + "\x1A" + Repeat("\n", 10000), true, 10, ""}),
    [](const testing::TestParamInfo<LineCountCase>& info) { return std::string(info.param.name); });

// A file at the byte bound made of nothing but line ends took some 48 bytes a line; the bound is
// lowered to 4 MB here so that the file need not be 256 MB.
TEST(ReadTextFileLines, AFileOfEmptyLinesAtTheBoundIsRefusedWithoutTakingMemory) {
  TempDir dir;
  const auto path = dir / "kestrune.dat";
  constexpr std::uint64_t kBound = 4 * kestrune::test::kMegabyte;
  WriteFileBytes(path, std::string(kBound, '\n'));
  std::vector<std::string> lines;
  std::string error;
  bool read = true;
  const std::uint64_t growth = kestrune::test::PeakGrowth(
      [&] { read = kestrune::platform::ReadTextFileLines(path, lines, &error, false, kBound); });
  EXPECT_FALSE(read);
  EXPECT_EQ(error,
            "Cannot read \"" + path.string() + "\": the file has too many lines for its size (4194304 lines in 4 MB)");
  EXPECT_LT(growth, 16 * kestrune::test::kMegabyte);
}

TEST(ReadWholeFile, TheDefaultBoundIsNamedInMegabytes) {
  TempDir dir;
  const auto path = dir / "kestrune.dat";
  { std::ofstream file(path); }
  std::filesystem::resize_file(path, kestrune::platform::kMaxTextFileBytes + 1);  // sparse: no disk used
  std::string out;
  std::string error;
  EXPECT_FALSE(kestrune::platform::ReadWholeFile(path, out, &error));
  EXPECT_EQ(error, "Cannot read \"" + path.string() + "\": the file is larger than 256 MB");
}

}  // namespace
