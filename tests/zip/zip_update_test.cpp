#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/wide_file.h"
#include "zip/zip_archiver.h"
#include "zip/zip_builder.h"

namespace kestrune::zip {
namespace {

namespace fs = std::filesystem;
using kestrune::test::ReadFileBytes;
using kestrune::test::WriteFileBytes;

// What a reader says of one entry.
struct Seen {
  std::string name;  // UTF-8
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  bool operator==(const Seen&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Seen& s) { return os << s.name << " " << s.size << " " << s.crc; }

std::uint32_t Crc(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Every entry as this reader lists it, with its bytes extracted and checked.
std::vector<Seen> ReadBack(TZipBaseArchiver& zip, std::map<std::string, std::string>* bytes = nullptr) {
  std::vector<Seen> seen;
  const auto& items = zip.DirManager()->Items;
  for (int i = 0; i < items.Count(); ++i) {
    const TDirItem& item = items.Item(i);
    TMemoryStream out;
    zip.ExtractEntryByIndex(i, out);
    const std::string data(out.Data().begin(), out.Data().end());
    EXPECT_EQ(Crc(data), item.CentralDir.Crc32) << WideToUtf8(item.FileName);
    seen.push_back({WideToUtf8(item.FileName), item.UncompressedSize, item.CentralDir.Crc32});
    if (bytes != nullptr) {
      (*bytes)[seen.back().name] = data;
    }
  }
  return seen;
}

std::vector<Seen> ReadBack(const fs::path& path, const std::string& password = {},
                           std::map<std::string, std::string>* bytes = nullptr) {
  TZipArchiver zip;
  zip.Password = password;
  zip.RebuildDamagedDirectory = false;
  zip.FileName = Utf8ToWide(path.string());
  zip.OpenZip(kOpenReadOnly);
  return ReadBack(zip, bytes);
}

struct ToolRun {
  int status = -1;
  std::string output;
};

ToolRun RunTool(const std::string& command) {
  ToolRun run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    return run;
  }
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    run.output.append(buffer, n);
  }
  run.status = ::pclose(pipe);
  return run;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Info-ZIP's unzip, an independent reader: "-t" tests every entry's data and CRC-32, "-v" lists names,
// sizes and CRC-32 values.
struct Unzip {
  static bool Present() { return RunTool("unzip -v").status == 0; }

  static ToolRun Test(const fs::path& archive, const std::string& password = {}) {
    return RunTool("LC_ALL=C.UTF-8 unzip -tq " + (password.empty() ? "" : "-P '" + password + "' ") + Quoted(archive));
  }

  static std::vector<Seen> List(const fs::path& archive) {
    const ToolRun run = RunTool("LC_ALL=C.UTF-8 unzip -v " + Quoted(archive));
    EXPECT_EQ(run.status, 0) << run.output;
    std::vector<Seen> seen;
    std::istringstream lines(run.output);
    int rulers = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("--------", 0) == 0) {
        ++rulers;
        continue;
      }
      if (rulers != 1) {
        continue;
      }
      // Length Method Size Cmpr Date Time CRC-32 Name
      std::istringstream fields(line);
      std::string method, compressed, ratio, date, time, crc, name;
      Seen entry;
      // Lines that are not an entry's (its comment) do not have the fields.
      if (!(fields >> entry.size >> method >> compressed >> ratio >> date >> time >> crc) || crc.size() != 8 ||
          !std::getline(fields, name) || name.find_first_not_of(' ') == std::string::npos) {
        continue;
      }
      entry.name = name.substr(name.find_first_not_of(' '));
      entry.crc = static_cast<std::uint32_t>(std::stoul(crc, nullptr, 16));
      seen.push_back(entry);
    }
    return seen;
  }
};

class ZipUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_ / "out.zip"; }

  // The temporary files go beside the archive, where the tests look for leftovers.
  void Create(TZipBaseArchiver& zip) {
    zip.FileName = Utf8ToWide(path_.string());
    zip.TempDir = Utf8ToWide(dir_.path().string());
    zip.OpenZip(kOpenCreate);
  }
  void OpenExisting(TZipBaseArchiver& zip) {
    zip.FileName = Utf8ToWide(path_.string());
    zip.TempDir = Utf8ToWide(dir_.path().string());
    zip.OpenZip(kOpenReadWriteDenyWrite);
  }
  fs::path Source(const std::string& name, const std::string& data) {
    const fs::path path = dir_ / "src" / name;
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, data);
    return path;
  }
  // The names of temporary files left in the archive's folder.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      if (entry.path().filename().string().rfind("FC", 0) == 0) {
        names.push_back(entry.path().filename().string());
      }
    }
    return names;
  }

  kestrune::test::TempDir dir_;
  fs::path path_;
};

std::string Noise(std::size_t size, unsigned seed) {
  std::string data(size, '\0');
  for (auto& c : data) {
    seed = seed * 1103515245 + 12345;
    c = static_cast<char>(seed >> 16);
  }
  return data;
}

// One way of writing archives; every one must read back the same here and, where it is plain zip,
// in Info-ZIP.
struct WriteCase {
  const char* name;
  bool baseComponent = false;  // the bare component: its own signatures and block format
  int compressionMode = 1;
  TZip64Mode zip64 = TZip64Mode::zmDisabled;
  bool oemNames = true;
  bool unicodeBlock = true;
  std::string password = {};
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class RoundTripTest : public ZipUpdateTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(RoundTripTest, ReadsBackHereAndInInfoZipWithTheSameNamesSizesAndCrcs) {
  const WriteCase& c = GetParam();
  std::unique_ptr<TZipBaseArchiver> zip =
      c.baseComponent ? std::make_unique<TZipBaseArchiver>() : std::make_unique<TZipArchiver>();
  zip->SetCompressionMode(c.compressionMode);
  zip->Zip64Mode = c.zip64;
  zip->Options.OEMFileNames = c.oemNames;
  zip->Password = c.password;
  if (auto* archiver = dynamic_cast<TZipArchiver*>(zip.get())) {
    archiver->UnicodeFilenames = c.unicodeBlock;
  }
  const std::map<std::string, std::string> contents = {
      {"readme.txt", std::string(5000, 'r') + "end"},
      {"snap/pacman.png", Noise(1300000, 7)},  // more than one compression block
      {"empty.bin", ""},
      {"docs/", ""},
      {"\xC3\xBC"
       "ber.txt",
       "\xC3\xBC"},                                              // in code pages 437 and 1252
      {"\xE6\x97\xA5\xE6\x9C\xAC/\xE2\x98\x83.txt", "snowman"},  // in neither: UTF-8
  };
  Create(*zip);
  zip->BeginUpdate();
  zip->AddFile(Utf8ToWide(Source("readme.txt", contents.at("readme.txt")).string()), u"readme.txt");
  zip->AddFile(Utf8ToWide(Source("pacman.png", contents.at("snap/pacman.png")).string()), u"snap\\pacman.png");
  for (const auto& [name, data] : contents) {
    if (name != "readme.txt" && name != "snap/pacman.png") {
      zip->AddFromBuffer(Utf8ToWide(name), data);
    }
  }
  zip->EndUpdate();
  zip->CloseZip();

  std::vector<Seen> expected;
  for (const auto& [name, data] : contents) {
    expected.push_back({name, data.size(), Crc(data)});
  }
  std::map<std::string, std::string> bytes;
  {
    std::unique_ptr<TZipBaseArchiver> reader =
        c.baseComponent ? std::make_unique<TZipBaseArchiver>() : std::make_unique<TZipArchiver>();
    reader->Password = c.password;
    reader->Options.OEMFileNames = c.oemNames;
    reader->FileName = Utf8ToWide(path_.string());
    reader->OpenZip(kOpenReadOnly);
    std::vector<Seen> seen = ReadBack(*reader, &bytes);
    std::sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.name < b.name; });
    EXPECT_EQ(seen, expected);
  }
  for (const auto& [name, data] : contents) {
    EXPECT_EQ(bytes[name], data) << name;
  }
  if (c.baseComponent) {
    return;  // its signatures are its own: no other reader knows them
  }
  ASSERT_TRUE(Unzip::Present()) << "Info-ZIP unzip is missing: scripts/install-deps.sh installs it";
  const ToolRun test = Unzip::Test(path_, c.password);
  EXPECT_EQ(test.status, 0) << test.output;
  std::vector<Seen> listed = Unzip::List(path_);
  std::sort(listed.begin(), listed.end(), [](const Seen& a, const Seen& b) { return a.name < b.name; });
  // Info-ZIP shows names in the OEM page as it pleases; the UTF-8 flag and plain ASCII are unambiguous.
  std::erase_if(listed, [](const Seen& s) { return s.name.find("ber.txt") != std::string::npos; });
  std::vector<Seen> plain = expected;
  std::erase_if(plain, [](const Seen& s) { return s.name.find("ber.txt") != std::string::npos; });
  EXPECT_EQ(listed, plain) << ::testing::PrintToString(listed)
                           << RunTool("LC_ALL=C.UTF-8 unzip -v " + Quoted(path_)).output;
}

