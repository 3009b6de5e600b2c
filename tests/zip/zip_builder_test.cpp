// The archive builder the zip tests share (built into the test executable through this file), and
// checks that what it writes is a zip archive as other tools see it.
#include "zip/zip_builder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>

namespace kestrune::zip::test {
namespace {

void Append16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}
void Append32(std::string& out, std::uint32_t value) {
  Append16(out, value & 0xFFFF);
  Append16(out, value >> 16);
}
void Append64(std::string& out, std::uint64_t value) {
  Append32(out, static_cast<std::uint32_t>(value));
  Append32(out, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace

std::uint32_t Crc32Of(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

namespace {

std::uint32_t CrcOf(const BuildEntry& entry) { return entry.crc ? *entry.crc : Crc32Of(entry.data); }
std::uint32_t UncompressedSizeOf(const BuildEntry& entry) {
  return entry.uncompressedSize ? *entry.uncompressedSize : static_cast<std::uint32_t>(entry.data.size());
}

}  // namespace

std::string RawDeflate(const std::string& data, int level) {
  z_stream zs{};
  deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

BuildEntry DeflatedEntry(std::string name, const std::string& content) {
  BuildEntry entry(std::move(name), RawDeflate(content));
  entry.method = 8;
  entry.crc = Crc32Of(content);
  entry.uncompressedSize = static_cast<std::uint32_t>(content.size());
  return entry;
}

void PatchLE16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}
void PatchLE32(std::string& bytes, std::size_t at, std::uint32_t value) {
  PatchLE16(bytes, at, static_cast<std::uint16_t>(value));
  PatchLE16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}
void PatchLE64(std::string& bytes, std::size_t at, std::uint64_t value) {
  PatchLE32(bytes, at, static_cast<std::uint32_t>(value));
  PatchLE32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}

std::vector<BuildEntry> NumberedEntries(int count) {
  std::vector<BuildEntry> entries(static_cast<std::size_t>(count));
  char name[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "f%06d", i + 1);
    entries[static_cast<std::size_t>(i)].name = name;
    entries[static_cast<std::size_t>(i)].data = std::string(1, static_cast<char>('a' + i % 26));
  }
  return entries;
}

BuiltArchive BuildZip(const std::vector<BuildEntry>& entries, const BuildOptions& options) {
  BuiltArchive built;
  std::string& out = built.bytes;
  out = options.prefix;
  const std::size_t base = options.prefixInOffsets ? 0 : options.prefix.size();
  std::vector<std::size_t> offsets;
  for (const auto& entry : entries) {
    built.localHeaders.push_back(out.size());
    offsets.push_back(out.size() - base);
    const std::uint32_t size = options.zip64Entries ? 0xFFFFFFFF : static_cast<std::uint32_t>(entry.data.size());
    const std::uint32_t fullSize = options.zip64Entries ? 0xFFFFFFFF : UncompressedSizeOf(entry);
    Append32(out, 0x04034B50);
    Append16(out, entry.versionNeeded);
    Append16(out, entry.flags);
    Append16(out, entry.method);
    Append16(out, 0x6000);  // 12:00
    Append16(out, 0x5A21);  // 2025-01-01
    Append32(out, CrcOf(entry));
    Append32(out, size);
    Append32(out, fullSize);
    Append16(out, static_cast<std::uint32_t>(entry.name.size()));
    Append16(out, 0);
    out += entry.name;
    out += entry.data;
  }
  built.directoryStart = out.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& entry = entries[i];
    std::string extra;
    if (options.zip64Entries) {
      Append16(extra, 1);
      Append16(extra, 24);
      Append64(extra, UncompressedSizeOf(entry));
      Append64(extra, entry.data.size());
      Append64(extra, offsets[i]);
    }
    extra += entry.centralExtra;
    const std::uint32_t size = options.zip64Entries ? 0xFFFFFFFF : static_cast<std::uint32_t>(entry.data.size());
    const std::uint32_t fullSize = options.zip64Entries ? 0xFFFFFFFF : UncompressedSizeOf(entry);
    built.centralHeaders.push_back(out.size());
    Append32(out, 0x02014B50);
    Append16(out, 20);
    Append16(out, entry.versionNeeded);
    Append16(out, entry.flags);
    Append16(out, entry.method);
    Append16(out, 0x6000);
    Append16(out, 0x5A21);
    Append32(out, CrcOf(entry));
    Append32(out, size);
    Append32(out, fullSize);
    Append16(out, static_cast<std::uint32_t>(entry.name.size()));
    Append16(out, static_cast<std::uint32_t>(extra.size()));
    Append16(out, static_cast<std::uint32_t>(entry.comment.size()));
    Append16(out, 0);
    Append16(out, 0);
    Append32(out, entry.externalAttributes);
    Append32(out, options.zip64Entries ? 0xFFFFFFFF : static_cast<std::uint32_t>(offsets[i]));
    out += entry.name;
    out += extra;
    out += entry.comment;
  }
  built.directorySize = out.size() - built.directoryStart;
  const std::size_t count = entries.size();
  if (options.zip64) {
    const std::size_t record = out.size();
    Append32(out, 0x06064B50);
    Append64(out, 44 + options.zip64Extensible.size());
    Append16(out, 45);
    Append16(out, 45);
    Append32(out, 0);
    Append32(out, 0);
    Append64(out, count);
    Append64(out, count);
    Append64(out, built.directorySize);
    Append64(out, built.directoryStart - base);
    out += options.zip64Extensible;
    Append32(out, 0x07064B50);
    Append32(out, 0);
    Append64(out, record - base);
    Append32(out, 1);
  }
  built.endRecord = out.size();
  const bool escape = options.zip64 && count >= 0xFFFF;
  Append32(out, 0x06054B50);
  Append16(out, 0);
  Append16(out, 0);
  Append16(out, escape ? 0xFFFF : static_cast<std::uint32_t>(count & 0xFFFF));
  Append16(out, escape ? 0xFFFF : static_cast<std::uint32_t>(count & 0xFFFF));
  Append32(out, options.zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(built.directorySize));
  Append32(out, options.zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(built.directoryStart - base));
  Append16(out, static_cast<std::uint32_t>(options.comment.size()));
  out += options.comment;
  out += options.trailing;
  return built;
}

TEST(ZipBuilder, WritesWhatZlibAndTheFormatAgreeOn) {
  const auto built = BuildZip({{"a.txt", "hello"}});
  EXPECT_EQ(built.bytes.substr(0, 4), std::string("PK\3\4"));
  EXPECT_EQ(built.bytes.substr(built.endRecord, 4), std::string("PK\5\6"));
  EXPECT_EQ(built.bytes.size(), built.endRecord + 22);
  EXPECT_EQ(Crc32Of("hello"), 0x3610A686u);
}

}  // namespace kestrune::zip::test
