#include "zip/zip_archiver.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/zip_builder.h"

namespace kestrune::zip {
namespace {

TEST(ZipArchiver, DefaultsOfBothComponents) {
  TZipArchiver zip;
  TZipBaseArchiver base;
  EXPECT_FALSE(zip.ExtractCorruptedFiles);
  EXPECT_EQ(zip.CompressionLevel(), TZipCompressionLevel::clFastest);
  EXPECT_EQ(zip.CompressionMode(), 1);
  EXPECT_EQ(zip.CurrentVersion(), u"3.03 ");
  EXPECT_EQ(zip.SpanningMode(), TZipSpanningMode::smNone);
  EXPECT_TRUE(zip.SpanningOptions.AdvancedNaming);
  EXPECT_EQ(zip.SpanningOptions.VolumeSize, TZipVolumeSize::vsAutoDetect);
  EXPECT_EQ(zip.SpanningOptions.CustomVolumeSize(), 0);
  EXPECT_FALSE(zip.InMemory());
  EXPECT_TRUE(zip.RebuildDamagedDirectory);
  EXPECT_FALSE(zip.Active());
  EXPECT_TRUE(zip.UnicodeFilenames);
  EXPECT_EQ(zip.Zip64Mode, TZip64Mode::zmDisabled);
  EXPECT_EQ(base.Zip64Mode, TZip64Mode::zmAuto);
  EXPECT_EQ(zip.CompressionMethod(), 8);
  EXPECT_EQ(base.CompressionMethod(), 0xFFFF);
  const TZipOptions& o = zip.Options;
  EXPECT_TRUE(o.Recurse);
  EXPECT_EQ(o.StorePath, TZipStorePathMode::spRelativePath);
  EXPECT_EQ(o.ShareMode, TZipFileShareMode::smShareDenyNone);
  EXPECT_EQ(o.OverwriteMode, TZipOverwriteMode::omAlways);
  EXPECT_TRUE(o.CreateDirs && o.ReplaceReadOnly && o.SetAttributes && o.FlushBuffers && o.OEMFileNames);
  EXPECT_EQ(o.SearchAttr, 10431);
}

TEST(ZipArchiver, CompressionLevelAndModeFollowEachOther) {
  TZipArchiver zip;
  struct Level {
    TZipCompressionLevel level;
    int mode;
  };
  for (const auto& c : {Level{TZipCompressionLevel::clNone, 0}, Level{TZipCompressionLevel::clFastest, 1},
                        Level{TZipCompressionLevel::clNormal, 6}, Level{TZipCompressionLevel::clMax, 9}}) {
    zip.SetCompressionLevel(c.level);
    EXPECT_EQ(zip.CompressionMode(), c.mode);
    EXPECT_EQ(zip.CompressionMethod(), c.mode == 0 ? 0 : 8);
  }
  const TZipCompressionLevel byMode[] = {TZipCompressionLevel::clNone,    TZipCompressionLevel::clFastest,
                                         TZipCompressionLevel::clFastest, TZipCompressionLevel::clFastest,
                                         TZipCompressionLevel::clNormal,  TZipCompressionLevel::clNormal,
                                         TZipCompressionLevel::clNormal,  TZipCompressionLevel::clMax,
                                         TZipCompressionLevel::clMax,     TZipCompressionLevel::clMax};
  for (int mode = 0; mode <= 9; ++mode) {
    zip.SetCompressionMode(mode);
    EXPECT_EQ(zip.CompressionLevel(), byMode[mode]) << mode;
  }
  zip.SetCompressionMode(3);
  zip.Name = "iconszipper";
  try {
    zip.SetCompressionMode(10);
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 5);
    EXPECT_STREQ(e.what(), "iconszipper: Invalid compression mode. Mode must be in [0-9] range - Native error: 00005");
  }
  EXPECT_EQ(zip.CompressionMode(), 3);
  EXPECT_EQ(zip.CompressionLevel(), TZipCompressionLevel::clFastest);
}

TEST(ZipArchiver, SpanningSettings) {
  TZipArchiver zip;
  zip.SpanningOptions.SetCustomVolumeSize(1000);
  EXPECT_EQ(zip.SpanningOptions.CustomVolumeSize(), 65536);
  zip.SpanningOptions.VolumeSize = TZipVolumeSize::vs650MB;
  EXPECT_EQ(VolumeSizeBytes(zip.SpanningOptions), 681574400);
  zip.SpanningOptions.VolumeSize = TZipVolumeSize::vs4700MB;
  EXPECT_EQ(VolumeSizeBytes(zip.SpanningOptions), 4928307200);

  kestrune::test::TempDir dir;
  kestrune::test::WriteFileBytes(dir / "a.zip", test::BuildZip({}).bytes);
  zip.FileName = Utf8ToWide((dir / "a.zip").string());
  zip.OpenZip(kOpenReadOnly);
  try {
    zip.SetSpanningMode(TZipSpanningMode::smSplitting);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Cannot set spanning mode on open archive");
  }
  zip.CloseZip();
  zip.SetSpanningMode(TZipSpanningMode::smSplitting);
  EXPECT_EQ(zip.SpanningMode(), TZipSpanningMode::smSplitting);
}

// The name of each volume of a split or spanned archive.
struct VolumeName {
  const char* name;
  TZipSpanningMode mode;
  bool advanced;
  const char16_t* fileName;
  bool stub;       // SFXStub set: self-extracting
  bool ownFormat;  // the bare component's method, 252 or more
  int volume;
  bool last;
  const char16_t* expected;
};
void PrintTo(const VolumeName& v, std::ostream* os) { *os << v.name; }

class VolumeNamingTest : public ::testing::TestWithParam<VolumeName> {};

TEST_P(VolumeNamingTest, FollowsTheNamingTable) {
  const VolumeName& v = GetParam();
  std::unique_ptr<TZipBaseArchiver> zip =
      v.ownFormat ? std::make_unique<TZipBaseArchiver>() : std::make_unique<TZipArchiver>();
  zip->SetSpanningMode(v.mode);
  zip->SpanningOptions.AdvancedNaming = v.advanced;
  zip->FileName = v.fileName;
  zip->SFXStub = v.stub ? u"/opt/sfx.bin" : u"";
  EXPECT_EQ(WideToUtf8(zip->VolumeFileName(v.volume, v.last)), WideToUtf8(v.expected));
}

using enum TZipSpanningMode;
const VolumeName kVolumeNames[] = {
    {"SpanningAdvanced", smSpanning, true, u"/m/roms.zip", false, false, 0, false, u"/m/roms_001.zip"},
    {"SpanningAdvancedLast", smSpanning, true, u"/m/roms.zip", false, false, 11, true, u"/m/roms_012.zip"},
    {"SpanningAdvancedExe", smSpanning, true, u"/m/setup.exe", false, false, 1, false, u"/m/setup_002.exe"},
    {"SpanningSameNameOnEveryDisk", smSpanning, false, u"/m/roms.zip", false, false, 3, false, u"/m/roms.zip"},
    {"SpanningSelfExtracting", smSpanning, false, u"/m/roms.zip", true, false, 0, false, u"/m/roms.exe"},
    {"SplittingFirstSelfExtracting", smSplitting, true, u"/m/roms.zip", true, false, 0, false, u"/m/roms.exe"},
    {"SplittingAdvanced", smSplitting, true, u"/m/roms.zip", false, false, 1, false, u"/m/roms_002.zip"},
    {"SplittingPlain", smSplitting, false, u"/m/roms.zip", false, false, 0, false, u"/m/roms.Z01"},
    {"SplittingPlainOwnFormat", smSplitting, false, u"/m/roms.zip", false, true, 9, false, u"/m/roms.F10"},
    {"SplittingLastSelfExtracting", smSplitting, true, u"/m/roms.zip", true, false, 4, true, u"/m/roms.ZIP"},
    {"SplittingLastSelfExtractingOwnFormat", smSplitting, true, u"/m/roms.zip", true, true, 4, true, u"/m/roms.ZF"},
    {"SplittingLast", smSplitting, false, u"/m/roms.zip", false, false, 4, true, u"/m/roms.zip"},
    {"SingleFile", smNone, true, u"/m/roms.zip", false, false, 2, false, u"/m/roms.zip"},
};
INSTANTIATE_TEST_SUITE_P(ZipArchiver, VolumeNamingTest, ::testing::ValuesIn(kVolumeNames),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ZipArchiver, InMemoryArchives) {
  kestrune::test::TempDir dir;
  TZipArchiver zip;
  zip.SetInMemory(true);
  try {
    zip.OpenZip(kOpenReadOnly);
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 28);
  }
  zip.OpenZip(kOpenCreate);
  EXPECT_TRUE(zip.Active());
  try {
    zip.SetInMemory(false);
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 29);
  }
  zip.FileName = Utf8ToWide((dir / "mem.zip").string());
  zip.SetInMemory(false);
  EXPECT_TRUE(zip.Active());
  EXPECT_EQ(kestrune::test::ReadFileBytes(dir / "mem.zip"), test::BuildZip({}).bytes);
  zip.CloseZip();

  kestrune::test::WriteFileBytes(dir / "two.zip", test::BuildZip({{"a", "1"}, {"b", "2"}}).bytes);
  zip.FileName = Utf8ToWide((dir / "two.zip").string());
  zip.OpenZip(kOpenReadOnly);
  zip.SetInMemory(true);
  EXPECT_TRUE(zip.Active());
  EXPECT_EQ(zip.DirManager()->Items.Count(), 2);
}