const WriteCase kWriteCases[] = {
    {.name = "StoredAtModeZero", .compressionMode = 0},
    {.name = "DeflatedFastest", .compressionMode = 1},
    {.name = "DeflatedBest", .compressionMode = 9},
    {.name = "Zip64Always", .compressionMode = 6, .zip64 = TZip64Mode::zmAlways},
    {.name = "AnsiNames", .oemNames = false},
    {.name = "WithoutUnicodeNameBlocks", .unicodeBlock = false},
    {.name = "Encrypted", .compressionMode = 6, .password = "sesame"},
    {.name = "BaseComponentBlockFormat", .baseComponent = true, .compressionMode = 6},
    {.name = "BaseComponentStoredBlocks", .baseComponent = true, .compressionMode = 0},
};
INSTANTIATE_TEST_SUITE_P(ZipWriter, RoundTripTest, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ZipUpdateTest, OpenCreateThenCloseLeavesALoneEndRecordAndReadOnlyCloseWritesNothing) {
  {
    TZipArchiver zip;
    Create(zip);
  }
  EXPECT_EQ(ReadFileBytes(path_), test::BuildZip({}).bytes);
  const std::string before = test::BuildZip({{"a", "1"}}).bytes;
  WriteFileBytes(path_, before);
  TZipArchiver zip;
  zip.FileName = Utf8ToWide(path_.string());
  zip.OpenZip(kOpenReadOnly);
  try {
    zip.AddFromBuffer(u"b", "2");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 32);
  }
  zip.CloseZip();
  EXPECT_EQ(ReadFileBytes(path_), before);
}

TEST_F(ZipUpdateTest, AnUpdateAddsReplacesDeletesAndRenamesAndKeepsTheRestInPlace) {
  const std::string first = Noise(3000, 1);
  test::BuildOptions commented;
  commented.comment = "archive note";
  WriteFileBytes(path_, test::BuildZip({{"first.bin", first},
                                        {"replace.txt", "old"},
                                        {"delete.txt", "gone"},
                                        {"rename.txt", "moved"},
                                        {"comment.txt", "c"}},
                                       commented)
                            .bytes);
  const std::string oldBytes = ReadFileBytes(path_);
  TZipArchiver zip;
  zip.Zip64Mode = TZip64Mode::zmAuto;
  OpenExisting(zip);
  zip.BeginUpdate();
  zip.AddFromBuffer(u"added/new.txt", "new");
  zip.AddFile(Utf8ToWide(Source("r.txt", "replacement").string()), u"REPLACE.TXT");
  EXPECT_EQ(zip.DeleteFiles(u"delete.*"), 1);
  zip.RenameFile(u"rename.txt", u"renamed/there.txt");
  EXPECT_EQ(zip.ChangeFilesComment(u"comment.txt", "entry note"), 1);
  zip.SetArchiveComment("new note");
  // Nothing is read while changes wait.
  TMemoryStream out;
  try {
    zip.ExtractEntryToStream(u"first.bin", out);
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 26);
    EXPECT_STREQ(
        e.what(),
        "Cannot proceed when update is not ended. Preceding EndUpdate call is required. - Native error: 00026");
  }
  EXPECT_EQ(ReadFileBytes(path_), oldBytes);
  zip.EndUpdate();
  EXPECT_EQ(zip.UpdateCount(), 0);

  const std::vector<Seen> expected = {{"first.bin", first.size(), Crc(first)},
                                      {"REPLACE.TXT", 11, Crc("replacement")},
                                      {"renamed/there.txt", 5, Crc("moved")},
                                      {"comment.txt", 1, Crc("c")},
                                      {"added/new.txt", 3, Crc("new")}};
  EXPECT_EQ(ReadBack(zip), expected);
  EXPECT_EQ(zip.DirManager()->Comment, "new note");
  EXPECT_EQ(zip.DirManager()->Items.Item(3).Comment, "entry note");
  zip.CloseZip();
  EXPECT_EQ(ReadBack(path_), expected);
  // The entry in front of the first change is the same bytes at the same place.
  const std::string newBytes = ReadFileBytes(path_);
  const std::size_t kept = 30 + 9 + first.size();
  EXPECT_EQ(newBytes.substr(0, kept), oldBytes.substr(0, kept));
  ASSERT_TRUE(Unzip::Present());
  EXPECT_EQ(Unzip::Test(path_).status, 0) << Unzip::Test(path_).output;
  EXPECT_EQ(Unzip::List(path_), expected);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ZipUpdateTest, TransactionsNestAndCancelDropsTheChanges) {
  TZipArchiver zip;
  Create(zip);
  zip.AddFromBuffer(u"kept.txt", "k");
  zip.BeginUpdate();
  zip.BeginUpdate();
  zip.AddFromBuffer(u"a.txt", "a");
  zip.EndUpdate();
  EXPECT_EQ(zip.UpdateCount(), 1);
  EXPECT_EQ(zip.DirManager()->Items.Count(), 2);
  zip.CancelUpdate();
  EXPECT_EQ(zip.DirManager()->Items.Count(), 1);
  const struct {
    void (TZipBaseArchiver::*call)();
    int code;
  } unopened[] = {{&TZipBaseArchiver::EndUpdate, 22}, {&TZipBaseArchiver::CancelUpdate, 25}};
  for (const auto& row : unopened) {
    try {
      (zip.*row.call)();
      FAIL() << row.code;
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), row.code);
    }
  }
  // An update left open is committed by closing.
  zip.BeginUpdate();
  zip.AddFromBuffer(u"b.txt", "b");
  zip.CloseZip();
  EXPECT_EQ(ReadBack(path_), (std::vector<Seen>{{"kept.txt", 1, Crc("k")}, {"b.txt", 1, Crc("b")}}));
}

// Each way a commit can fail leaves the old archive byte for byte, the archive open on it, and no
// temporary file behind.
struct FailureCase {
  const char* name;
  int code;  // 0: cancelled, no error
  std::function<void(TZipArchiver&, const fs::path& dir)> arrange;
  long long fileSizeLimit = 0;  // a full disk: no file written may grow beyond this
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailedCommitTest : public ZipUpdateTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedCommitTest, LeavesTheOldArchiveByteIdentical) {
  WriteFileBytes(path_, test::BuildZip({{"one.txt", Noise(20000, 3)}, {"two.txt", "2"}}).bytes);
  const std::string before = ReadFileBytes(path_);
  TZipArchiver zip;
  OpenExisting(zip);
  zip.BeginUpdate();
  zip.DeleteFiles(u"one.txt");
  GetParam().arrange(zip, dir_.path());
  try {
    std::optional<kestrune::test::ScopedFileSizeLimit> limit;
    if (GetParam().fileSizeLimit > 0) {
      limit.emplace(GetParam().fileSizeLimit);
    }
    zip.EndUpdate();
    EXPECT_EQ(GetParam().code, 0);
    EXPECT_TRUE(zip.Aborted);
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), GetParam().code) << e.what();
  }
  zip.OnOverallProgress = nullptr;
  zip.OnFileProgress = nullptr;
  EXPECT_EQ(ReadFileBytes(path_), before);
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(zip.UpdateCount(), 0);
  EXPECT_EQ(ReadBack(zip).size(), 2u);
}

