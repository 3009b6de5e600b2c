#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::test {

struct StoredZipEntry {
  std::string name;
  std::string data;
  // The CRC-32 written into the headers; the real one of `data` when not given. The ROM scan compares
  // the directory's values only, so its tests choose them freely.
  std::optional<std::uint32_t> crc32;
};

// A plain zip archive of stored (uncompressed) entries, as the simplest tools write it.
std::string StoredZip(const std::vector<StoredZipEntry>& entries);

}  // namespace kestrune::test