class ScriptedPrompter : public TZipPrompter {
 public:
  TZipPromptResult Ask(const WideString& text, const std::vector<TZipPromptResult>& buttons) override {
    asked.push_back(WideToUtf8(text));
    offered = buttons;
    return answer;
  }
  // Types the passwords in `typed` ("secret" once they are used up); `during` runs while the question is
  // open, as a timer would in the dialog's event loop.
  bool InputQuery(const WideString& caption, const WideString& prompt, AnsiString& value) override {
    asked.push_back(WideToUtf8(caption) + "|" + WideToUtf8(prompt) + "|" + value);
    if (auto run = std::exchange(during, nullptr)) run();
    value = typed.empty() ? "secret" : typed.front();
    if (!typed.empty()) typed.erase(typed.begin());
    return answer == TZipPromptResult::Ok;
  }
  TZipPromptResult answer = TZipPromptResult::None;
  std::vector<std::string> asked, typed;
  std::vector<TZipPromptResult> offered;
  std::function<void()> during;
};

// snap.zip with two pictures under one password and a plain file, with the prompter installed as the
// program installs its dialogs.
class ZipPasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallZipPrompter(&prompter_);
    zip_.FileName = Utf8ToWide((dir_ / "snap.zip").string());
    zip_.OpenZip(kOpenCreate);
    for (const char* name : {"snap/a.png", "snap/b.png", "plain.txt"}) {
      zip_.Password = name[0] == 's' ? "sesame" : "";
      zip_.AddFromBuffer(Utf8ToWide(name), std::string("bytes of ") + name);
    }
    zip_.Password.clear();
    zip_.OpenZip(kOpenReadOnly);
  }
  void TearDown() override { InstallZipPrompter(nullptr); }
  std::string Extract(int index) {
    TMemoryStream out;
    zip_.ExtractEntryByIndex(index, out);
    return std::string(out.Data().begin(), out.Data().end());
  }

  kestrune::test::TempDir dir_;
  ScriptedPrompter prompter_;
  TZipArchiver zip_;
};