const FailureCase kFailures[] = {
    {"DiskFullWhileWriting", 46,
     [](TZipArchiver& zip, const fs::path&) {
       zip.SetCompressionMode(0);
       zip.AddFromBuffer(u"big.bin", Noise(200000, 9));
     },
     50000},
    {"SourceMissing", 33,
     [](TZipArchiver& zip, const fs::path& dir) { zip.AddFile(Utf8ToWide((dir / "nowhere.bin").string()), u"x"); }},
    {"CancelledByProgress", 0,
     [](TZipArchiver& zip, const fs::path&) {
       zip.AddFromBuffer(u"x.txt", "x");
       zip.OnOverallProgress = [](TZipBaseArchiver&, double, TZipProcessOperation, TZipProgressPhase phase,
                                  bool& cancel) { cancel = phase == TZipProgressPhase::ppProcess; };
     }},
    {"SourceCutWhileRead", 34,
     [](TZipArchiver& zip, const fs::path& dir) {
       const fs::path source = dir / "shrinking.bin";
       WriteFileBytes(source, Noise(2000000, 5));
       zip.AddFile(Utf8ToWide(source.string()), u"s.bin");
       zip.OnFileProgress = [source](TZipBaseArchiver&, const WideString&, double, TZipProcessOperation,
                                     TZipProgressPhase, bool&) { fs::resize_file(source, 1000); };
     }},
    {"HugeSourceWithoutZip64", 41,
     [](TZipArchiver& zip, const fs::path& dir) {
       const fs::path source = dir / "sparse.bin";
       WriteFileBytes(source, "");
       fs::resize_file(source, std::uint64_t{1} << 32);  // sparse: no disk is used
       zip.AddFile(Utf8ToWide(source.string()), u"huge.bin");
     }},
};
INSTANTIATE_TEST_SUITE_P(ZipWriter, FailedCommitTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ZipUpdateTest, FailureHandlerCanSkipANewEntryOrKeepAnOldOne) {
  WriteFileBytes(path_, test::BuildZip({{"old.txt", "old data"}}).bytes);
  TZipArchiver zip;
  OpenExisting(zip);
  std::vector<int> codes;
  zip.OnProcessFileFailure = [&](TZipBaseArchiver&, const WideString&, TZipProcessOperation, int, int code,
                                 const WideString&, TZipAction& action) {
    codes.push_back(code);
    action = TZipAction::fxaIgnore;
  };
  const WideString missing = Utf8ToWide((dir_ / "missing").string());
  zip.BeginUpdate();
  zip.AddFile(missing, u"old.txt");
  zip.AddFile(missing, u"new.txt");
  zip.AddFromBuffer(u"fine.txt", "fine");
  zip.EndUpdate();
  EXPECT_EQ(codes, (std::vector<int>{33, 33}));
  EXPECT_EQ(ReadBack(zip), (std::vector<Seen>{{"old.txt", 8, Crc("old data")}, {"fine.txt", 4, Crc("fine")}}));
}

TEST_F(ZipUpdateTest, MovedFilesAreDeletedOnlyOnceInTheArchive) {
  const fs::path source = Source("move.txt", "moving");
  TZipArchiver zip;
  Create(zip);
  zip.MoveFile(Utf8ToWide(source.string()), u"moved.txt");
  EXPECT_FALSE(fs::exists(source));
  EXPECT_EQ(ReadBack(zip), (std::vector<Seen>{{"moved.txt", 6, Crc("moving")}}));
}

TEST_F(ZipUpdateTest, StoredNamesComeFromTheStorePathMode) {
  const fs::path source = Source("sub/x.txt", "x");
  struct Row {
    TZipStorePathMode mode;
    std::string expected;
  };
  const Row rows[] = {{TZipStorePathMode::spNoPath, "x.txt"},
                      {TZipStorePathMode::spRelativePath, "src/sub/x.txt"},
                      {TZipStorePathMode::spFullPath, source.relative_path().generic_string()}};
  for (const auto& row : rows) {
    TZipArchiver zip;
    Create(zip);
    zip.BaseDir = Utf8ToWide(dir_.path().string());
    zip.Options.StorePath = row.mode;
    zip.AddFile(Utf8ToWide(source.string()));
    EXPECT_EQ(WideToUtf8(zip.DirManager()->Items.Item(0).FileName), row.expected);
  }
}

// Names that would leave the folder an archive is extracted into never get into one.
TEST_F(ZipUpdateTest, EscapingNamesAreRefusedAndTheArchiveIsUntouched) {
  WriteFileBytes(path_, test::BuildZip({{"a", "1"}}).bytes);
  const std::string before = ReadFileBytes(path_);
  TZipArchiver zip;
  OpenExisting(zip);
  for (const char16_t* name : {u"../x", u"/etc/passwd", u"\\x", u"C:x", u"a/../../x", u"a\\..\\x", u"..", u""}) {
    try {
      zip.AddFromBuffer(name, "bad");
      FAIL() << WideToUtf8(name);
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), kErrorUnsafeName) << WideToUtf8(name);
    }
  }
  try {
    zip.RenameFile(u"a", u"../a");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), kErrorUnsafeName);
    EXPECT_STREQ(e.what(), "Entry name \"../a\" would leave the folder it belongs in - Native error: 00063");
  }
  EXPECT_EQ(ReadFileBytes(path_), before);
  zip.AddFromBuffer(u"a..b/..c", "fine");
  EXPECT_EQ(zip.DirManager()->Items.Count(), 2);
}

TEST_F(ZipUpdateTest, RenameAndLengthErrors) {
  TZipArchiver zip;
  Create(zip);
  zip.AddFromBuffer(u"a", "1");
  zip.AddFromBuffer(u"b", "2");
  const struct {
    std::function<void()> call;
    int code;
  } rows[] = {
      {[&] { zip.RenameFile(u"none", u"c"); }, 15},
      {[&] { zip.RenameFile(u"a", u"B"); }, 19},
      {[&] { zip.AddFromBuffer(WideString(70000, u'n'), "x"); }, 61},
  };
  for (const auto& row : rows) {
    try {
      row.call();
      FAIL() << row.code;
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), row.code);
    }
  }
  zip.CloseZip();
  try {
    zip.AddFromBuffer(u"c", "3");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 13);
  }
}

TEST_F(ZipUpdateTest, AnArchiveLinkIsWrittenThroughAndKeepsItsPermissions) {
  const fs::path real = dir_ / "real.zip";
  WriteFileBytes(real, test::BuildZip({{"a", "1"}}).bytes);
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(real, path_);
  TZipArchiver zip;
  OpenExisting(zip);
  zip.AddFromBuffer(u"b", "2");
  zip.CloseZip();
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(ReadBack(real).size(), 2u);
}

TEST_F(ZipUpdateTest, InMemoryArchivesCommitToMemory) {
  TZipArchiver zip;
  zip.SetInMemory(true);
  zip.OpenZip(kOpenCreate);
  zip.AddFromBuffer(u"m.txt", "memory");
  EXPECT_EQ(ReadBack(zip), (std::vector<Seen>{{"m.txt", 6, Crc("memory")}}));
}

