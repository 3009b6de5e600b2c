#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "zip/zip_archiver.h"
#include "zip/zip_builder.h"

namespace kestrune::zip {
namespace {

using test::BuildEntry;
using test::BuildZip;
using test::Crc32Of;
using test::DeflatedEntry;
using test::PatchLE16;
using test::PatchLE32;
using test::RawDeflate;

std::string Hex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

// Archives written by Info-ZIP 3.0 ("zip -P sesame") and Python's zipfile, kept here byte for byte.
// enc.zip
const std::string kInfoZipEncryptedStored =
    Hex("504b03040a0009000000ec24875d0349c89e260000001a0000000a001c007365637265742e74787455540900037b3816"
        "6b7b38166b75780b000104000000000400000000b18b717d8d454d65a78e5771e03494e7f0870f7d0d8c728279296212"
        "5d911a41379058589c33504b07080349c89e260000001a000000504b01021e030a0009000000ec24875d0349c89e2600"
        "00001a0000000a0018000000000000000000a481000000007365637265742e74787455540500037b38166b75780b0001"
        "04000000000400000000504b05060000000001000100500000007a0000000000");
// encd.zip
const std::string kInfoZipEncryptedDeflated =
    Hex("504b030414000b000800ec24875d0674db562e0000003002000006001c0064642e74787455540900037b38166b7b3816"
        "6b75780b0001040000000004000000000cca01dbe044cc548ad22d849e713fb887b46cd9120b70d7d3b2369b7c723f25"
        "2ad3e053eebedba84d06d8d98f38504b07080674db562e00000030020000504b01021e0314000b000800ec24875d0674"
        "db562e00000030020000060018000000000001000000a4810000000064642e74787455540500037b38166b75780b0001"
        "04000000000400000000504b050600000000010001004c0000007e0000000000");
// bz.zip
const std::string kPythonBzip2 =
    Hex("504b03042e0000000c00eb24875d512f9a493d0000007800000005000000612e747874425a6839314159265359e8826a"
        "ad00001d9980400010001264c010200020a551a327a8400c389da7c9a4da74989c4c262627e2ee48a70a121d104d55a0"
        "504b01022e032e0000000c00eb24875d512f9a493d00000078000000050000000000000000000000800100000000612e"
        "747874504b0506000000000100010033000000600000000000");
// lz.zip
const std::string kPythonLzma =
    Hex("504b03043f0002000e00eb24875da54c1572210000006e00000005000000612e747874090405005d0000800000341949"
        "ee8de9148a6aa5d6bc54ebd56783ffffd1c70000504b01023f033f0002000e00eb24875da54c1572210000006e000000"
        "050000000000000000000000800100000000612e747874504b0506000000000100010033000000440000000000");

const char kSecretText[] = "Kestrune secret ROM bytes\n";

std::string AsText(const TMemoryStream& stream) { return std::string(stream.Data().begin(), stream.Data().end()); }

// Bytes that deflate does not shrink much, so that large entries span several read chunks.
std::string NoisyBytes(std::size_t size) {
  std::string out(size, '\0');
  std::uint32_t state = 12345;
  for (char& c : out) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>((state >> 16) & 0x3F);
  }
  return out;
}

class ZipExtractTest : public ::testing::Test {
 protected:
  void Open(const std::string& bytes, TZipBaseArchiver& zip) {
    kestrune::test::WriteFileBytes(path_, bytes);
    zip.FileName = Utf8ToWide(path_.string());
    zip.OpenZip(kOpenReadOnly);
  }
  void Open(const std::string& bytes) { Open(bytes, zip_); }
  void Open(const std::vector<BuildEntry>& entries) { Open(BuildZip(entries).bytes); }

