#include "rom_scan/bench_zip.h"

namespace kestrune::bench {
namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutHeader(std::string& out, bool central, std::uint32_t crc, std::uint32_t size, const std::string& name,
               std::uint32_t offset) {
  PutLe(out, central ? 0x02014b50 : 0x04034b50, 4);
  if (central) PutLe(out, 20, 2);
  PutLe(out, 20, 2);
  PutLe(out, 0, 2);      // flags
  PutLe(out, 0, 2);      // stored
  PutLe(out, 0x5821, 4); // time and date
  PutLe(out, crc, 4);
  PutLe(out, size, 4);
  PutLe(out, size, 4);
  PutLe(out, static_cast<std::uint32_t>(name.size()), 2);
  PutLe(out, 0, 2);
  if (central) {
    PutLe(out, 0, 2);  // comment
    PutLe(out, 0, 2);  // disk
    PutLe(out, 0, 2);  // internal attributes
    PutLe(out, 0, 4);  // external attributes
    PutLe(out, offset, 4);
  }
  out += name;
}

}  // namespace

std::string StoredZip(const std::vector<std::uint32_t>& crcs) {
  std::string local;
  std::string central;
  const std::string data(64, 'x');
  for (std::size_t i = 0; i < crcs.size(); ++i) {
    const std::string name = "rom" + std::to_string(i) + ".bin";
    const auto offset = static_cast<std::uint32_t>(local.size());
    PutHeader(local, false, crcs[i], static_cast<std::uint32_t>(data.size()), name, 0);
    local += data;
    PutHeader(central, true, crcs[i], static_cast<std::uint32_t>(data.size()), name, offset);
  }
  std::string zip = local + central;
  PutLe(zip, 0x06054b50, 4);
  PutLe(zip, 0, 4);
  PutLe(zip, static_cast<std::uint32_t>(crcs.size()), 2);
  PutLe(zip, static_cast<std::uint32_t>(crcs.size()), 2);
  PutLe(zip, static_cast<std::uint32_t>(central.size()), 4);
  PutLe(zip, static_cast<std::uint32_t>(local.size()), 4);
  PutLe(zip, 0, 2);
  return zip;
}

}  // namespace kestrune::bench