// More entries than the plain end record counts: 0xFFFF in both of its counts, the real count in the
// ZIP64 end record. Tiny stored entries keep it quick.
TEST_F(ZipUpdateTest, Zip64WithMoreThan65535Entries) {
  constexpr int kCount = 70000;
  const auto start = std::chrono::steady_clock::now();
  TZipArchiver zip;
  zip.Zip64Mode = TZip64Mode::zmAuto;
  zip.SetCompressionMode(0);
  zip.UnicodeFilenames = false;
  Create(zip);
  zip.BeginUpdate();
  char name[16];
  for (int i = 0; i < kCount; ++i) {
    std::snprintf(name, sizeof name, "f%06d", i);
    zip.AddFromBuffer(Utf8ToWide(name), std::string_view(name + 6, 1));
  }
  zip.EndUpdate();
  zip.CloseZip();

  const std::string bytes = ReadFileBytes(path_);
  const auto* end = reinterpret_cast<const std::uint8_t*>(bytes.data() + bytes.size() - TZipEndRecord::kSize);
  const TZipEndRecord record = TZipEndRecord::Parse(end);
  EXPECT_EQ(record.EntriesOnDisk, 0xFFFF);
  EXPECT_EQ(record.TotalEntries, 0xFFFF);
  const TZip64EndRecord zip64 = TZip64EndRecord::Parse(end - TZip64Locator::kSize - TZip64EndRecord::kSize);
  EXPECT_EQ(zip64.Signature, kZip64EndRecordSignature);
  EXPECT_EQ(zip64.TotalEntries, std::uint64_t{kCount});
  EXPECT_EQ(zip64.EntriesOnDisk, std::uint64_t{kCount});

  TZipArchiver reader;
  reader.FileName = Utf8ToWide(path_.string());
  reader.OpenZip(kOpenReadOnly);
  ASSERT_EQ(reader.DirManager()->Items.Count(), kCount);
  TMemoryStream out;
  reader.ExtractEntryToStream(u"f069999", out);
  EXPECT_EQ(std::string(out.Data().begin(), out.Data().end()), "9");
  ASSERT_TRUE(Unzip::Present());
  const ToolRun test = Unzip::Test(path_);
  EXPECT_EQ(test.status, 0) << test.output.substr(0, 2000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
}

// A split archive: volumes of a set size named by the naming table, the last one under the archive's
// own name. Info-ZIP's zip joins them ("zip -s 0") into an archive that unzip and this reader accept.
TEST_F(ZipUpdateTest, SplitArchiveVolumesJoinIntoTheSameArchive) {
  // No entry spans more than two volumes: Info-ZIP's join cuts such an entry short, also in its own
  // split archives.
  const std::map<std::string, std::string> contents = {{"a.bin", Noise(30000, 1)},   {"b.txt", "small"},
                                                       {"c.bin", Noise(50000, 2)},   {"d.bin", Noise(60000, 3)},
                                                       {"e/f.bin", Noise(60000, 4)}, {"g.txt", "g"}};
  TZipArchiver zip;
  zip.SetSpanningMode(TZipSpanningMode::smSplitting);
  zip.SpanningOptions.AdvancedNaming = false;
  zip.SpanningOptions.VolumeSize = TZipVolumeSize::vsCustom;
  zip.SpanningOptions.SetCustomVolumeSize(65536);
  zip.SpanningOptions.FirstVolumeSize = 40000;
  zip.SetCompressionMode(0);
  Create(zip);
  try {
    zip.AddFromBuffer(u"x", "x");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 52);
  }
  std::vector<int> asked;
  zip.OnRequestBlankVolume = [&](TZipBaseArchiver&, int volume, WideString&, bool&) { asked.push_back(volume); };
  zip.BeginUpdate();
  try {
    zip.BeginUpdate();
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 62);
  }
  for (const auto& [name, data] : contents) {
    zip.AddFromBuffer(Utf8ToWide(name), data);
  }
  zip.EndUpdate();
  EXPECT_FALSE(zip.Active());
  EXPECT_EQ(asked, (std::vector<int>{2, 3, 4}));
  const std::vector<std::pair<std::string, std::uint64_t>> volumes = {
      {"out.Z01", 40000}, {"out.Z02", 65536}, {"out.Z03", 65536}};
  fs::create_directories(dir_ / "join");
  for (std::size_t i = 0; i < volumes.size(); ++i) {
    EXPECT_EQ(fs::file_size(dir_ / volumes[i].first), volumes[i].second) << volumes[i].first;
    fs::copy_file(dir_ / volumes[i].first, dir_ / "join" / ("out.z0" + std::to_string(i + 1)));
  }
  EXPECT_LE(fs::file_size(path_), 65536u);
  EXPECT_EQ(ReadFileBytes(dir_ / "out.Z01").substr(0, 4), "PK\x07\x08");
  EXPECT_TRUE(Leftovers().empty());
  fs::copy_file(path_, dir_ / "join" / "out.zip");

  ASSERT_EQ(RunTool("zip -v").status, 0) << "Info-ZIP zip is missing: scripts/install-deps.sh installs it";
  const ToolRun join = RunTool("cd " + Quoted(dir_ / "join") + " && zip -q -s 0 out.zip --out joined.zip");
  ASSERT_EQ(join.status, 0) << join.output;
  const fs::path joined = dir_ / "join" / "joined.zip";
  EXPECT_EQ(Unzip::Test(joined).status, 0) << Unzip::Test(joined).output;
  std::vector<Seen> expected;
  for (const auto& [name, data] : contents) {
    expected.push_back({name, data.size(), Crc(data)});
  }
  EXPECT_EQ(Unzip::List(joined), expected);
  std::map<std::string, std::string> bytes;
  EXPECT_EQ(ReadBack(joined, {}, &bytes), expected);
  for (const auto& [name, data] : contents) {
    EXPECT_EQ(bytes[name], data) << name;
  }
}

TEST_F(ZipUpdateTest, ARefusedVolumeLeavesNoVolumeBehind) {
  TZipArchiver zip;
  zip.SetSpanningMode(TZipSpanningMode::smSplitting);
  zip.SpanningOptions.VolumeSize = TZipVolumeSize::vsCustom;
  zip.SpanningOptions.SetCustomVolumeSize(65536);
  zip.SetCompressionMode(0);
  Create(zip);
  zip.OnRequestBlankVolume = [](TZipBaseArchiver&, int, WideString&, bool& cancel) { cancel = true; };
  zip.BeginUpdate();
  zip.AddFromBuffer(u"big.bin", Noise(100000, 4));
  zip.EndUpdate();
  EXPECT_TRUE(zip.Aborted);
  zip.CloseZip();
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    files.push_back(entry.path().filename().string());
  }
  // What is left is the lone end record that closing gives the still empty archive.
  EXPECT_EQ(files, std::vector<std::string>{"out.zip"});
}

TEST_F(ZipUpdateTest, MultiVolumeWritingThatCannotBeDoneIsRefused) {
  struct Row {
    TZipSpanningMode mode;
    bool inMemory;
    int code;
  };
  for (const Row& row : {Row{TZipSpanningMode::smSpanning, false, kErrorSpanningUnsupported},
                         Row{TZipSpanningMode::smSplitting, true, 51}}) {
    TZipArchiver zip;
    zip.SetSpanningMode(row.mode);
    zip.SetInMemory(row.inMemory);
    Create(zip);
    zip.BeginUpdate();
    zip.AddFromBuffer(u"a", "a");
    try {
      zip.EndUpdate();
      FAIL() << row.code;
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), row.code);
    }
  }
}

}  // namespace
}  // namespace kestrune::zip

namespace kestrune::zip {
namespace {

// Walks an archive as a streaming reader does: local header after local header, each entry's end
// found from its data (deflate's own end, or the sizes in the header), its data descriptor read with
// 8-byte sizes when the local header has a ZIP64 block; ends at the central directory. Returns the
// names in order, or what went wrong.
struct Walk {
  std::vector<std::string> names;
  std::string error;
};

Walk WalkLocalHeaders(const std::string& bytes) {
  Walk walk;
  const auto le16 = [&](std::size_t at) {
    return at + 2 <= bytes.size() ? static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                                               static_cast<std::uint8_t>(bytes[at + 1]) << 8)
                                  : std::uint16_t{0};
  };
  const auto le32 = [&](std::size_t at) { return static_cast<std::uint32_t>(le16(at) | le16(at + 2) << 16); };
  const auto le64 = [&](std::size_t at) { return le32(at) | static_cast<std::uint64_t>(le32(at + 4)) << 32; };
  std::size_t at = le32(0) == 0x08074B50 ? 4 : 0;
  while (le32(at) == 0x04034B50) {
    const std::uint16_t flags = le16(at + 6);
    const std::uint16_t method = le16(at + 8);
    std::uint64_t compressed = le32(at + 18);
    const std::size_t nameLength = le16(at + 26);
    const std::size_t extraLength = le16(at + 28);
    const std::string name = bytes.substr(at + 30, nameLength);
    bool zip64 = false;
    for (std::size_t e = at + 30 + nameLength; e + 4 <= at + 30 + nameLength + extraLength; e += 4 + le16(e + 2)) {
      if (le16(e) == 1) {
        zip64 = true;
        if (compressed == 0xFFFFFFFF) {
          compressed = le64(e + 12);
        }
      }
    }
    const std::size_t data = at + 30 + nameLength + extraLength;
    std::string content;
    if (method == 8) {
      z_stream z{};
      inflateInit2(&z, -15);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + data));
      z.avail_in = static_cast<uInt>(bytes.size() - data);
      char out[65536];
      int status = Z_OK;
      while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = sizeof out;
        status = inflate(&z, Z_NO_FLUSH);
        content.append(out, sizeof out - z.avail_out);
      }
      compressed = z.total_in;
      inflateEnd(&z);
      if (status != Z_STREAM_END) {
        walk.error = name + ": deflate data does not end";
        return walk;
      }
    } else if ((flags & 8) == 0) {
      content = bytes.substr(data, compressed);
    } else {
      walk.error = name + ": stored data of unknown size";
      return walk;
    }
    at = data + compressed;
    if ((flags & 8) != 0) {
      at += le32(at) == 0x08074B50 ? 4 : 0;
      const std::uint64_t size = zip64 ? le64(at + 12) : le32(at + 8);
      if (le32(at) != Crc(content) || size != content.size()) {
        walk.error = name + ": data descriptor does not match the data";
        return walk;
      }
      at += zip64 ? 20 : 12;
    }
    walk.names.push_back(name);
  }
  if (le32(at) != 0x02014B50) {
    walk.error = "no local or central header at " + std::to_string(at);
  }
  return walk;
}

// Archives whose entries carry data descriptors, each renamed and added to here, then read by unzip
// and by a streaming walk.
struct StreamedCase {
  const char* name;
  std::string command;  // makes in.zip in the folder; empty: the checked-in file
  const char* fixture;
};
void PrintTo(const StreamedCase& c, std::ostream* os) { *os << c.name; }

class DescriptorCopyTest : public ZipUpdateTest, public ::testing::WithParamInterface<StreamedCase> {};