  std::string Extract(int index) {
    TMemoryStream out;
    zip_.ExtractEntryByIndex(index, out);
    return AsText(out);
  }
  // The error code extracting raises (0: none, -1: a stream error), and what was written before it.
  int ErrorOf(int index, TZipBaseArchiver& zip, std::string* written = nullptr) {
    TMemoryStream out;
    int code = 0;
    try {
      zip.ExtractEntryByIndex(index, out);
    } catch (const EZipException& e) {
      code = e.ErrorCode();
    } catch (const EStreamError&) {
      code = -1;
    }
    if (written != nullptr) {
      *written = AsText(out);
    }
    return code;
  }
  int ErrorOf(int index, std::string* written = nullptr) { return ErrorOf(index, zip_, written); }

  kestrune::test::TempDir dir_;
  std::filesystem::path path_ = dir_ / "extract.zip";
  TZipArchiver zip_;
};

TEST_F(ZipExtractTest, EntriesComeOutAsTheirOriginalBytes) {
  const std::string big = NoisyBytes(3 * 1024 * 1024 + 17);
  const std::string repetitive(2 * 1024 * 1024 + 5, 'r');
  const std::string withZero("stored bytes\0with a zero", 24);
  const std::vector<std::pair<BuildEntry, std::string>> cases = {
      {BuildEntry("stored.bin", withZero), withZero},
      {BuildEntry("empty.bin", ""), ""},
      {BuildEntry("folder/", "", 0, 20, {}, {}, 0x10), ""},
      {DeflatedEntry("deflated.txt", "deflated text, deflated text, deflated text"),
       "deflated text, deflated text, deflated text"},
      {DeflatedEntry("empty.deflated", ""), ""},
      // Some writers give an empty file method 8 and no deflate bytes at all.
      {[] {
         BuildEntry entry("empty.nodata", "");
         entry.method = 8;
         return entry;
       }(),
       ""},
      {DeflatedEntry("big.bin", big), big},
      {DeflatedEntry("repetitive.bin", repetitive), repetitive},
      {BuildEntry("big.stored", big), big},
  };
  std::vector<BuildEntry> entries;
  for (const auto& c : cases) {
    entries.push_back(c.first);
  }
  Open(entries);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(Extract(static_cast<int>(i)), cases[i].second) << cases[i].first.name;
  }
}

TEST_F(ZipExtractTest, WritesAtTheStreamPositionAndStaysAfterIt) {
  Open({DeflatedEntry("a.txt", "payload")});
  TMemoryStream out;
  out.Write("HEAD-TAIL", 9);
  out.SetPosition(5);
  zip_.ExtractEntryByIndex(0, out);
  EXPECT_EQ(AsText(out), "HEAD-payload");
  EXPECT_EQ(out.Position(), 12);
}

TEST_F(ZipExtractTest, ArchivesFromOtherTools) {
  for (const char* file : {"python-deflated-utf8.zip", "python-zip64.zip", "infozip-stub.zip",
                           "infozip-stub-adjusted.zip", "infozip-streamed.zip"}) {
    TZipArchiver zip;
    zip.FileName = Utf8ToWide((kestrune::test::TestDataDir() / "zip" / file).string());
    zip.OpenZip(kOpenReadOnly);
    for (int i = 0; i < zip.DirManager()->Items.Count(); ++i) {
      TMemoryStream out;
      EXPECT_NO_THROW(zip.ExtractEntryByIndex(i, out)) << file << " entry " << i;
      EXPECT_EQ(static_cast<std::uint64_t>(out.Size()), zip.DirManager()->Items.Item(i).UncompressedSize);
    }
  }
}

TEST_F(ZipExtractTest, LocalHeaderLengthsDecideWhereDataStarts) {
  // Info-ZIP writes a longer extra field into the local header than into the central one.
  Open(kInfoZipEncryptedStored);
  zip_.Password = "sesame";
  EXPECT_EQ(Extract(0), kSecretText);
}

// One row per defect of an entry, with the error extracting it raises.
struct DamageCase {
  const char* name;
  std::function<void(test::BuiltArchive&)> damage;
  std::vector<BuildEntry> entries;
  int error;
};

