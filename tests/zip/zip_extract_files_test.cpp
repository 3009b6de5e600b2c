#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/zip_archiver.h"
#include "zip/zip_builder.h"

namespace kestrune::zip {
namespace {

namespace fs = std::filesystem;
using kestrune::test::ReadFileBytes;
using kestrune::test::WriteFileBytes;
using test::BuildEntry;
using test::BuildZip;

class ExtractFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    out_ = dir_ / "out";
    fs::create_directories(out_);
  }
  void Open(const std::vector<BuildEntry>& entries) {
    WriteFileBytes(dir_ / "a.zip", BuildZip(entries).bytes);
    zip_.FileName = Utf8ToWide((dir_ / "a.zip").string());
    zip_.OpenZip(kOpenReadOnly);
    zip_.BaseDir = Utf8ToWide(out_.string());
  }
  // Every file and folder under the test's folder, but the archive.
  std::vector<std::string> Tree() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      if (entry.path().filename() != "a.zip") {
        names.push_back(fs::relative(entry.path(), dir_.path()).generic_string());
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  kestrune::test::TempDir dir_;
  fs::path out_;
  TZipArchiver zip_;
};

TEST_F(ExtractFilesTest, WritesFilesAndFoldersUnderBaseDir) {
  BuildEntry folder("snap/", "", 0, 20, "", "", 0x10);
  Open({{"readme.txt", "hello"}, folder, {"snap/pacman.png", "png"}, {"snap/deep/x.bin", "x"}});
  EXPECT_EQ(zip_.ExtractFiles(u"*.*"), 4);
  EXPECT_EQ(ReadFileBytes(out_ / "readme.txt"), "hello");
  EXPECT_EQ(ReadFileBytes(out_ / "snap/pacman.png"), "png");
  EXPECT_EQ(ReadFileBytes(out_ / "snap/deep/x.bin"), "x");
  EXPECT_EQ(Tree(), (std::vector<std::string>{"out", "out/readme.txt", "out/snap", "out/snap/deep",
                                              "out/snap/deep/x.bin", "out/snap/pacman.png"}));
  zip_.Options.StorePath = TZipStorePathMode::spNoPath;
  fs::remove_all(out_);
  fs::create_directories(out_);
  EXPECT_EQ(zip_.ExtractFiles(u"*.png"), 1);
  EXPECT_EQ(ReadFileBytes(out_ / "pacman.png"), "png");
}

// One archive per way out of the folder; each is refused before anything at all is written.
struct Escape {
  const char* name;
  std::string stored;
};
void PrintTo(const Escape& e, std::ostream* os) { *os << e.name; }

class EscapingEntryTest : public ExtractFilesTest, public ::testing::WithParamInterface<Escape> {};

TEST_P(EscapingEntryTest, IsRefusedAndNothingIsWritten) {
  Open({{"first.txt", "fine"}, {GetParam().stored, "evil"}});
  try {
    zip_.ExtractFiles(u"*.*");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), kErrorUnsafeName) << e.what();
  }
  EXPECT_EQ(Tree(), std::vector<std::string>{"out"});
  EXPECT_FALSE(fs::exists("/tmp/kestrune-evil.txt"));
}

const Escape kEscapes[] = {
    {"ParentFolder", "../evil.txt"},
    {"ParentInTheMiddle", "a/../../evil.txt"},
    {"BackslashParent", "..\\evil.txt"},
    {"AbsolutePath", "/tmp/kestrune-evil.txt"},
    {"BackslashRoot", "\\tmp\\kestrune-evil.txt"},
    {"DriveLetter", "C:evil.txt"},
    {"JustDotDot", ".."},
};
INSTANTIATE_TEST_SUITE_P(ZipExtractFiles, EscapingEntryTest, ::testing::ValuesIn(kEscapes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExtractFilesTest, ALinkOutOfTheFolderIsNotFollowed) {
  fs::create_directories(dir_ / "elsewhere");
  fs::create_directory_symlink(dir_ / "elsewhere", out_ / "link");
  Open({{"link/x.txt", "evil"}});
  try {
    zip_.ExtractFiles(u"*.*");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), kErrorUnsafeName);
  }
  EXPECT_TRUE(fs::is_empty(dir_ / "elsewhere"));
}

TEST_F(ExtractFilesTest, OverwriteModesDecideAboutExistingFiles) {
  // The entry's DOS time (0, 0) is 1980: older than any file written now.
  BuildEntry entry("x.txt", "archive");
  Open({entry});
  struct Row {
    TZipOverwriteMode mode;
    std::string result;
  };
  const Row rows[] = {{TZipOverwriteMode::omNever, "disk"},
                      {TZipOverwriteMode::omIfNewer, "disk"},
                      {TZipOverwriteMode::omIfOlder, "archive"},
                      {TZipOverwriteMode::omAlways, "archive"},
                      {TZipOverwriteMode::omPrompt, "disk"}};  // the default prompt answers no
  for (const auto& row : rows) {
    WriteFileBytes(out_ / "x.txt", "disk");
    zip_.Options.OverwriteMode = row.mode;
    zip_.ExtractFiles(u"x.txt");
    EXPECT_EQ(ReadFileBytes(out_ / "x.txt"), row.result) << static_cast<int>(row.mode);
  }
}

TEST_F(ExtractFilesTest, ADamagedEntryLeavesTheFileItWouldReplace) {
  BuildEntry bad("x.txt", "archive");
  bad.crc = 0x12345678;
  Open({bad});
  WriteFileBytes(out_ / "x.txt", "disk");
  try {
    zip_.ExtractFiles(u"*.*");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 8);
  }
  EXPECT_EQ(Tree(), (std::vector<std::string>{"out", "out/x.txt"}));
  EXPECT_EQ(ReadFileBytes(out_ / "x.txt"), "disk");
}

TEST_F(ExtractFilesTest, MissingFoldersAreAnErrorWithoutCreateDirs) {
  Open({{"sub/x.txt", "x"}});
  zip_.Options.CreateDirs = false;
  try {
    zip_.ExtractFiles(u"*.*");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 20);
  }
}

TEST_F(ExtractFilesTest, NothingIsExtractedWhileAnUpdateIsOpen) {
  TZipArchiver zip;
  zip.FileName = Utf8ToWide((dir_ / "new.zip").string());
  zip.OpenZip(kOpenCreate);
  zip.BeginUpdate();
  zip.AddFromBuffer(u"x.txt", "x");
  try {
    zip.ExtractFiles(u"*.*");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 26);
  }
}

}  // namespace
}  // namespace kestrune::zip