TEST_P(DescriptorCopyTest, CopiedEntriesKeepTheirWholeDataDescriptor) {
  const StreamedCase& c = GetParam();
  if (c.fixture != nullptr) {
    fs::copy_file(kestrune::test::TestDataDir() / "zip" / c.fixture, path_);
  } else {
    ASSERT_EQ(RunTool("zip -v").status, 0) << "Info-ZIP zip is missing: scripts/install-deps.sh installs it";
    const ToolRun made = RunTool("cd " + Quoted(dir_.path()) + " && " + c.command + " > out.zip");
    ASSERT_EQ(made.status, 0) << made.output;
  }
  ASSERT_TRUE(WalkLocalHeaders(ReadFileBytes(path_)).error.empty()) << WalkLocalHeaders(ReadFileBytes(path_)).error;
  std::vector<std::string> names;
  {
    TZipArchiver zip;
    OpenExisting(zip);
    const auto& items = zip.DirManager()->Items;
    for (int i = 0; i < items.Count(); ++i) {
      names.push_back(WideToUtf8(items.Item(i).FileName));
    }
    zip.BeginUpdate();
    zip.RenameFile(Utf8ToWide(names.front()), u"renamed.txt");
    zip.AddFromBuffer(u"added.txt", "added after the copied entries");
    zip.CloseZip();
  }
  names.front() = "renamed.txt";
  names.push_back("added.txt");
  const Walk walk = WalkLocalHeaders(ReadFileBytes(path_));
  EXPECT_EQ(walk.error, "");
  EXPECT_EQ(walk.names, names);
  EXPECT_EQ(Unzip::Test(path_).status, 0) << Unzip::Test(path_).output;
  EXPECT_EQ(ReadBack(path_).size(), names.size());
}

const StreamedCase kStreamedCases[] = {
    {"InfoZipFromAPipeWithZip64LocalHeader", "printf 'piped data, piped data' | zip -q - - | cat", nullptr},
    {"InfoZipFromAPipeWithoutZip64", "printf 'piped data, piped data' | zip -q -fz- - - | cat", nullptr},
    {"StreamingWriterWithZip64LocalHeaders", "", "python-streamed-zip64.zip"},
};
INSTANTIATE_TEST_SUITE_P(ZipWriter, DescriptorCopyTest, ::testing::ValuesIn(kStreamedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ZipUpdateTest, CloseZipRaisesAFailedSaveAndLeavesTheArchiveAsItWas) {
  WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}}).bytes);
  const std::string before = ReadFileBytes(path_);
  TZipArchiver zip;
  OpenExisting(zip);
  zip.SetCompressionMode(0);
  zip.BeginUpdate();
  zip.AddFromBuffer(u"big.bin", Noise(200000, 7));
  try {
    kestrune::test::ScopedFileSizeLimit limit(50000);
    zip.CloseZip();
    FAIL() << "a save that could not be written was reported as done";
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 46);
  }
  EXPECT_FALSE(zip.Active());
  EXPECT_EQ(ReadFileBytes(path_), before);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ZipUpdateTest, ANewArchiveThatCannotBeWrittenLeavesNoFile) {
  TZipArchiver zip;
  zip.SetCompressionMode(0);
  Create(zip);
  zip.BeginUpdate();
  zip.AddFromBuffer(u"big.bin", Noise(200000, 8));
  EXPECT_THROW(
      {
        kestrune::test::ScopedFileSizeLimit limit(50000);
        zip.CloseZip();
      },
      EZipException);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ZipUpdateTest, OverallProgressRisesFromNothingToAll) {
  TZipArchiver zip;
  Create(zip);
  std::vector<std::pair<TZipProgressPhase, double>> seen;
  zip.OnOverallProgress = [&](TZipBaseArchiver&, double progress, TZipProcessOperation, TZipProgressPhase phase,
                              bool&) { seen.emplace_back(phase, progress); };
  zip.BeginUpdate();
  for (const char16_t* name : {u"a.bin", u"b.bin", u"c.bin", u"d.bin"}) {
    zip.AddFromBuffer(name, Noise(1000, 1));
  }
  zip.EndUpdate();
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen.front(), std::make_pair(TZipProgressPhase::ppStart, 0.0));
  const std::vector<double> process = {seen[1].second, seen[2].second, seen[3].second, seen[4].second};
  EXPECT_EQ(process, (std::vector<double>{0, 25, 50, 75}));
  EXPECT_EQ(seen.back(), std::make_pair(TZipProgressPhase::ppEnd, 100.0));
}

TEST_F(ZipUpdateTest, OnlyALetterAndAColonMakeADrive) {
  struct Row {
    const char16_t* name;
    bool accepted;
  };
  TZipArchiver zip;
  Create(zip);
  for (const Row& row : {Row{u"1:2.txt", true}, Row{u"::x", true}, Row{u"C:x.txt", false}, Row{u"z:/x", false}}) {
    try {
      zip.AddFromBuffer(row.name, "x");
      EXPECT_TRUE(row.accepted) << WideToUtf8(row.name);
    } catch (const EZipException& e) {
      EXPECT_FALSE(row.accepted) << WideToUtf8(row.name);
      EXPECT_EQ(e.ErrorCode(), kErrorUnsafeName);
    }
  }
  zip.BaseDir = Utf8ToWide((dir_ / "out").string());
  EXPECT_EQ(zip.ExtractFiles(u"*"), 2);
  EXPECT_EQ(ReadFileBytes(dir_ / "out" / "1:2.txt"), "x");
}

TEST_F(ZipUpdateTest, AnEmptySplitArchiveIsALoneEndRecord) {
  TZipArchiver zip;
  zip.SetSpanningMode(TZipSpanningMode::smSplitting);
  zip.SpanningOptions.VolumeSize = TZipVolumeSize::vsCustom;
  zip.SpanningOptions.SetCustomVolumeSize(65536);
  Create(zip);
  zip.CloseZip();
  EXPECT_EQ(ReadFileBytes(path_), test::BuildZip({}).bytes);
}

TEST_F(ZipUpdateTest, ACommentThatReadsAsAnEndRecordIsRefusedAndTheRealEndRecordIsFound) {
  const std::string fake = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  test::BuildOptions options;
  options.comment = fake;
  WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}, {"two.txt", "2"}}, options).bytes);
  TZipArchiver zip;
  OpenExisting(zip);
  EXPECT_EQ(zip.DirManager()->Items.Count(), 2);
  EXPECT_EQ(zip.DirManager()->Comment, fake);
  zip.AddFromBuffer(u"three.txt", "3");
  EXPECT_EQ(zip.DirManager()->Items.Count(), 3);
  const std::string before = ReadFileBytes(path_);
  try {
    zip.SetArchiveComment("notes " + fake);
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), kErrorCommentHidesEnd);
  }
  zip.CloseZip();
  EXPECT_EQ(ReadFileBytes(path_), before);
  EXPECT_EQ(ReadBack(path_).size(), 3u);
}

TEST_F(ZipUpdateTest, PipesAndDevicesAreRefusedAsSources) {
  WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}}).bytes);
  const std::string before = ReadFileBytes(path_);
  const fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  TZipArchiver zip;
  OpenExisting(zip);
  for (const fs::path& source : {fifo, fs::path("/dev/zero")}) {
    try {
      zip.AddFile(Utf8ToWide(source.string()), u"x");
      FAIL() << source;
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), kErrorNotRegularFile);
    }
  }
  zip.CloseZip();
  EXPECT_EQ(ReadFileBytes(path_), before);
}

TEST_F(ZipUpdateTest, AGrowingSourceIsTakenAtTheSizeItHadWhenAdded) {
  const std::string first = Noise(300000, 2);
  const fs::path log = Source("growing.log", first);
  TZipArchiver zip;
  Create(zip);
  zip.BeginUpdate();
  zip.AddFile(Utf8ToWide(log.string()), u"growing.log");
  zip.OnFileProgress = [&](TZipBaseArchiver&, const WideString&, double, TZipProcessOperation, TZipProgressPhase,
                           bool&) { std::ofstream(log, std::ios::app | std::ios::binary) << Noise(100000, 3); };
  zip.EndUpdate();
  std::map<std::string, std::string> bytes;
  ReadBack(zip, &bytes);
  EXPECT_EQ(bytes["growing.log"], first);
}

TEST_F(ZipUpdateTest, LeftoversOfAKilledCommitAreRemovedByTheNext) {
  WriteFileBytes(dir_ / "FCa1B2c3.tmp", "left by a commit that was killed");
  WriteFileBytes(dir_ / "FCd4E5f6.tmp", "being written by another commit");
  WriteFileBytes(dir_ / "FCnotes.tmp", "the user's own");
  const int busy = ::open((dir_ / "FCd4E5f6.tmp").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(busy, LOCK_EX), 0);
  TZipArchiver zip;
  Create(zip);
  zip.AddFromBuffer(u"a.txt", "a");
  ::close(busy);
  EXPECT_FALSE(fs::exists(dir_ / "FCa1B2c3.tmp"));
  EXPECT_TRUE(fs::exists(dir_ / "FCd4E5f6.tmp"));
  EXPECT_TRUE(fs::exists(dir_ / "FCnotes.tmp"));
}