TEST_F(ZipExtractTest, DamagedEntries) {
  const std::string text = "the entry's real bytes";
  const std::string packed = RawDeflate(text);
  BuildEntry wrongCrc("e", text);
  wrongCrc.crc = Crc32Of(text) ^ 1;
  BuildEntry sizeTooSmall = DeflatedEntry("e", text);
  sizeTooSmall.uncompressedSize = 5;
  BuildEntry sizeTooLarge = DeflatedEntry("e", text);
  sizeTooLarge.uncompressedSize = 500;
  BuildEntry garbage("e", "\xff\xff\xff\xff not deflate at all");
  garbage.method = 8;
  BuildEntry truncated("e", packed.substr(0, packed.size() / 2));
  truncated.method = 8;
  truncated.crc = Crc32Of(text);
  truncated.uncompressedSize = static_cast<std::uint32_t>(text.size());
  BuildEntry trailing("e", packed + "trailing bytes after the deflate stream");
  trailing.method = 8;
  trailing.crc = Crc32Of(text);
  trailing.uncompressedSize = static_cast<std::uint32_t>(text.size());
  const auto withMethod = [&](std::uint16_t method, std::uint16_t version = 20) {
    BuildEntry entry("e", text, 0, version);
    entry.method = method;
    return entry;
  };
  const auto centralField = [](std::size_t offset, std::uint32_t value) {
    return
        [offset, value](test::BuiltArchive& built) { PatchLE32(built.bytes, built.centralHeaders[0] + offset, value); };
  };
  const auto bothSizes = [](std::uint32_t value) {
    return [value](test::BuiltArchive& built) {
      PatchLE32(built.bytes, built.centralHeaders[0] + 20, value);
      PatchLE32(built.bytes, built.centralHeaders[0] + 24, value);
    };
  };
  const std::vector<DamageCase> cases = {
      {"wrong CRC-32", nullptr, {wrongCrc}, 8},
      {"declared size smaller than the data", nullptr, {sizeTooSmall}, 8},
      {"declared size larger than the data", nullptr, {sizeTooLarge}, 8},
      {"not deflate data", nullptr, {garbage}, 8},
      {"deflate stream cut in half", nullptr, {truncated}, 8},
      {"bytes after the deflate stream", nullptr, {trailing}, 0},
      {"sizes running into the directory", bothSizes(100), {BuildEntry("e", text)}, 8},
      {"deflated sizes running into the directory", bothSizes(100), {DeflatedEntry("e", text)}, 8},
      {"Deflate64", nullptr, {withMethod(9)}, 55},
      {"shrunk", nullptr, {withMethod(1)}, 8},
      {"implode", nullptr, {withMethod(6)}, 8},
      {"bzip2", nullptr, {withMethod(12, 46)}, 8},
      {"LZMA", nullptr, {withMethod(14, 63)}, 8},
      {"AES", nullptr, {withMethod(99, 51)}, 8},
      {"local header beyond the end of the file", centralField(42, 0x7FFFFFF0), {BuildEntry("e", text)}, -1},
  };
  for (const auto& c : cases) {
    test::BuiltArchive built = BuildZip(c.entries);
    if (c.damage) {
      c.damage(built);
    }
    TZipArchiver zip;
    Open(built.bytes, zip);
    EXPECT_EQ(ErrorOf(0, zip), c.error) << c.name;
    zip.CloseZip();
  }
}

TEST_F(ZipExtractTest, RealBzip2AndLzmaEntriesFailWithoutACrash) {
  for (const std::string* bytes : {&kPythonBzip2, &kPythonLzma}) {
    TZipArchiver zip;
    Open(*bytes, zip);
    EXPECT_EQ(ErrorOf(0, zip), 8);
    zip.CloseZip();
    // The bare component would read them as its own block format: still a plain failure.
    TZipBaseArchiver base;
    Open(*bytes, base);
    EXPECT_EQ(ErrorOf(0, base), 8);
  }
}