// Reads while the question is open: an encrypted entry is skipped without a second dialog, a plain one
// is read, and the entry asked about still comes out whole.
TEST_F(ZipPasswordTest, TheRightPasswordOpensTheEntryWhateverWasReadWhileItWasAskedFor) {
  std::vector<std::string> meanwhile;
  prompter_.during = [&] { meanwhile = {Extract(1), Extract(2)}; };
  prompter_.answer = TZipPromptResult::Ok;
  prompter_.typed = {"wrong", "sesame"};
  EXPECT_EQ(Extract(0), "bytes of snap/a.png");
  EXPECT_EQ(meanwhile, (std::vector<std::string>{"", "bytes of plain.txt"}));
  // Asked again while wrong, with what was typed before; the next entry opens without a question.
  EXPECT_EQ(prompter_.asked, (std::vector<std::string>{"Password for \"snap/a.png\"|Enter password: |",
                                                       "Password for \"snap/a.png\"|Enter password: |wrong"}));
  EXPECT_EQ(Extract(1), "bytes of snap/b.png");
  EXPECT_EQ(prompter_.asked.size(), 2u);
}

// Skipped without an error; ExtractFiles leaves no file for it and keeps the one it would replace.
TEST_F(ZipPasswordTest, CancelSkipsTheEntryQuietlyAndTheArchiveIsNotAskedAgain) {
  const std::filesystem::path out = dir_ / "out";
  std::filesystem::create_directories(out / "snap");
  kestrune::test::WriteFileBytes(out / "snap" / "a.png", "old picture");
  zip_.BaseDir = Utf8ToWide(out.string());
  EXPECT_EQ(zip_.ExtractFiles(u"*.*"), 1);
  EXPECT_EQ(kestrune::test::ReadFileBytes(out / "snap" / "a.png"), "old picture");
  EXPECT_FALSE(std::filesystem::exists(out / "snap" / "b.png"));
  EXPECT_EQ(prompter_.asked.size(), 1u);
}