// The system's temporary folder (TempDir empty) is every program's: only the files of commits whose
// process no longer runs are removed there.
TEST_F(ZipUpdateTest, AKilledCommitsFileInTheSystemTempFolderIsRemovedByTheNext) {
  const fs::path system = dir_ / "tmp";
  fs::create_directories(system);
  const char* old = std::getenv("TMPDIR");
  const std::optional<std::string> saved = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
  ::setenv("TMPDIR", system.c_str(), 1);
  const std::vector<std::string> others = {"FCa1B2c3.tmp", "FC1-a1B2c3.tmp", "FCnotes.tmp"};
  for (const std::string& name : others) {
    WriteFileBytes(system / name, "not a leftover of a commit known to be dead");
  }
  const pid_t child = ::fork();
  if (child == 0) {
    TZipArchiver zip;
    zip.FileName = Utf8ToWide(path_.string());
    zip.OpenZip(kOpenCreate);
    zip.OnFileProgress = [](TZipBaseArchiver&, const WideString&, double, TZipProcessOperation, TZipProgressPhase,
                            bool&) { ::kill(::getpid(), SIGKILL); };
    zip.AddFromBuffer(u"big.bin", Noise(300000, 3));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  std::vector<std::string> leftovers;
  for (const auto& entry : fs::directory_iterator(system)) {
    leftovers.push_back(entry.path().filename().string());
  }
  const std::string killed = "FC" + std::to_string(child) + "-";
  ASSERT_EQ(std::count_if(leftovers.begin(), leftovers.end(),
                          [&](const std::string& name) { return name.rfind(killed, 0) == 0; }),
            1);

  TZipArchiver zip;
  zip.FileName = Utf8ToWide((dir_ / "next.zip").string());
  zip.OpenZip(kOpenCreate);
  zip.AddFromBuffer(u"a.txt", "a");
  zip.CloseZip();
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(system)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = others;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  if (saved) {
    ::setenv("TMPDIR", saved->c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

TEST_F(ZipUpdateTest, AnArchiveChangedByAnotherProgramIsNotOverwritten) {
  struct Row {
    const char* name;
    std::function<void(const fs::path&)> change;
  };
  const Row rows[] = {
      {"replaced",
       [](const fs::path& path) {
         WriteFileBytes(path.string() + ".new", test::BuildZip({{"theirs.txt", "theirs"}}).bytes);
         fs::rename(path.string() + ".new", path);
       }},
      {"appended to", [](const fs::path& path) { std::ofstream(path, std::ios::app) << "more"; }},
  };
  for (const Row& row : rows) {
    WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}}).bytes);
    TZipArchiver zip;
    OpenExisting(zip);
    row.change(path_);
    const std::string theirs = ReadFileBytes(path_);
    try {
      zip.AddFromBuffer(u"mine.txt", "mine");
      FAIL() << row.name;
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), kErrorArchiveChanged) << row.name;
      EXPECT_NE(std::string(e.what()).find("another program"), std::string::npos) << e.what();
    }
    zip.CloseZip();
    EXPECT_EQ(ReadFileBytes(path_), theirs) << row.name;
  }
}

}  // namespace
}  // namespace kestrune::zip

namespace kestrune::zip {
namespace {

// A split archive as Info-ZIP's zip makes it ("zip -s 64k"): out.z01, out.z02, out.zip.
std::map<std::string, std::string> MakeInfoZipSplit(const fs::path& folder) {
  const std::map<std::string, std::string> contents = {
      {"a.bin", Noise(100000, 11)}, {"b.bin", Noise(70000, 12)}, {"c.txt", "small"}};
  for (const auto& [name, data] : contents) {
    WriteFileBytes(folder / name, data);
  }
  const ToolRun run = RunTool("cd " + Quoted(folder) + " && zip -q -s 64k out.zip a.bin b.bin c.txt");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const auto& [name, data] : contents) {
    fs::remove(folder / name);
  }
  return contents;
}

// Writes the entries stored, as a split archive of 64 KiB volumes, with the archiver set up by setup.
void WriteSplit(const fs::path& archive, const std::map<std::string, std::string>& contents,
                const std::function<void(TZipArchiver&)>& setup) {
  TZipArchiver zip;
  zip.SetSpanningMode(TZipSpanningMode::smSplitting);
  zip.SpanningOptions.VolumeSize = TZipVolumeSize::vsCustom;
  zip.SpanningOptions.SetCustomVolumeSize(65536);
  zip.SetCompressionMode(0);
  setup(zip);
  zip.FileName = Utf8ToWide(archive.string());
  zip.TempDir = Utf8ToWide(archive.parent_path().string());
  zip.OpenZip(kOpenCreate);
  zip.BeginUpdate();
  for (const auto& [name, data] : contents) {
    zip.AddFromBuffer(Utf8ToWide(name), data);
  }
  zip.EndUpdate();
}

void ExpectReadsBack(const fs::path& archive, const std::map<std::string, std::string>& contents) {
  TZipArchiver zip;
  zip.FileName = Utf8ToWide(archive.string());
  zip.OpenZip(kOpenReadOnly);
  std::map<std::string, std::string> bytes;
  const std::vector<Seen> seen = ReadBack(zip, &bytes);
  EXPECT_EQ(bytes, contents);
  EXPECT_EQ(seen.size(), contents.size());
  TZipArchiveItem item;
  EXPECT_TRUE(zip.FindFirstEntry(u"b.*", item, faAnyFile));
  EXPECT_EQ(item.UncompressedSize, contents.at("b.bin").size());
}

TEST_F(ZipUpdateTest, InfoZipSplitArchivesOpenByTheirLastVolume) {
  ASSERT_EQ(RunTool("zip -v").status, 0) << "Info-ZIP zip is missing: scripts/install-deps.sh installs it";
  const auto contents = MakeInfoZipSplit(dir_.path());
  ASSERT_TRUE(fs::exists(dir_ / "out.z02"));
  ExpectReadsBack(path_, contents);
}

class OwnSplitArchiveTest : public ZipUpdateTest, public ::testing::WithParamInterface<bool> {};

TEST_P(OwnSplitArchiveTest, OpensByItsLastVolumeWhicheverNamingItWasWrittenWith) {
  const std::map<std::string, std::string> contents = {
      {"a.bin", Noise(30000, 1)}, {"b.bin", Noise(120000, 2)}, {"c/d.txt", "small"}};
  WriteSplit(path_, contents, [](TZipArchiver& zip) { zip.SpanningOptions.AdvancedNaming = GetParam(); });
  ASSERT_TRUE(fs::exists(dir_ / (GetParam() ? "out_002.zip" : "out.Z02")));
  ExpectReadsBack(path_, contents);
}
INSTANTIATE_TEST_SUITE_P(ZipReader, OwnSplitArchiveTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "AdvancedNaming" : "PlainNaming"; });

TEST_F(ZipUpdateTest, AMissingMiddleVolumeRaisesItsEventAndThenError45) {
  ASSERT_EQ(RunTool("zip -v").status, 0) << "Info-ZIP zip is missing: scripts/install-deps.sh installs it";
  MakeInfoZipSplit(dir_.path());
  fs::remove(dir_ / "out.z02");
  for (const bool handler : {true, false}) {
    TZipArchiver zip;
    zip.Name = "romzipper";
    zip.FileName = Utf8ToWide(path_.string());
    std::vector<std::string> asked;
    if (handler) {
      zip.OnRequestFirstVolume = [&](TZipBaseArchiver&, WideString& name, bool& cancel) {
        asked.push_back("first " + WideToUtf8(name) + (cancel ? " cancel" : ""));
      };
      zip.OnRequestMiddleVolume = [&](TZipBaseArchiver&, int volume, WideString& name, bool& cancel) {
        asked.push_back(std::to_string(volume) + " " + WideToUtf8(name));
        cancel = !fs::exists(NativeFileName(name));
      };
    }
    try {
      zip.OpenZip(kOpenReadOnly);
      FAIL() << "opened without its middle volume";
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), 45);
      EXPECT_STREQ(e.what(),
                   "romzipper: Cannot open archive file. Opening aborted or invalid file - Native error: 00045");
    }
    EXPECT_FALSE(zip.Active());
    if (handler) {
      EXPECT_EQ(asked, (std::vector<std::string>{"first " + (dir_ / "out.z01").string(),
                                                 "2 " + (dir_ / "out_002.zip").string()}));
    }
  }
}

struct NamingCase {
  const char* name;
  std::vector<std::string> files;  // in the folder
  bool advanced;
  int volume;
  bool last;
  const char* expected;
};
void PrintTo(const NamingCase& c, std::ostream* os) { *os << c.name; }

