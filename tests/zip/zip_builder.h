#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Builds zip archives byte by byte, so that tests can make exactly the archive (or the damage) they need.
namespace kestrune::zip::test {

struct BuildEntry {
  BuildEntry() = default;
  BuildEntry(std::string name_, std::string data_, std::uint16_t flags_ = 0, std::uint16_t versionNeeded_ = 20,
             std::string comment_ = {}, std::string centralExtra_ = {}, std::uint32_t externalAttributes_ = 0x20)
      : name(std::move(name_)),
        data(std::move(data_)),
        flags(flags_),
        versionNeeded(versionNeeded_),
        comment(std::move(comment_)),
        centralExtra(std::move(centralExtra_)),
        externalAttributes(externalAttributes_) {}
  std::string name;  // stored bytes
  std::string data;  // stored uncompressed
  std::uint16_t flags = 0;
  std::uint16_t versionNeeded = 20;
  std::string comment;
  std::string centralExtra;  // appended after any ZIP64 block
  std::uint32_t externalAttributes = 0x20;
  std::uint16_t method = 0;                       // data holds the bytes as stored under this method
  std::optional<std::uint32_t> crc;               // default: the CRC-32 of data
  std::optional<std::uint32_t> uncompressedSize;  // default: the size of data
};

struct BuildOptions {
  std::string prefix;            // bytes in front of the archive (a self-extractor stub)
  bool prefixInOffsets = false;  // offsets count from the start of the file, as "zip -A" leaves them
  std::string comment;
  bool zip64 = false;           // ZIP64 end record and locator
  bool zip64Entries = false;    // sizes and offsets escaped to a ZIP64 extra block
  std::string zip64Extensible;  // extensible data of the ZIP64 end record
  std::string trailing;         // bytes after the end record
};

struct BuiltArchive {
  std::string bytes;
  std::size_t directoryStart = 0;
  std::size_t directorySize = 0;
  std::size_t endRecord = 0;
  std::vector<std::size_t> localHeaders;
  std::vector<std::size_t> centralHeaders;
};

BuiltArchive BuildZip(const std::vector<BuildEntry>& entries, const BuildOptions& options = {});
// count entries named "f000001", ... with one byte of data each.
std::vector<BuildEntry> NumberedEntries(int count);
std::uint32_t Crc32Of(const std::string& data);
// Raw deflate data (no zlib header) of the text.
std::string RawDeflate(const std::string& data, int level = 6);
// An entry whose data is the raw deflate form of `content`, with its CRC-32 and size.
BuildEntry DeflatedEntry(std::string name, const std::string& content);
void PatchLE16(std::string& bytes, std::size_t at, std::uint16_t value);
void PatchLE32(std::string& bytes, std::size_t at, std::uint32_t value);
void PatchLE64(std::string& bytes, std::size_t at, std::uint64_t value);

}  // namespace kestrune::zip::test