TEST(ZipArchiver, DispatchersWithoutHandlersNeverBlock) {
  TZipArchiver zip;
  bool confirm = true;
  WideString dest = u"dest.png";
  zip.DoOnConfirmOverwrite(u"src.png", dest, confirm);
  EXPECT_FALSE(confirm);
  AnsiString password = "old";
  bool skip = false;
  zip.DoOnPassword(u"a.png", password, skip);
  EXPECT_TRUE(skip);
  EXPECT_EQ(password, "old");
  TZipAction action = TZipAction::fxaIgnore;
  zip.DoOnProcessFileFailure(u"a", TZipProcessOperation::poExtract, 8, 8, u"bad", action);
  EXPECT_EQ(action, TZipAction::fxaAbort);
  bool cancel = false;
  zip.DoOnDiskFull(-1, u"x.zip", cancel);
  EXPECT_TRUE(cancel);
  zip.DoOnOverallProgress(50, TZipProcessOperation::poExtract, TZipProgressPhase::ppProcess, cancel);
  EXPECT_FALSE(cancel);
  bool process = false;
  zip.DoOnConfirmProcessFile(u"a", TZipProcessOperation::poAdd, process);
  EXPECT_TRUE(process);
  WideString name = u"dir/sub/x.png";
  std::uint32_t attr = 0;
  zip.DoOnExtractFile(name, attr, "");
  EXPECT_EQ(name, u"dir\\sub\\x.png");
}

