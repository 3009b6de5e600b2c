#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The hash fields of a CHD hard-disk image's header, read without touching the image's data.
namespace kestrune::romscan {

// Two upper-case hexadecimal digits, high nibble first.
std::string ByteToHex(std::uint8_t byte);

// True when the 16-byte MD5 at byte 44 of the header (CHD versions 1 to 3), as 32 lower-case hex
// digits, equals `md5` exactly. A file that cannot be opened or is too short gives false.
bool CheckChdMd5(const std::filesystem::path& path, std::string_view md5);

// True when the SHA-1 of the header, at the offset its version keeps it (80 in version 3, 48 in 4,
// 84 in 5), as 40 lower-case hex digits, equals `sha1` exactly. Other versions, unreadable or short
// files give false.
bool CheckChdSha1(const std::filesystem::path& path, std::string_view sha1);

// The check a -listxml disk line asks for: SHA-1 when it gives one (today's MAME), else MD5 (older
// MAME); a disk with neither hash (no good dump known) accepts any image that exists.
bool CheckChdHash(const std::filesystem::path& path, std::string_view md5, std::string_view sha1);

}  // namespace kestrune::romscan