TEST_F(ZipExtractTest, CorruptEntriesPassOnlyWhenAskedFor) {
  const std::string text = "cut short by the directory";
  test::BuiltArchive built = BuildZip({BuildEntry("e", text)});
  PatchLE32(built.bytes, built.centralHeaders[0] + 20, 1000);
  PatchLE32(built.bytes, built.centralHeaders[0] + 24, 1000);
  Open(built.bytes);
  zip_.ExtractCorruptedFiles = true;
  std::string written;
  EXPECT_EQ(ErrorOf(0, &written), 0);
  EXPECT_EQ(written, text);
  zip_.ExtractCorruptedFiles = false;
  EXPECT_EQ(ErrorOf(0), 8);
}

TEST_F(ZipExtractTest, ZipBombStopsAtTheDeclaredSize) {
  const std::string zeros(16 * 1024 * 1024, '\0');
  BuildEntry bomb("bomb.bin", RawDeflate(zeros, 9));
  bomb.method = 8;
  bomb.crc = Crc32Of(zeros.substr(0, 1000));
  bomb.uncompressedSize = 1000;
  Open({bomb});
  for (const bool corruptAllowed : {false, true}) {
    zip_.ExtractCorruptedFiles = corruptAllowed;
    std::string written;
    EXPECT_EQ(ErrorOf(0, &written), 8);
    EXPECT_LE(written.size(), 1000u);
  }
}

// ZIP64 sizes at the very top of their range: the entry fails, it neither hangs nor fills memory.
TEST_F(ZipExtractTest, Zip64SizesAtTheTopOfTheRangeFail) {
  const std::string text = "a few real bytes, deflated";
  test::BuildOptions options;
  options.zip64 = true;
  options.zip64Entries = true;
  for (const std::uint64_t size : {~0ull, ~0ull - 1, 1ull << 63}) {
    for (const bool deflated : {true, false}) {
      const BuildEntry entry = deflated ? DeflatedEntry("e", text) : BuildEntry("e", text);
      test::BuiltArchive built = BuildZip({entry}, options);
      // The ZIP64 block's uncompressed size, right after the name and the block's own 4 bytes.
      test::PatchLE64(built.bytes, built.centralHeaders[0] + 46 + 1 + 4, size);
      TZipArchiver zip;
      Open(built.bytes, zip);
      ASSERT_EQ(zip.DirManager()->Items.Item(0).UncompressedSize, size);
      std::string written;
      EXPECT_EQ(ErrorOf(0, zip, &written), 8) << size << " deflated " << deflated;
      EXPECT_EQ(written, text) << size << " deflated " << deflated;
    }
  }
}

// A streamed entry: CRC-32 and sizes zero in the local header, the real ones in a data descriptor.
std::string StreamedArchiveWithoutDirectory(const std::string& data, bool withDescriptor) {
  test::BuiltArchive built = BuildZip({BuildEntry("streamed.bin", data, 0x0008)});
  std::string bytes = built.bytes.substr(0, built.directoryStart);
  PatchLE32(bytes, 14, 0);
  PatchLE32(bytes, 18, 0);
  PatchLE32(bytes, 22, 0);
  if (withDescriptor) {
    std::string descriptor(16, '\0');
    PatchLE32(descriptor, 0, 0x08074B50);
    PatchLE32(descriptor, 4, Crc32Of(data));
    PatchLE32(descriptor, 8, static_cast<std::uint32_t>(data.size()));
    PatchLE32(descriptor, 12, static_cast<std::uint32_t>(data.size()));
    bytes += descriptor;
  }
  return bytes;
}