TEST(ZipArchiver, DispatchersAskThePrompterWithTheirTexts) {
  TZipArchiver zip;
  ScriptedPrompter prompter;
  zip.SetPrompter(&prompter);
  bool confirm = false;
  WideString dest = u"d.png";
  prompter.answer = TZipPromptResult::NoToAll;
  zip.DoOnConfirmOverwrite(u"s.png", dest, confirm);
  EXPECT_FALSE(confirm);
  EXPECT_EQ(zip.Options.OverwriteMode, TZipOverwriteMode::omNever);
  EXPECT_EQ(prompter.asked.back(), "Overwrite file \"d.png\" with \"s.png\"");
  prompter.answer = TZipPromptResult::YesToAll;
  zip.DoOnConfirmOverwrite(u"s.png", dest, confirm);
  EXPECT_TRUE(confirm);
  EXPECT_EQ(zip.Options.OverwriteMode, TZipOverwriteMode::omAlways);

  prompter.answer = TZipPromptResult::Ok;
  AnsiString password = "old";
  bool skip = true;
  zip.DoOnPassword(u"a.png", password, skip);
  EXPECT_EQ(prompter.asked.back(), "Password for \"a.png\"|Enter password: |old");
  EXPECT_EQ(password, "secret");
  EXPECT_FALSE(skip);

  TZipAction action = TZipAction::fxaAbort;
  prompter.answer = TZipPromptResult::Retry;
  zip.DoOnProcessFileFailure(u"a", TZipProcessOperation::poAdd, 46, 46, u"Write to stream error", action);
  EXPECT_EQ(action, TZipAction::fxaRetry);
  EXPECT_EQ(prompter.asked.back(), "Write to stream error. File processing error, possibly disk is full");
  EXPECT_EQ(prompter.offered.size(), 3u);
  prompter.answer = TZipPromptResult::Ignore;
  zip.DoOnProcessFileFailure(u"a", TZipProcessOperation::poAdd, 61, 61, u"long", action);
  EXPECT_EQ(action, TZipAction::fxaIgnore);
  EXPECT_EQ(prompter.asked.back(), "long");
  EXPECT_EQ(prompter.offered.size(), 2u);
  const auto asked = prompter.asked.size();
  zip.DoOnProcessFileFailure(u"a", TZipProcessOperation::poAdd, 45, 45, u"x", action);
  EXPECT_EQ(action, TZipAction::fxaAbort);
  EXPECT_EQ(prompter.asked.size(), asked);

  zip.SetSpanningMode(TZipSpanningMode::smSpanning);
  prompter.answer = TZipPromptResult::Ok;
  bool cancel = true;
  WideString volume;
  zip.DoOnRequestBlankVolume(2, volume, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(prompter.asked.back(), "Please insert a blank disk #3");
  prompter.answer = TZipPromptResult::Cancel;
  zip.DoOnRequestMiddleVolume(0, volume, cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(prompter.asked.back(), "Please insert disk #1");
}

TEST(ZipArchiver, HandlersGetTheirArguments) {
  TZipArchiver zip;
  WideString seen;
  zip.OnFileProgress = [&](TZipBaseArchiver&, const WideString& name, double, TZipProcessOperation, TZipProgressPhase,
                           bool& cancel) {
    seen = name;
    cancel = true;
  };
  bool cancel = false;
  zip.DoOnFileProgress(u"a/b.png", 10, TZipProcessOperation::poExtract, TZipProgressPhase::ppStart, cancel);
  EXPECT_EQ(seen, u"a\\b.png");
  EXPECT_TRUE(cancel);
  int volumeSeen = 0;
  zip.OnDiskFull = [&](TZipBaseArchiver&, int volume, const WideString&, bool&) { volumeSeen = volume; };
  zip.DoOnDiskFull(4, u"v", cancel);
  EXPECT_EQ(volumeSeen, 5);
  EXPECT_FALSE(cancel);
  zip.OnStoreFile = [&](TZipBaseArchiver&, WideString& name, std::uint32_t&, AnsiString&, const WideString&) {
    seen = name;
    name += u"\\new";
  };
  WideString stored = u"x/y";
  std::uint32_t attr = 0;
  AnsiString comment;
  zip.DoOnStoreFile(stored, attr, comment, u"orig");
  EXPECT_EQ(seen, u"x\\y");
  EXPECT_EQ(stored, u"x/y/new");
}

TEST(ZipException, MessageTableAndFormat) {
  struct Row {
    int code;
    const char* text;
  };
  const Row rows[] = {
      {0, "Unknown error"},
      {1, "Index out of bounds"},
      {24, "Index out of bounds"},
      {5, "Invalid compression mode. Mode must be in [0-9] range"},
      {6, "Unexpected nil pointer"},
      {8, "Invalid size or check sum of file or unsupported compression format"},
      {29, "File name is blank. Specify appropriate file name"},
      {54, "File \"%s\" not found"},
      {14, "Archive is not open"},
      {17, "SFXStub property is not specified"},
      {23, "Cannot create file \"%s\""},
      {20, "Cannot create directory \"%s\""},
      {25, "Internal error. Update is not started"},
      {26, "Cannot proceed when update is not ended. Preceding EndUpdate call is required."},
      {27, "Cannot delete file \"%s\""},
      {28, "In-memory archive can be created only"},
      {32, "File is open in read-only mode"},
      {33, "Cannot open file \"%s\""},
      {34, "Invalid compressed size, rfs.size = %d, count = %d"},
      {35, "Invalid archive file."},
      {36, "Cannot create output file. Probably file is locked by another process. FileName = '%s'."},
      {37, "Archive is open. You should close it beore performing this operation."},
      {39, "Unable to create directory"},
      {40, "Cannot find Zip64 directory end record"},
      {43, "Cannot compress file '%s'. Zip64 mode is not enabled"},
      {45, "Cannot open archive file. Opening aborted or invalid file"},
      {46, "Write to stream error"},
      {47, "Cannot place SFX stub on volume. Volume size limit is too small"},
      {57, "Archive is damaged. Open failed"},
      {49,
       "MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive creation instead of "
       "MakeSFX"},
      {50, "Archive already has SFX stub"},
      {51, "Multi-volume archive is not allowed for custom stream"},
      {52,
       "Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods to add files "
       "several times"},
      {55, "Deflate64 compression method is not supported"},
      {56, "MakeSFX error"},
      {59, "Hashed list of file names is invalid"},
      {60, "Cannot delete folder \"%s\""},
      {61, "File name is too long: \r\n\"%s\""},
      {62, "Multiple transactions are not supported for multi-volume archives"},
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(EZipException::TextOf(row.code), row.text) << row.code;
  }
  for (int code = 1; code <= 62; ++code) {
    EXPECT_NE(EZipException::TextIndexOf(code), 0) << code;
  }
  TComponent snap;
  snap.Name = "snapzipper";
  EXPECT_STREQ(EZipException(15, &snap, {std::string("x.png")}).what(),
               "snapzipper: File \"x.png\" not found - Native error: 00015");
  EXPECT_STREQ(EZipException(34, nullptr, {std::int64_t{10}, std::int64_t{7}}).what(),
               "Invalid compressed size, rfs.size = 10, count = 7 - Native error: 00034");
  TComponent unnamed;
  const EZipException unknown(99, &unnamed);
  EXPECT_STREQ(unknown.what(), "Unknown error - Native error: 00099");
  EXPECT_EQ(unknown.ErrorCode(), 99);
  EXPECT_EQ(unknown.TextIndex(), 0);
}

TEST(ZipFixtures, ArchivesWrittenByOtherTools) {
  struct Case {
    const char* file;
    std::vector<std::u16string> names;
    std::int64_t baseOffset;
    std::uint64_t firstOffset;
  };
  const Case cases[] = {
      {"python-stored.zip", {u"readme.txt", u"dir/", u"snap/pacman.png"}, 0, 0},
      {"python-deflated-utf8.zip", {u"\u00FCber.txt", u"plain.txt"}, 0, 0},
      {"python-zip64.zip", {u"big.bin", u"b.txt"}, 0, 0},
      {"infozip-streamed.zip", {u"-"}, 0, 0},
      {"infozip-stub.zip", {u"rom.bin"}, 31, 31},
      {"infozip-stub-adjusted.zip", {u"rom.bin"}, 0, 31},
  };
  for (const auto& c : cases) {
    TZipArchiver zip;
    zip.RebuildDamagedDirectory = false;
    zip.FileName = Utf8ToWide((kestrune::test::TestDataDir() / "zip" / c.file).string());
    zip.OpenZip(kOpenReadOnly);
    const auto& items = zip.DirManager()->Items;
    ASSERT_EQ(items.Count(), static_cast<int>(c.names.size())) << c.file;
    for (int i = 0; i < items.Count(); ++i) {
      EXPECT_EQ(items.Item(i).FileName, c.names[static_cast<std::size_t>(i)]) << c.file;
    }
    EXPECT_EQ(zip.DirManager()->BaseOffset, c.baseOffset) << c.file;
    EXPECT_EQ(items.Item(0).LocalHeaderOffset, c.firstOffset) << c.file;
  }
}

}  // namespace
}  // namespace kestrune::zip
