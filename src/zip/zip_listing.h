#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "zip/zip_archiver.h"

// The thin calls the rest of the program makes on zip archives. None of them throws: every failure
// (a missing, unreadable or damaged archive, a missing or broken entry) comes back as false with a
// message, so they can run on worker threads. Each call on a path uses its own archiver, so calls on
// different threads do not meet.
namespace kestrune::zip {

struct ZipEntryInfo {
  std::string name;  // the stored name in UTF-8, "/" separators, a trailing "/" on folders
  std::uint32_t crc32 = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  bool isDirectory = false;
};

struct ZipListing {
  bool ok = false;
  std::string error;  // why not, when !ok
  std::vector<ZipEntryInfo> entries;
};

// Every entry of the central directory, in directory order. Reads the tail of the file and the central
// directory and nothing else: no entry is decompressed, a damaged directory is not rebuilt from the
// local headers.
ZipListing ListZipEntries(const std::filesystem::path& archive);

// The CRC-32 of every entry, appended to `crcs` in directory order; false, leaving `crcs` as it was,
// when the archive cannot be listed (then `error`, when given, says why). The ROM scan's lister.
bool ListZipCrcs(const std::filesystem::path& archive, std::vector<std::uint32_t>& crcs, std::string* error = nullptr);

struct ZipEntryData {
  bool ok = false;
  bool skipped = false;  // the user declined the entry's password: no bytes, and nothing went wrong
  std::string error;
  std::vector<std::uint8_t> bytes;
};

// Entries larger than this are not read into memory.
inline constexpr std::uint64_t kMaxInMemoryEntrySize = std::uint64_t{256} << 20;

// One entry's bytes, checked against its size and CRC-32. By name: the stored name in any letter case,
// in the folder the name gives ("x.png" is a root entry, "snap/x.png" one in snap/). By index: 0-based,
// in directory order.
ZipEntryData ReadZipEntry(const std::filesystem::path& archive, std::string_view name);
ZipEntryData ReadZipEntry(const std::filesystem::path& archive, int index);
// The same on an archive the caller keeps open (artwork and skin archives stay open while the program runs).
ZipEntryData ReadZipEntry(TZipBaseArchiver& zip, std::string_view name);
// maxBytes: an entry that extracts to more fails there, whatever its directory says.
ZipEntryData ReadZipEntry(TZipBaseArchiver& zip, int index, std::uint64_t maxBytes = kMaxInMemoryEntrySize);

}  // namespace kestrune::zip