TEST_F(ZipExtractTest, RebuiltEntryWithoutItsDescriptorIsNotAnEmptyFile) {
  const std::string data = "streamed without a directory";
  Open(StreamedArchiveWithoutDirectory(data, true));
  EXPECT_EQ(Extract(0), data);
  zip_.CloseZip();
  Open(StreamedArchiveWithoutDirectory(data, false));
  ASSERT_EQ(zip_.DirManager()->Items.Count(), 1);
  std::string written;
  EXPECT_EQ(ErrorOf(0, &written), 8);
  EXPECT_EQ(written, "");
}

std::string EncryptedLines() {
  std::string lines;
  for (int i = 0; i < 20; ++i) {
    lines += "deflated and encrypted line\n";
  }
  return lines;
}

TEST_F(ZipExtractTest, PkwareEncryption) {
  struct Fixture {
    const std::string* bytes;
    std::string content;
  };
  const Fixture fixtures[] = {{&kInfoZipEncryptedStored, kSecretText}, {&kInfoZipEncryptedDeflated, EncryptedLines()}};
  for (const auto& fixture : fixtures) {
    TZipArchiver zip;
    Open(*fixture.bytes, zip);
    // The right password.
    zip.Password = "sesame";
    std::string written;
    EXPECT_EQ(ErrorOf(0, zip, &written), 0);
    EXPECT_EQ(written, fixture.content);
    // A wrong one and no handler: the default prompt answers at once, as if cancelled: skipped quietly.
    zip.Password = "wrong";
    EXPECT_EQ(ErrorOf(0, zip, &written), 0);
    EXPECT_TRUE(zip.SkipFile);
    EXPECT_EQ(written, "");
    // A handler that gives the right password on the second question.
    std::vector<std::string> asked;
    zip.OnPassword = [&](TZipBaseArchiver&, const WideString& name, AnsiString& password, bool& skip) {
      asked.push_back(WideToUtf8(name));
      password = asked.size() == 2 ? "sesame" : "still wrong";
      skip = false;
    };
    EXPECT_EQ(ErrorOf(0, zip, &written), 0);
    EXPECT_EQ(written, fixture.content);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(zip.Password, "sesame");
    // A handler that skips.
    zip.Password.clear();
    zip.OnPassword = [](TZipBaseArchiver&, const WideString&, AnsiString&, bool& skip) { skip = true; };
    EXPECT_EQ(ErrorOf(0, zip, &written), 0);
    EXPECT_TRUE(zip.SkipFile);
    EXPECT_EQ(written, "");
    // A handler that never finds it is not asked forever.
    int questions = 0;
    zip.OnPassword = [&](TZipBaseArchiver&, const WideString&, AnsiString& password, bool&) {
      ++questions;
      password = "nope";
    };
    EXPECT_EQ(ErrorOf(0, zip, &written), 8);
    EXPECT_FALSE(zip.SkipFile);
    EXPECT_EQ(questions, 16);
  }
}

TEST_F(ZipExtractTest, CancelledProgressIsAFailure) {
  Open({DeflatedEntry("a.txt", NoisyBytes(3 * 1024 * 1024))});
  int fileEvents = 0;
  zip_.OnFileProgress = [&](TZipBaseArchiver&, const WideString& name, double progress, TZipProcessOperation operation,
                            TZipProgressPhase, bool& cancel) {
    EXPECT_EQ(name, u"a.txt");
    EXPECT_EQ(operation, TZipProcessOperation::poExtract);
    EXPECT_GE(progress, 0.0);
    EXPECT_LT(progress, 100.0);
    cancel = ++fileEvents == 2;
  };
  std::string written;
  EXPECT_EQ(ErrorOf(0, &written), 8);
  EXPECT_TRUE(zip_.Aborted);
  EXPECT_EQ(fileEvents, 2);
  EXPECT_LT(written.size(), 3u * 1024 * 1024);
  // Extraction by name runs without progress events, and leaves them on.
  fileEvents = 0;
  TMemoryStream out;
  zip_.ExtractEntryToStream(u"a.txt", out);
  EXPECT_EQ(fileEvents, 0);
  EXPECT_TRUE(zip_.ProgressEnabled);
  EXPECT_FALSE(zip_.Aborted);
}