class ExistingVolumeNameTest : public ::testing::TestWithParam<NamingCase> {};

TEST_P(ExistingVolumeNameTest, FindsTheVolumeThatIsThere) {
  const NamingCase& c = GetParam();
  kestrune::test::TempDir dir;
  for (const std::string& file : c.files) {
    WriteFileBytes(dir / file, "v");
  }
  TZipArchiver zip;
  zip.SetSpanningMode(TZipSpanningMode::smSplitting);
  zip.SpanningOptions.AdvancedNaming = c.advanced;
  zip.FileName = Utf8ToWide((dir / "x.zip").string());
  EXPECT_EQ(WideToUtf8(zip.ExistingVolumeName(c.volume, c.last)), (dir / c.expected).string());
}

const NamingCase kNamingCases[] = {
    {"AdvancedAsNamed", {"x_002.zip", "x.Z02"}, true, 1, false, "x_002.zip"},
    {"PlainAsNamed", {"x_002.zip", "x.Z02"}, false, 1, false, "x.Z02"},
    {"PlainWhenAdvancedIsMissing", {"x.Z02"}, true, 1, false, "x.Z02"},
    {"AdvancedWhenPlainIsMissing", {"x_002.zip"}, false, 1, false, "x_002.zip"},
    {"InfoZipsLowerCase", {"x.z01"}, true, 0, false, "x.z01"},
    {"SelfExtractingFirstVolume", {"x.exe"}, true, 0, false, "x.exe"},
    {"NeitherThereKeepsTheTablesName", {}, true, 2, false, "x_003.zip"},
    {"LastIsTheArchivesOwnName", {"x.zip"}, true, 5, true, "x.zip"},
};
INSTANTIATE_TEST_SUITE_P(ZipReader, ExistingVolumeNameTest, ::testing::ValuesIn(kNamingCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The disk-full event: its numbers, a handler that makes room and has the write go on, and the default
// that stops the commit with the old archive whole.
TEST_F(ZipUpdateTest, AFullDiskAsksTheDiskFullEvent) {
  WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}}).bytes);
  const std::string before = ReadFileBytes(path_);
  for (const bool makeRoom : {false, true}) {
    TZipArchiver zip;
    OpenExisting(zip);
    zip.SetCompressionMode(0);
    std::optional<kestrune::test::ScopedFileSizeLimit> limit;
    std::vector<std::pair<int, std::string>> asked;
    zip.OnDiskFull = [&](TZipBaseArchiver&, int volume, const WideString& name, bool& cancel) {
      asked.emplace_back(volume, WideToUtf8(name));
      EXPECT_FALSE(cancel);
      cancel = !makeRoom;
      limit.reset();
    };
    zip.BeginUpdate();
    zip.AddFromBuffer(u"big.bin", Noise(200000, 6));
    limit.emplace(50000);
    try {
      zip.EndUpdate();
      EXPECT_TRUE(makeRoom);
      EXPECT_EQ(ReadBack(zip).size(), 2u);
    } catch (const EZipException& e) {
      EXPECT_FALSE(makeRoom);
      EXPECT_EQ(e.ErrorCode(), 46);
      EXPECT_EQ(ReadFileBytes(path_), before);
    }
    limit.reset();
    EXPECT_EQ(asked, (std::vector<std::pair<int, std::string>>{{1, path_.string()}}));
    EXPECT_TRUE(Leftovers().empty());
  }
}

// A new archive that cannot be written: each failure asks the disk-full event once, also when the
// archive is closed after a failed entry and the component destroyed, and no file is left behind.
TEST_F(ZipUpdateTest, AFullDiskAsksOncePerFailureOfANewArchive) {
  for (const bool addFirst : {false, true}) {
    for (const bool systemTemp : {false, true}) {
      fs::remove(path_);
      int asked = 0;
      std::vector<int> codes;
      {
        TZipArchiver zip;
        zip.SetCompressionMode(0);
        Create(zip);
        if (systemTemp) zip.TempDir.clear();
        zip.OnDiskFull = [&](TZipBaseArchiver&, int, const WideString&, bool& cancel) {
          ++asked;
          cancel = true;
        };
        kestrune::test::ScopedFileSizeLimit limit(10);  // not even the end record fits
        const auto failure = [&](const std::function<void()>& step) {
          try {
            step();
          } catch (const EZipException& e) {
            codes.push_back(e.ErrorCode());
          }
        };
        if (addFirst) failure([&] { zip.AddFromBuffer(u"big.bin", Noise(20000, 4)); });
        failure([&] { zip.CloseZip(); });
        failure([&] { zip.CloseZip(); });
      }
      EXPECT_EQ(codes, std::vector<int>(addFirst ? 2 : 1, 46)) << addFirst << systemTemp;
      EXPECT_EQ(asked, static_cast<int>(codes.size())) << addFirst << systemTemp;
      EXPECT_FALSE(fs::exists(path_)) << addFirst << systemTemp;
      EXPECT_TRUE(Leftovers().empty()) << addFirst << systemTemp;
    }
  }
}

TEST_F(ZipUpdateTest, AFullDiskWhileSplittingNamesTheVolume) {
  TZipArchiver zip;
  zip.SetSpanningMode(TZipSpanningMode::smSplitting);
  zip.SpanningOptions.VolumeSize = TZipVolumeSize::vsCustom;
  zip.SpanningOptions.SetCustomVolumeSize(65536);
  zip.SpanningOptions.FirstVolumeSize = 40000;
  zip.SetCompressionMode(0);
  Create(zip);
  std::vector<std::pair<int, std::string>> asked;
  zip.OnDiskFull = [&](TZipBaseArchiver&, int volume, const WideString& name, bool& cancel) {
    asked.emplace_back(volume, WideToUtf8(name));
    cancel = true;
  };
  zip.BeginUpdate();
  zip.AddFromBuffer(u"big.bin", Noise(150000, 6));
  {
    kestrune::test::ScopedFileSizeLimit limit(50000);
    EXPECT_THROW(zip.EndUpdate(), EZipException);
  }
  EXPECT_EQ(asked, (std::vector<std::pair<int, std::string>>{{2, (dir_ / "out_002.zip").string()}}));
  EXPECT_TRUE(Leftovers().empty());
}

// A folder on a file system of its own (a small tmpfs), or nothing where none can be mounted.
class ScopedTmpfs {
 public:
  explicit ScopedTmpfs(fs::path folder) : folder_(std::move(folder)) {
    fs::create_directories(folder_);
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=4m,mode=1777") == 0;
  }
  ~ScopedTmpfs() {
    if (mounted_) {
      ::umount2(folder_.c_str(), MNT_DETACH);
    }
  }
  ScopedTmpfs(const ScopedTmpfs&) = delete;
  ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;
  bool Mounted() const { return mounted_; }

 private:
  fs::path folder_;
  bool mounted_ = false;
};

// Has folder permissions bind this process even when it runs as root, whose capabilities override them.
class ScopedPermissionsBind {
 public:
  ScopedPermissionsBind() {
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    if (::syscall(SYS_capget, &header_, saved_) != 0) {
      return;
    }
    __user_cap_data_struct bound[2] = {saved_[0], saved_[1]};
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
      bound[cap / 32].effective &= ~(1u << (cap % 32));
    }
    changed_ = ::syscall(SYS_capset, &header_, bound) == 0;
  }
  ~ScopedPermissionsBind() {
    if (changed_) {
      ::syscall(SYS_capset, &header_, saved_);
    }
  }
  ScopedPermissionsBind(const ScopedPermissionsBind&) = delete;
  ScopedPermissionsBind& operator=(const ScopedPermissionsBind&) = delete;

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool changed_ = false;
};

TEST_F(ZipUpdateTest, ATempDirOnAnotherFileSystemIsCopiedBesideTheArchiveBeforeTheRename) {
  ScopedTmpfs tmpfs(dir_ / "tmpfs");
  if (!tmpfs.Mounted()) {
    GTEST_SKIP() << "no tmpfs can be mounted here (needs root): the other file system is not tried";
  }
  WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}}).bytes);
  TZipArchiver zip;
  OpenExisting(zip);
  zip.TempDir = Utf8ToWide((dir_ / "tmpfs").string());
  zip.AddFromBuffer(u"two.txt", "2");
  EXPECT_EQ(ReadBack(path_).size(), 2u);
  EXPECT_EQ(Unzip::Test(path_).status, 0);
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_TRUE(fs::is_empty(dir_ / "tmpfs"));
}

