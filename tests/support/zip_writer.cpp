#include "support/zip_writer.h"

#include <zlib.h>

namespace kestrune::test {
namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

std::uint32_t Crc32Of(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// The fields a local header and its central directory record share, from "version needed" on.
void PutCommonFields(std::string& out, std::uint32_t crc, const StoredZipEntry& entry) {
  PutLe(out, 20, 2);  // version needed
  PutLe(out, 0, 2);   // flags
  PutLe(out, 0, 2);   // method: stored
  PutLe(out, 0, 4);   // time and date
  PutLe(out, crc, 4);
  PutLe(out, static_cast<std::uint32_t>(entry.data.size()), 4);
  PutLe(out, static_cast<std::uint32_t>(entry.data.size()), 4);
  PutLe(out, static_cast<std::uint32_t>(entry.name.size()), 2);
  PutLe(out, 0, 2);  // extra length
}

}  // namespace

std::string StoredZip(const std::vector<StoredZipEntry>& entries) {
  std::string local;
  std::string central;
  for (const StoredZipEntry& entry : entries) {
    const std::uint32_t crc = entry.crc32.value_or(Crc32Of(entry.data));
    const auto offset = static_cast<std::uint32_t>(local.size());
    PutLe(local, 0x04034b50, 4);
    PutCommonFields(local, crc, entry);
    local += entry.name + entry.data;

    PutLe(central, 0x02014b50, 4);
    PutLe(central, 20, 2);  // version made by
    PutCommonFields(central, crc, entry);
    PutLe(central, 0, 2);  // comment length
    PutLe(central, 0, 2);  // disk
    PutLe(central, 0, 2);  // internal attributes
    PutLe(central, 0, 4);  // external attributes
    PutLe(central, offset, 4);
    central += entry.name;
  }
  std::string zip = local + central;
  PutLe(zip, 0x06054b50, 4);
  PutLe(zip, 0, 4);
  PutLe(zip, static_cast<std::uint32_t>(entries.size()), 2);
  PutLe(zip, static_cast<std::uint32_t>(entries.size()), 2);
  PutLe(zip, static_cast<std::uint32_t>(central.size()), 4);
  PutLe(zip, static_cast<std::uint32_t>(local.size()), 4);
  PutLe(zip, 0, 2);
  return zip;
}

}  // namespace kestrune::test