// A destination that takes only so many bytes.
class FullStream : public TMemoryStream {
 public:
  explicit FullStream(std::size_t room) : room_(room) {}
  std::size_t Write(const void* buffer, std::size_t count) override {
    const auto position = static_cast<std::size_t>(Position());
    if (position + count > room_) {
      return 0;
    }
    return TMemoryStream::Write(buffer, count);
  }

 private:
  std::size_t room_;
};

TEST_F(ZipExtractTest, ShortWriteIsAFailure) {
  Open({BuildEntry("a.bin", NoisyBytes(3 * 1024 * 1024))});
  FullStream out(1024 * 1024 + 10);
  EXPECT_THROW(zip_.ExtractEntryByIndex(0, out), EZipException);
  EXPECT_TRUE(zip_.Aborted);
  // A handler that never gives up is not asked forever either.
  int asked = 0;
  zip_.OnDiskFull = [&](TZipBaseArchiver&, int, const WideString& file, bool& cancel) {
    ++asked;
    EXPECT_EQ(file, zip_.FileName);
    cancel = false;
  };
  FullStream again(10);
  try {
    zip_.ExtractEntryByIndex(0, again);
    ADD_FAILURE() << "no exception";
  } catch (const EZipException& e) {
    EXPECT_EQ(e.ErrorCode(), 8);
  }
  EXPECT_EQ(asked, 8);
  EXPECT_EQ(again.Size(), 0);
}

TEST_F(ZipExtractTest, ExtractByNameFollowsTheFolderItNames) {
  Open({BuildEntry("snap/x.png", "snap x"), BuildEntry("x.png", "root x"), BuildEntry("b.png", "root b"),
        BuildEntry("snap/sub\\y.png", "y")});
  const auto byName = [&](const char* name) {
    TMemoryStream out;
    zip_.ExtractEntryToStream(Utf8ToWide(name), out);
    return AsText(out);
  };
  EXPECT_EQ(byName("X.PNG"), "root x");
  EXPECT_EQ(byName("snap\\x.png"), "snap x");
  EXPECT_EQ(byName("?.png"), "root x");
  EXPECT_EQ(byName("snap/SUB/y.png"), "y");
  EXPECT_TRUE(zip_.Options.Recurse);
}

TEST_F(ZipExtractTest, ErrorsWithTheirMessages) {
  zip_.Name = "snapzipper";
  const auto messageOf = [](const std::function<void()>& call) -> std::string {
    try {
      call();
    } catch (const EZipException& e) {
      return e.what();
    }
    return "no exception";
  };
  TMemoryStream out;
  EXPECT_EQ(messageOf([&] { zip_.ExtractEntryToStream(u"x.png", out); }),
            "snapzipper: Archive is not open - Native error: 00013");
  EXPECT_EQ(messageOf([&] { zip_.ExtractEntryByIndex(0, out); }),
            "snapzipper: Archive is not open - Native error: 00013");
  Open({BuildEntry("snap/x.png", "x")});
  EXPECT_EQ(messageOf([&] { zip_.ExtractEntryToStream(u"x.png", out); }),
            "snapzipper: File \"x.png\" not found - Native error: 00015");
  EXPECT_TRUE(zip_.Options.Recurse);
  EXPECT_EQ(messageOf([&] { zip_.ExtractEntryByIndex(1, out); }),
            "snapzipper: Index out of bounds - Native error: 00016");
  EXPECT_EQ(messageOf([&] { zip_.ExtractEntryByIndex(-1, out); }),
            "snapzipper: Index out of bounds - Native error: 00016");
  EXPECT_EQ(out.Size(), 0);
  EXPECT_TRUE(zip_.Active());
}