TEST_F(ZipUpdateTest, AnArchiveFolderThatCannotTakeTheCopyIsAClearErrorAndTheArchiveStays) {
  ScopedTmpfs tmpfs(dir_ / "tmpfs");
  if (!tmpfs.Mounted()) {
    GTEST_SKIP() << "no tmpfs can be mounted here (needs root): the other file system is not tried";
  }
  const fs::path folder = dir_ / "readonly";
  fs::create_directories(folder);
  path_ = folder / "roms.zip";
  WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}}).bytes);
  fs::permissions(path_, fs::perms::all);
  const std::string before = ReadFileBytes(path_);
  TZipArchiver zip;
  OpenExisting(zip);
  zip.TempDir = Utf8ToWide((dir_ / "tmpfs").string());
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  try {
    ScopedPermissionsBind bound;
    zip.AddFromBuffer(u"two.txt", "2");
    FAIL() << "the archive was replaced through a read-only folder";
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 23) << e.what();
    EXPECT_NE(std::string(e.what()).find(folder.string()), std::string::npos) << e.what();
  }
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(path_), before);
  EXPECT_TRUE(fs::is_empty(dir_ / "tmpfs"));
  EXPECT_EQ(ReadBack(zip).size(), 1u);
}

}  // namespace
}  // namespace kestrune::zip

namespace kestrune::zip {
namespace {

// A self-extracting split archive opens by its first volume (the last is asked for by its event) and
// by its last.
TEST_F(ZipUpdateTest, ASelfExtractingSplitArchiveOpensByEitherEnd) {
  const std::map<std::string, std::string> contents = {{"a.bin", Noise(90000, 4)}, {"b.bin", Noise(60000, 5)}};
  WriteFileBytes(dir_ / "stub.bin", "MZ a self-extractor stub");
  WriteSplit(path_, contents, [&](TZipArchiver& zip) { zip.SFXStub = Utf8ToWide((dir_ / "stub.bin").string()); });
  ASSERT_TRUE(fs::exists(dir_ / "out.exe"));
  ASSERT_TRUE(fs::exists(dir_ / "out_002.zip"));
  ASSERT_TRUE(fs::exists(dir_ / "out.ZIP"));
  ExpectReadsBack(dir_ / "out.ZIP", contents);

  TZipArchiver zip;
  zip.FileName = Utf8ToWide((dir_ / "out.exe").string());
  std::vector<std::string> asked;
  zip.OnRequestLastVolume = [&](TZipBaseArchiver&, WideString& name, bool&) { asked.push_back(WideToUtf8(name)); };
  zip.OpenZip(kOpenReadOnly);
  EXPECT_EQ(asked, std::vector<std::string>{(dir_ / "out.ZIP").string()});
  std::map<std::string, std::string> bytes;
  ReadBack(zip, &bytes);
  EXPECT_EQ(bytes, contents);
  zip.CloseZip();

  fs::remove(dir_ / "out.ZIP");
  zip.OnRequestLastVolume = nullptr;
  try {
    zip.OpenZip(kOpenReadOnly);
    FAIL() << "opened without its last volume";
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 45);
  }
}

}  // namespace
}  // namespace kestrune::zip

namespace kestrune::zip {
namespace {

TEST_F(ZipUpdateTest, AnOldEntryWhoseDataRunsPastTheArchiveIsError7) {
  test::BuiltArchive built = test::BuildZip({{"one.txt", "1"}, {"two.txt", "2"}});
  test::PatchLE32(built.bytes, built.centralHeaders[1] + 20, 1000000);  // compressed size
  WriteFileBytes(path_, built.bytes);
  TZipArchiver zip;
  OpenExisting(zip);
  try {
    zip.RenameFile(u"one.txt", u"first.txt");
    FAIL();
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 7);
  }
  EXPECT_EQ(ReadFileBytes(path_), built.bytes);
  EXPECT_TRUE(Leftovers().empty());
}

// The local header of a moved entry past the end of the archive, or cut short by it.
TEST_F(ZipUpdateTest, AnOldEntryWhoseLocalHeaderRunsPastTheArchiveIsError7) {
  const std::vector<test::BuildEntry> entries = {{"one.txt", "1"}, {"two.txt", "2"}};
  const auto size = static_cast<std::uint32_t>(test::BuildZip(entries).bytes.size());
  for (const std::uint32_t offset : {size - 10, 0x7FFFFFF0u}) {
    test::BuiltArchive built = test::BuildZip(entries);
    test::PatchLE32(built.bytes, built.centralHeaders[1] + 42, offset);
    WriteFileBytes(path_, built.bytes);
    TZipArchiver zip;
    OpenExisting(zip);
    try {
      zip.RenameFile(u"two.txt", u"second.txt");
      ADD_FAILURE() << "renamed an entry whose local header is at " << offset;
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), 7) << offset;
    }
    zip.CloseZip();
    EXPECT_EQ(ReadFileBytes(path_), built.bytes);
    EXPECT_TRUE(Leftovers().empty());
  }
}

// Moving a folder moves what it holds and removes it; a source that cannot be removed is refused before
// the commit, and one that still cannot be removed after it is told to OnProcessFileFailure, the commit
// standing.
TEST_F(ZipUpdateTest, AMovedFolderTakesItsFilesAndIsRemoved) {
  const fs::path folder = Source("folder/a.txt", "alpha").parent_path();
  Source("folder/sub/b.txt", "bravo");
  TZipArchiver zip;
  Create(zip);
  zip.MoveFile(Utf8ToWide(folder.string()), u"kept");
  EXPECT_FALSE(fs::exists(folder));
  std::vector<Seen> seen = ReadBack(zip);
  std::sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.name < b.name; });
  EXPECT_EQ(
      seen,
      (std::vector<Seen>{
          {"kept/", 0, 0}, {"kept/a.txt", 5, Crc("alpha")}, {"kept/sub/", 0, 0}, {"kept/sub/b.txt", 5, Crc("bravo")}}));
  EXPECT_TRUE(zip.DirManager()->Items.Item(0).IsDirectory());

  // The folder holding it cannot be changed: error 60 and nothing written or removed.
  const fs::path locked = Source("locked/c/c.txt", "charlie").parent_path();
  const std::string before = ReadFileBytes(path_);
  fs::permissions(locked.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
  {
    ScopedPermissionsBind bound;
    try {
      zip.MoveFile(Utf8ToWide(locked.string()), u"c");
      ADD_FAILURE() << "a folder that cannot be removed was moved";
    } catch (const EZipException& e) {
      EXPECT_EQ(e.ErrorCode(), 60);
    }
  }
  fs::permissions(locked.parent_path(), fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(path_), before);
  EXPECT_TRUE(fs::exists(locked / "c.txt"));

  // Something put into the folder while the commit ran keeps it from being removed afterwards.
  std::vector<std::pair<std::string, int>> failures;
  zip.OnProcessFileFailure = [&](TZipBaseArchiver&, const WideString& name, TZipProcessOperation operation, int,
                                 int code, const WideString&, TZipAction&) {
    EXPECT_EQ(operation, TZipProcessOperation::poMove);
    failures.emplace_back(WideToUtf8(name), code);
  };
  zip.OnOverallProgress = [&](TZipBaseArchiver&, double, TZipProcessOperation, TZipProgressPhase phase, bool&) {
    if (phase == TZipProgressPhase::ppEnd) WriteFileBytes(locked / "late.txt", "late");
  };
  EXPECT_NO_THROW(zip.MoveFile(Utf8ToWide(locked.string()), u"c"));
  EXPECT_EQ(failures, (std::vector<std::pair<std::string, int>>{{locked.string(), 60}}));
  EXPECT_TRUE(fs::exists(locked / "late.txt"));
  EXPECT_FALSE(fs::exists(locked / "c.txt"));
  EXPECT_EQ(ReadBack(zip).size(), 6u);
}

TEST_F(ZipUpdateTest, ATemporaryFileThatCannotBeDeletedIsError27) {
  WriteFileBytes(path_, test::BuildZip({{"one.txt", "1"}}).bytes);
  const std::string before = ReadFileBytes(path_);
  const fs::path temp = dir_ / "temp";
  fs::create_directories(temp);
  TZipArchiver zip;
  OpenExisting(zip);
  zip.TempDir = Utf8ToWide(temp.string());
  zip.OnOverallProgress = [&](TZipBaseArchiver&, double, TZipProcessOperation, TZipProgressPhase phase, bool& cancel) {
    if (phase == TZipProgressPhase::ppProcess) {
      fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_exec);
      cancel = true;
    }
  };
  try {
    ScopedPermissionsBind bound;
    zip.AddFromBuffer(u"two.txt", "2");
    FAIL() << "a temporary file left behind was not reported";
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 27);
    EXPECT_NE(std::string(e.what()).find(temp.string() + "/FC"), std::string::npos) << e.what();
  }
  fs::permissions(temp, fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(path_), before);
}

}  // namespace
}  // namespace kestrune::zip
