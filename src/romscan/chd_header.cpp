#include "romscan/chd_header.h"

#include <array>
#include <fstream>
#include <optional>

namespace kestrune::romscan {
namespace {

constexpr std::size_t kMd5Offset = 44;
constexpr std::size_t kMd5Size = 16;
constexpr std::size_t kSha1Size = 20;
constexpr std::size_t kVersionOffset = 12;
// Enough for every field read here (version 5's SHA-1 ends at 104).
constexpr std::size_t kHeaderBytes = 124;

struct ChdHeader {
  std::array<unsigned char, kHeaderBytes> bytes{};
  std::size_t size = 0;
};

std::optional<ChdHeader> ReadChdHeader(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  ChdHeader header;
  file.read(reinterpret_cast<char*>(header.bytes.data()), static_cast<std::streamsize>(header.bytes.size()));
  header.size = static_cast<std::size_t>(file.gcount());
  return header;
}

// Lower-case hex of `size` header bytes at `offset`, or nothing when the header is shorter.
std::optional<std::string> HeaderHex(const ChdHeader& header, std::size_t offset, std::size_t size) {
  if (offset + size > header.size) return std::nullopt;
  std::string hex;
  hex.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    for (char c : ByteToHex(header.bytes[offset + i])) {
      hex.push_back(c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c);
    }
  }
  return hex;
}

std::optional<std::size_t> Sha1Offset(const ChdHeader& header) {
  if (header.size < kVersionOffset + 4) return std::nullopt;
  const std::uint32_t version =
      (std::uint32_t{header.bytes[kVersionOffset]} << 24) | (std::uint32_t{header.bytes[kVersionOffset + 1]} << 16) |
      (std::uint32_t{header.bytes[kVersionOffset + 2]} << 8) | std::uint32_t{header.bytes[kVersionOffset + 3]};
  switch (version) {
    case 3:
      return 80;
    case 4:
      return 48;
    case 5:
      return 84;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::string ByteToHex(std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

bool CheckChdMd5(const std::filesystem::path& path, std::string_view md5) {
  const std::optional<ChdHeader> header = ReadChdHeader(path);
  if (!header) return false;
  const std::optional<std::string> hex = HeaderHex(*header, kMd5Offset, kMd5Size);
  return hex && *hex == md5;
}

bool CheckChdSha1(const std::filesystem::path& path, std::string_view sha1) {
  const std::optional<ChdHeader> header = ReadChdHeader(path);
  if (!header) return false;
  const std::optional<std::size_t> offset = Sha1Offset(*header);
  if (!offset) return false;
  const std::optional<std::string> hex = HeaderHex(*header, *offset, kSha1Size);
  return hex && *hex == sha1;
}

bool CheckChdHash(const std::filesystem::path& path, std::string_view md5, std::string_view sha1) {
  if (!sha1.empty()) return CheckChdSha1(path, sha1);
  if (!md5.empty()) return CheckChdMd5(path, md5);
  std::ifstream file(path, std::ios::binary);
  return static_cast<bool>(file);
}

}  // namespace kestrune::romscan