// The bare component's own block format: a 50-byte header, then blocks of a 4-byte length and data.
std::string BlockFormat(const std::string& content, std::uint32_t blockSize, bool compressed,
                        std::uint8_t algorithm = 0, std::uint16_t encryption = 0xFFFF) {
  std::string out(50, '\0');
  const auto blocks = static_cast<std::uint32_t>((content.size() + blockSize - 1) / blockSize);
  PatchLE32(out, 0, blockSize);
  PatchLE32(out, 8, static_cast<std::uint32_t>(content.size()));
  PatchLE32(out, 16, blocks);
  out[20] = static_cast<char>(algorithm);
  out[21] = compressed ? 1 : 0;
  PatchLE16(out, 22, encryption);
  for (std::size_t at = 0; at < content.size(); at += blockSize) {
    std::string block = content.substr(at, blockSize);
    if (compressed) {
      uLongf length = compressBound(static_cast<uLong>(block.size()));
      std::string packed(length, '\0');
      compress2(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(block.data()),
                static_cast<uLong>(block.size()), 6);
      block = packed.substr(0, length);
    }
    std::string length(4, '\0');
    PatchLE32(length, 0, static_cast<std::uint32_t>(block.size()));
    out += length + block;
  }
  return out;
}

TEST_F(ZipExtractTest, BlockFormatOfTheBareComponent) {
  const std::string content = "block format content, more than one block long";
  const auto entryOf = [&](std::string data, std::uint16_t version = 20) {
    BuildEntry entry("b", std::move(data), 0, version);
    entry.method = 0xFF;
    entry.crc = Crc32Of(content);
    entry.uncompressedSize = static_cast<std::uint32_t>(content.size());
    return entry;
  };
  std::string lengthTooLarge = BlockFormat(content, 16, false);
  PatchLE32(lengthTooLarge, 50, 0x7FFFFFFF);
  std::string tooManyBlocks = BlockFormat(content, 16, true);
  PatchLE32(tooManyBlocks, 16, 0xFFFFFFFF);
  std::string sizeBeyondEntry = BlockFormat(content, 16, true);
  PatchLE32(sizeBeyondEntry, 8, 0xFFFFFFF0);
  std::string hugeBlocks = BlockFormat(content, 16, false);
  PatchLE32(hugeBlocks, 0, 0xFFFFFFFF);
  struct Case {
    const char* name;
    BuildEntry entry;
    int error;
  };
  const Case cases[] = {
      {"compressed blocks", entryOf(BlockFormat(content, 16, true)), 0},
      {"stored blocks", entryOf(BlockFormat(content, 16, false)), 0},
      {"one block", entryOf(BlockFormat(content, 4096, true)), 0},
      {"version 1.0", entryOf(BlockFormat(content, 16, true), 10), 8},
      {"unknown algorithm", entryOf(BlockFormat(content, 16, true, 1)), 8},
      {"encrypted", entryOf(BlockFormat(content, 16, true, 0, 1)), 8},
      {"block length beyond the entry", entryOf(lengthTooLarge), 8},
      {"more blocks than data", entryOf(tooManyBlocks), 8},
      {"size beyond the entry's", entryOf(sizeBeyondEntry), 8},
      {"huge block size", entryOf(hugeBlocks), 8},
      {"header cut short", entryOf(std::string(30, '\0')), 8},
  };
  for (const auto& c : cases) {
    const std::string bytes = BuildZip({c.entry}).bytes;
    TZipBaseArchiver base;
    Open(bytes, base);
    std::string written;
    EXPECT_EQ(ErrorOf(0, base, &written), c.error) << c.name;
    if (c.error == 0) {
      EXPECT_EQ(written, content) << c.name;
    }
    base.CloseZip();
    // The zip archiver proper never reads the block format.
    TZipArchiver zip;
    Open(bytes, zip);
    EXPECT_EQ(ErrorOf(0, zip), 8) << c.name;
  }
}

}  // namespace
}  // namespace kestrune::zip
